// The main window's handling of link events: the caption, the status panel, the Diagnostics tab's
// colour, the errors and history boxes, calibration progress and the OBD adapter's state.
#include <QtCore/QTimer>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include "base/OwnTexts.h"
#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "scope/Toscyloskop.h"
#include "shell/LivePanels.h"
#include "shell/Unitmain.h"
#include "ui/StringGrid.h"

namespace {

const QColor kStatusBackground(255, 251, 240);
const QColor kRed(255, 0, 0);
const QColor kDarkGreen(0, 128, 0);

QColor fromTColor(TColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

void TForm1::setStatus(const QString& text, const QColor& background, const QColor& colour, const QFont* font)
{
    // Live frames come several times a second and mostly repeat the state: change only what differs.
    QPalette p = PanelStatus->palette();
    if (p.color(QPalette::Window) != background || p.color(QPalette::WindowText) != colour) {
        p.setColor(QPalette::Window, background);
        p.setColor(QPalette::WindowText, colour);
        PanelStatus->setPalette(p);
    }
    if (font && PanelStatus->font() != *font) PanelStatus->setFont(*font);
    if (PanelStatus->text() != text) PanelStatus->setText(text);
}

void TForm1::LinkEvent(int kind, int code, int value, int length)
{
    if (!Sterownik1) return;
    panels.linkEvent(kind, code, value, length);
    if (kind == kEventObd) {
        if (code != kObdAdapterState) return;
        obdState = length;
        if (obdState != 0) {
            row1[5]->setChecked(true);
            SpeedButton1Click(5);
        }
        return;
    }
    if (kind == kEventLinkStarted && code == 0) {
        setWindowTitle(baseCaption);
        return;
    }
    if (kind == kEventFileLoaded) {
        connTag = -1;
        if (!connItems_.isEmpty()) connItems_[0].tag = -1;
        setWindowTitle(baseCaption + QStringLiteral(" - [") + Sterownik1->loadedFileName + QStringLiteral("]"));
        return;
    }
    if (kind == kEventCalibration) {
        ProgressBar1->setValue(std::clamp(value, 0, 1024));
        const QString enter = QStringLiteral("  [Enter]");
        switch (code) {
            case 1:
                cmd[3]->setText(TextById(1263) + enter);
                ProgressBar1->setValue(0);
                ProgressBar1->show();
                break;
            case 3:
                cmd[3]->setText(TextById(1261) + enter);
                ProgressBar1->hide();
                // Shown after the link's tick has returned: a message box runs its own loop, and
                // the tick that raised this event must not wait for the fitter's click.
                QTimer::singleShot(0, this, [this] {
                    prompt->message(QStringLiteral("KAVELO"),
                                    TextById(1293) + QLatin1Char('\n') + TextById(1294) + QLatin1Char('\n') +
                                        TextById(1295),
                                    Prompt::Icon::Information);
                });
                break;
            case 4:
                cmd[3]->setText(TextById(1261) + enter);
                ProgressBar1->hide();
                QTimer::singleShot(0, this, [this] { prompt->error(TextById(1292)); });
                break;
            case 5:
                cmd[3]->setText(TextById(1261) + enter);
                ProgressBar1->hide();
                break;
            default: break;
        }
        if (topTab == 1) LayoutCommandButtons();
        if (Nastawy) Nastawy->update();
        return;
    }
    if (kind != kEventFrameReceived) return;
    switch (code) {
        case 0x81: {
            QString caption = baseCaption;
            if (Sterownik1->mem.identity[5] == 0) {
                identified = true;
                caption += QStringLiteral("  -  ") + Sterownik1->StrWersjaSterownika() + QStringLiteral(" v") +
                           Sterownik1->StrWersjaCyframi(1);
                row3[2]->setVisible(Sterownik1->twoLambdas != 0);
                row3[1]->hide();
                row3[0]->setChecked(true);
                if (topTab == 5) SpeedButton31Click(0);
                FitTabRows();
            }
            setWindowTitle(caption);
            setStatus(TextById(1241), kStatusBackground, kDarkGreen, nullptr);
            LayoutRightPanel();
            // A controller left in its bootloader with no update to receive: its application is
            // broken. The box is shown after the link's tick, so polling is not held up by it.
            if (Sterownik1->mem.identity[5] == 1 && !Sterownik1->flashing)
                QTimer::singleShot(0, this, [this] { AskUser(1365, kAskError); });
            break;
        }
        case 0x82: ShowErrors(Sterownik1->errorList()); break;
        case 0x86:
        case 0xE8:
            if (Nastawy) Nastawy->update();
            break;
        case 0xFF: FormProg->BlockAcknowledged(Sterownik1->firmwareBlock); break;
        default: break;
    }
}

void TForm1::LiveFrameReceived(const LiveFrame& frame)
{
    ShowLiveFrame(frame);
    panels.liveFrame(frame);
    addHistoryLine(frame);
}

void TForm1::ShowLiveFrame(const LiveFrame& frame)
{
    const int state = frame.workState();
    QString text = Sterownik1->StrStanPracy(state, 1);
    int size = 10;
    if (Sterownik1->bulkReading()) {
        // After connecting, the fitter sees the controller being read, and then that it is.
        text = TextById(OwnText::ReadingController).arg(Sterownik1->bulkReadTaken()).arg(Sterownik1->bulkReadTotal());
        readDoneFrames_ = kReadDoneFrames;
    } else if (readDoneFrames_ > 0) {
        text = TextById(OwnText::ControllerRead);
        --readDoneFrames_;
    } else if ((frame.byte(11) & 3) == 3 && frame.eventCode() != 0 && secondsCounter % 2 == 1) {
        // Every other second the status shows the detail of the state instead, in the smaller font; a
        // state without a detail text keeps its text and its size (it would flicker between two).
        if (const int id = LivePanels::detailTextId(frame.eventCode(), frame.eventValue())) {
            text = TextById(id);
            size = 8;
        }
    }
    QFont font = PanelStatus->font();
    font.setPointSize(size);
    font.setBold(false);
    setStatus(text, fromTColor(Sterownik1->KolorStanuPracy(state)), Qt::black, &font);

    const uint8_t flags = frame.byte(11);
    const QColor diag = flags & 0x08 ? kRed : flags & 0x14 ? kDarkGreen : diagnosticsNormalColour_;
    if (row1[3]->palette().color(QPalette::ButtonText) != diag) setTabColour(row1[3], diag);
}

void TForm1::addHistoryLine(const LiveFrame& frame)
{
    QString what;
    if (frame.eventCode() == 0xF0) {
        const int id = LivePanels::fuelSwitchTextId(frame.eventValue());
        if (id) what = TextById(id);
    } else if (frame.eventCode() == 0xF3 || frame.eventCode() == 0xF4) {
        what = TextById(3810);
    } else {
        return;
    }
    const QString time = scopeTimeText ? scopeTimeText() : TScope::TimeText(0);
    RichEditInfo->append(LivePanels::historyLine(time, what));
}

void TForm1::ShowErrors(const LiveFrame& list)
{
    const bool stored = Sterownik1->liveStatus[1] & 0x10;
    const QStringList lines =
        LivePanels::errorLines(list.data(), list.size(), stored, [](int id) { return TextById(id); });
    RichEditBledy->clear();
    for (const QString& line : lines) RichEditBledy->append(line);
}
