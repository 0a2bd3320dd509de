#pragma once

#include "dialogs/EditorDialog.h"
#include "dialogs/NozzleCalc.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// The injector nozzle calculator: estimates the gas-injector nozzle bore (or the nozzle class of
// the colour-coded injectors) from the engine data and the installation settings. It only reads the
// settings: every list here is local to the dialog.
class TFormCal : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 520;
    static constexpr int kClientHeight = 460;

    explicit TFormCal(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    // Recomputes from the controls and shows the result (also after every change of a list).
    void ComboBox1Click();
    void UpDown1ChangingEx(int newPosition);
    void BitBtn1Click() { accept(); }
    // What the controls give the computation.
    NozzleCalc::Input input() const;

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* LabelPower = nullptr;
    QLineEdit* EditPower = nullptr;
    UpDown* UpDown1 = nullptr;
    QComboBox* ComboUnit = nullptr;
    QLabel* LabelCylinders = nullptr;
    QComboBox* ComboCylinders = nullptr;
    QLabel* LabelPressure = nullptr;
    QComboBox* ComboPressure = nullptr;
    QLabel* LabelBar = nullptr;
    QLabel* LabelFuel = nullptr;
    QComboBox* ComboFuel = nullptr;
    QLabel* LabelInjection = nullptr;
    QComboBox* ComboInjection = nullptr;
    QLabel* LabelInjector = nullptr;
    QComboBox* ComboInjector = nullptr;
    QLabel* LabelResult = nullptr;
    QLineEdit* EditResult = nullptr;
    QLabel* LabelMm = nullptr;
    QLabel* LabelNote = nullptr;
    QPushButton* BitBtn1 = nullptr;

protected:
    bool FormShow() override;

private:
    void fillSettingList(QComboBox* list, int index, bool keepSelection);
};
