#pragma once

#include <array>

#include "dialogs/EditorDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// What the controller says about itself: model, bar code, production date, version line and
// injector count. Opened modally from the Device menu; fills in once the link has read the history
// region, so a dialog opened during the first reads after connecting still gets its texts.
class TFormDevice : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 400;

    explicit TFormDevice(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void Refresh();
    void Timer1Timer();
    void BitBtn1Click() { accept(); }

    std::array<QLabel*, 5> Labels{};
    std::array<QLineEdit*, 5> Edits{};
    QPushButton* BitBtn1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool FormShow() override;
    void hideEvent(QHideEvent* event) override;
};
