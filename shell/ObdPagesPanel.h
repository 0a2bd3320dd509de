#pragma once

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

#include "ui/Panel.h"
#include "ui/Theme.h"

class QTextEdit;
class QToolButton;
class StringGrid;
class TObd;

// The OBD panel of the OBD tab (`PanelObd`): the trouble-code box, the PID grid and the adapter's
// status grid, with the tab row that switches between codes and PIDs. It fills them from the OBD
// reader's panel data whenever the reader says they changed, and toggles a PID's polling from the
// grid. Page 0 of the OBD tab shows all of it, pages 1 and 2 only the code box.
class ObdPagesPanel : public QWidget, public Panel {
    Q_OBJECT
public:
    // The panel follows `obd`'s panel data; the reader may go before the panel (the session is
    // freed when the window closes), after which the panel shows nothing new.
    ObdPagesPanel(TObd& obd, QWidget* parent);

    // Shows the panel with the contents of OBD page `page`: 0 the whole panel, 1 and 2 only the
    // code box, emptied.
    void showPage(int page);
    // The panel's tabs: 0 trouble codes (the box emptied), 1 PIDs.
    void SpeedButton41Click(int tab);
    // The code box keeps its last line in view.
    void RichEditDtcChange();
    // Empties the code box and the reader's lines behind it.
    void RichEditDtcDblClick();

    // The tooltip of status row `row`: the reader's fixed Polish text in the window's language,
    // empty when the row holds none (or the window is in Polish).
    QString statusTip(int row) const;

    // Panel: the codes tab's caption; the theme's colours.
    void relabel() override;
    void applyColours(const ThemePalette& palette) override;

    // The panel's widgets, by their form names.
    StringGrid* StringGridElm() const { return StringGridElm_; }  // adapter status
    StringGrid* StringGridPid() const { return StringGridPid_; }  // PIDs
    QTextEdit* RichEditDtc() const { return RichEditDtc_; }       // trouble codes
    QWidget* PanelObdTabs() const { return PanelObdTabs_; }       // the tab row
    QToolButton* SpeedButton41() const { return SpeedButton41_; }
    QToolButton* SpeedButton42() const { return SpeedButton42_; }

private:
    void applyPage(int page);
    void showStatus();
    void showPids();
    void showCodes();

    QPointer<TObd> obd_;
    ThemePalette palette_;
    StringGrid* StringGridElm_ = nullptr;
    StringGrid* StringGridPid_ = nullptr;
    QTextEdit* RichEditDtc_ = nullptr;
    QWidget* PanelObdTabs_ = nullptr;
    QToolButton* SpeedButton41_ = nullptr;
    QToolButton* SpeedButton42_ = nullptr;
    int codeLinesShown_ = 0;  // code-box lines already in RichEditDtc
};
