#pragma once

#include <QtCore/QTimer>

#include <array>
#include <cstdint>

#include "dialogs/EditorDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// The LPG level sensor calibration: the sensor type, the four thresholds of the dashboard LEDs
// (shown red when out of order), the LEDs as the controller lights them and the sensor voltage.
// While it is open the link asks for the level-sensor variant of the live data.
class TFormLevel : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 400;
    // Mark of "nothing drawn yet": no frame byte holds it, so the first frame always draws.
    static constexpr int kNothingDrawn = -1;
    static constexpr int kTypeWait = 100;  // ms from a type change to re-reading the thresholds

    explicit TFormLevel(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void ComboBox1Change(int index);
    void UpDown4ChangingEx(UpDown* upDown, int newPosition);
    // The second half of a type change, after the wait (the timer calls it; tests may too).
    void TypeChangeDone();
    void BitBtn1Click() { accept(); }
    // A verified live frame; the main window calls it while the dialog is shown.
    // A live frame of `length` bytes (at most 128) while the dialog is shown.
    void takeFrame(const ::LiveFrame& frame);
    // Panel: live frames reach the dialog while it is shown.
    void liveFrame(const ::LiveFrame& frame) override;

    const std::array<QColor, 5>& leds() const { return leds_; }
    QTimer* typeTimer() { return &typeTimer_; }

    QLabel* LabelType = nullptr;
    QComboBox* ComboBox1 = nullptr;
    std::array<QLineEdit*, 4> Edits{};
    std::array<UpDown*, 4> UpDowns{};
    QLabel* LabelVoltage = nullptr;
    QLineEdit* EditVoltage = nullptr;
    QLabel* LabelV = nullptr;
    QPushButton* BitBtn1 = nullptr;

protected:
    bool FormShow() override;
    void done(int result) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormClose();
    void refresh();
    QRect ledRect(int i) const;

    std::array<QColor, 5> leds_;
    int lastLeds_ = kNothingDrawn;
    int lastVoltage_ = kNothingDrawn;
    QTimer typeTimer_;
};
