// The main window's handling of link events: the caption, the status panel, the OBD adapter's
// state and the controller's identification; the panels take the rest through the panel list.
#include <QtCore/QTimer>
#include <QtWidgets/QToolButton>

#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/IdentityReader.h"
#include "link/Regions.h"
#include "link/Tsterownik.h"
#include "session/WorkshopSession.h"
#include "shell/CommandBar.h"
#include "shell/DiagnosticBoxes.h"
#include "shell/MainMenu.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"
#include "shell/WorkPages.h"

namespace {

// Identity byte 5: the controller runs its application (0) or its bootloader (1).

}  // namespace

void TForm1::LinkEvent(int kind, int code, int value, int length)
{
    if (!Sterownik1) return;
    panels.linkEvent(kind, code, value, length);
    TNastawy* editor = pages_->Nastawy();
    if (kind == kEventObd) {
        if (code != kObdAdapterState) return;
        obdState = length;
        if (obdState != 0) showTab(TabRows::Obd);
        return;
    }
    if (kind == kEventLinkStarted && code == 0) {
        setWindowTitle(baseCaption);
        return;
    }
    if (kind == kEventFileLoaded) {
        connTag = -1;
        setWindowTitle(baseCaption + QStringLiteral(" - [") + Sterownik1->loadedFileName + QStringLiteral("]"));
        return;
    }
    if (kind == kEventUnsentEdits) {
        // Asked after the link's tick has returned: the box runs its own loop.
        const uint32_t regions = static_cast<uint32_t>(code);
        const bool otherController = value != 0;
        QTimer::singleShot(0, this, [this, regions, otherController] {
            QString text = TextById(OwnText::UnsentEdits).arg(regionTexts(regions));
            if (otherController) text += QLatin1Char('\n') + TextById(OwnText::UnsentForOther);
            text += QLatin1Char('\n') + TextById(OwnText::UnsentAsk);
            Sterownik1->settleUnsentEdits(prompt->yesNo(QStringLiteral("KAVELO"), text));
            if (TNastawy* editor = pages_->Nastawy()) editor->update();
        });
        return;
    }
    if (kind == kEventCalibration) {
        // A calibration that did not finish: keep what it set so far, or go back to before it.
        // Asked after the link's tick, and after the box of an aborted one.
        if (code == 4 || code == 5) QTimer::singleShot(0, this, [this] { askKeepCalibration(); });
        if (pages_->topTab() == TabRows::Calibration) LayoutCommandButtons();
        if (editor) editor->update();
        return;
    }
    if (kind != kEventFrameReceived) return;
    switch (code) {
        case 0x81: {
            QString caption = baseCaption;
            if (IdentityReader(Sterownik1->mem).inApplication()) {
                identified = true;
                caption += QStringLiteral("  -  ") + Sterownik1->StrWersjaSterownika() + QStringLiteral(" v") +
                           Sterownik1->StrWersjaCyframi(1);
                // The OBD pages: bank 2 only with two lambda probes; the module page is not offered.
                const auto& row3 = tabs_->row3();
                row3[2]->setVisible(Sterownik1->twoLambdas != 0);
                row3[1]->hide();
                row3[0]->setChecked(true);
                if (pages_->topTab() == TabRows::Obd) SpeedButton31Click(0);
                FitTabRows();
            }
            setWindowTitle(caption);
            commands_->showConnected();
            LayoutRightPanel();
            // A controller left in its bootloader with no update to receive: its application is
            // broken. The box is shown after the link's tick, so polling is not held up by it.
            if (IdentityReader(Sterownik1->mem).inBootloader() && !Sterownik1->flashing)
                QTimer::singleShot(0, this, [this] { AskUser(1365, kAskError); });
            break;
        }
        case 0x82: ShowErrors(Sterownik1->errorList()); break;
        case 0x86:
        case 0xE8:
            if (editor) editor->update();
            break;
        case 0xFF: dialogs_->FormProg()->BlockAcknowledged(Sterownik1->firmwareBlock); break;
        default: break;
    }
}

void TForm1::askKeepCalibration()
{
    if (!Session) return;
    QStringList names;
    for (int index : Session->calibrationChanges())
        if (const int label = Session->catalogue().descriptor(index).label) names << TextById(label);
    if (names.isEmpty()) return;
    names.removeDuplicates();
    const QString text = TextById(OwnText::CalibrationChanged).arg(names.join(QStringLiteral(", "))) +
                         QLatin1Char('\n') + TextById(OwnText::CalibrationKeepAsk);
    if (!prompt->yesNo(QStringLiteral("KAVELO"), text)) Session->revertCalibration();
    if (TNastawy* editor = pages_->Nastawy()) editor->update();
}

void TForm1::LiveFrameReceived(const LiveFrame& frame)
{
    ShowLiveFrame(frame);
    panels.liveFrame(frame);
    pages_->diagnostics()->addHistoryLine(frame);
}

void TForm1::ShowLiveFrame(const LiveFrame& frame) { commands_->showLiveState(frame, secondsCounter % 2 == 1); }

void TForm1::ShowErrors(const LiveFrame& list) { pages_->diagnostics()->ShowErrors(list); }
