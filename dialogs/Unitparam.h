#pragma once

#include "dialogs/EditorDialog.h"
#include "link/Tsterownik.h"

class QTableWidget;

// The readings selection: one row per live channel offered for the parameter panel (channel flag
// 0x2), ticked when the channel is shown there (flag 0x20). A press on a row or Enter toggles it;
// the main window repaints its readings grid when the dialog closes. The flags are the link's own
// and last until its channel table is rebuilt.
class TFormParam : public EditorDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 320;
    static constexpr int kClientHeight = 460;
    static constexpr int kRowHeight = 24;
    static constexpr int kOfferedFlag = 0x2;
    static constexpr int kShownFlag = kChannelReadings;  // the readings grid

    explicit TFormParam(QWidget* parent = nullptr, WorkshopSession* session = nullptr);

    void Relabel() override;
    void Refresh();
    // Toggles the shown flag of the channel on grid row `row`.
    void Toggle(int row);
    void FormResize();

    QTableWidget* StringGrid1 = nullptr;

protected:
    bool FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
