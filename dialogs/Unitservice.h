#pragma once

#include "dialogs/EditorDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

// Running times, this PC's identity, the controller's change history and the service reminder.
// Opened modally from the Device menu. The reminder's check box and "Set" change settings bytes
// 100..102 in the memory image and request the settings write.
class TFormService : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 480;
    static constexpr int kHistoryRows = 33;  // header row and 32 entries

    explicit TFormService(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void ApplyTheme(const ThemePalette& palette) override;
    void Refresh();
    void Timer1Timer();
    // The user's click on the reminder's check box (not the refresh's).
    void CheckBox1Click();
    // "Set": the reminder at the chosen distance from now.
    void BitBtn2Click();
    void BitBtn1Click() { accept(); }

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* LabelPetrol = nullptr;
    QLabel* LabelGas = nullptr;
    QLabel* LabelUser = nullptr;
    QLineEdit* EditPetrol = nullptr;
    QLineEdit* EditGas = nullptr;
    QLineEdit* EditUser = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QLabel* LabelNext = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* EditLeft = nullptr;
    QLabel* LabelDistance = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* LabelKm = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool FormShow() override;
    void hideEvent(QHideEvent* event) override;

private:
    // Widths of the history columns for the headings of the current language.
    void fitColumns();
    void showReminder(bool on);
};
