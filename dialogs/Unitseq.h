#pragma once

#include <cstdint>

#include "dialogs/EditorDialog.h"
#include "dialogs/InjectorAssignment.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SeqGrid;

// The injector configuration: which petrol injector input drives which gas injector, which gas
// injectors stay off, the petrol injection and switching types, and the injection type the petrol
// computer really uses, read from the live frames while the dialog is shown.
class TFormSeq : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 450;
    static constexpr int kClientHeight = 540;
    static constexpr int kGridTop = 152;
    // Shown in the detected-type box before any frame has been judged.
    static constexpr int kNotDetected = -3;

    explicit TFormSeq(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void ApplyTheme(const ThemePalette& palette) override;
    void ComboBox1Click(int index);
    void ComboBox2Click(int index);
    void StringGrid1SelectCell(int column, int row);
    void StringGrid2SelectCell(int column);
    void StringGrid1DrawCell(QPainter& p, const QRect& r, int column, int row);
    void StringGrid2DrawCell(QPainter& p, const QRect& r, int column);
    // A verified live frame; the main window calls it while the dialog is shown.
    // A live frame of `length` bytes (at most 128) while the dialog is shown.
    void takeFrame(const ::LiveFrame& frame);
    // Panel: live frames reach the dialog while it is shown.
    void liveFrame(const ::LiveFrame& frame) override;
    int detected() const { return detected_; }
    int injectorCount() const { return n_; }

    QLabel* LabelDetected = nullptr;
    QLineEdit* EditDetected = nullptr;
    QLabel* LabelType = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* LabelSwitching = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* LabelGas = nullptr;
    QLabel* LabelPetrol = nullptr;
    SeqGrid* StringGrid1 = nullptr;
    QLabel* LabelOff = nullptr;
    SeqGrid* StringGrid2 = nullptr;
    QPushButton* BitBtn1 = nullptr;

protected:
    bool FormShow() override;

private:
    InjectorAssignment::State state() const;
    // Stores an edited assignment: settings 32..39 and the injector mask at once, setting 31
    // through the catalogue, which queues the settings write.
    void store(const InjectorAssignment::State& s);
    void fillList(QComboBox* list, int index);
    void showDetected();
    void drawNumber(QPainter& p, const QRect& r, int number, const QColor& colour);
    void drawCross(QPainter& p, const QRect& r);

    int n_ = 0;
    int detected_ = kNotDetected;
};
