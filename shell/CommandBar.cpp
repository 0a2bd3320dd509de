#include "shell/CommandBar.h"

#include <QtCore/QEvent>
#include <QtCore/QTimer>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/Prompt.h"
#include "base/TextTable.h"
#include "link/Regions.h"
#include "link/Tsterownik.h"
#include "shell/FrameLayout.h"
#include "shell/LivePanels.h"
#include "shell/WindowParts.h"

namespace {

// The bar's height until the window has been sized.
constexpr int kInitialHeight = 28;
// The progress bar runs over the calibration's 1024 steps.
constexpr int kCalibrationSteps = 1024;
// What the link reports of the calibration (code of a calibration event).
enum CalibrationReport { Started = 1, Progress = 2, Finished = 3, Aborted = 4, Stopped = 5 };
// Live frame byte 11 (the work state's high byte): ignition on and engine turning.
// The status panel's point sizes: the work state, and the detail that alternates with it; and the
// pixel size of "no connection".
constexpr int kStateFontSize = 10;
constexpr int kDetailFontSize = 8;
constexpr int kNoConnectionPixels = 16;
const QColor kStatusBackground(255, 251, 240);
// How long a notice (a file saved) stays in the status panel before the work state comes back.
constexpr qint64 kNoticeMs = 4000;
const QColor kRed(255, 0, 0);
const QColor kDarkGreen(0, 128, 0);

QColor fromTColor(TColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

CommandBar::CommandBar(TSterownik& link, Prompt* const& prompt, QWidget* client, QWidget* parent)
    : QWidget(parent), link_(link), prompt_(prompt), client_(client)
{
    setObjectName(QStringLiteral("PanelBottomStatus"));
    setFixedHeight(kInitialHeight);
    for (int i = 0; i < kButtons; ++i) {
        buttons_[i] = new QPushButton(this);
        buttons_[i]->setObjectName(QStringLiteral("Btn5%1").arg(i + 1));
        buttons_[i]->setFocusPolicy(Qt::NoFocus);
        buttons_[i]->hide();
        connect(buttons_[i], &QPushButton::clicked, this, [this, i] { Q_EMIT commandClicked(i); });
    }
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, kCalibrationSteps);
    progress_->setTextVisible(false);
    progress_->hide();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("PanelStatus"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setAutoFillBackground(true);
    status_->setToolTip(QStringLiteral("[F11]"));
    status_->installEventFilter(this);
}

bool CommandBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == status_ && event->type() == QEvent::MouseButtonPress)
        link_.requestCommand(TSterownik::CmdQuickFuelChange);
    return QWidget::eventFilter(watched, event);
}

void CommandBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void CommandBar::setCommand(int index, int textId, const QString& suffix, const QColor& colour, int tag)
{
    QPushButton* b = buttons_[size_t(index)];
    b->setText(TextById(textId) + suffix);
    WindowParts::setButtonTextColour(b, colour);
    tags_[size_t(index)] = tag;
    b->show();
}

void CommandBar::hideCommands()
{
    for (QPushButton* b : buttons_) b->hide();
}

void CommandBar::resizeBar(int height, int fontSize)
{
    setFixedHeight(height);
    QFont f = buttons_[0]->font();
    f.setPointSize(fontSize);
    for (QPushButton* b : buttons_) b->setFont(f);
    progress_->resize(progress_->width(), height - 4);
    height_ = height;
    layoutButtons();
}

void CommandBar::layoutButtons()
{
    const int h = height_ ? height_ : kInitialHeight;
    const int statusWidth = FrameLayout::sidePanelWidth(client_->width());
    const int statusLeft = width() - statusWidth;
    status_->setGeometry(statusLeft, 0, statusWidth, h);
    std::array<bool, kButtons> shown{};
    std::array<int, kButtons> widths{};
    for (int i = 0; i < kButtons; ++i) {
        shown[i] = !buttons_[i]->isHidden();
        widths[i] = QFontMetrics(buttons_[i]->font()).horizontalAdvance(buttons_[i]->text());
    }
    const FrameLayout::CommandButtons b = FrameLayout::layoutCommandButtons(shown, widths, statusLeft);
    for (int i = 0; i < kButtons; ++i)
        if (shown[i]) buttons_[i]->setGeometry(b.left[i], 0, b.width[i], h);
    if (b.progressWidth >= 0) progress_->setGeometry(4, 2, std::max(0, b.progressWidth), h - 4);
    if (toolBar_) toolBar_->setGeometry(0, 0, std::max(0, statusLeft - 8), h);
}

void CommandBar::showStatus(const QString& text, const QColor& background, const QColor& colour, const QFont* font)
{
    // Live frames come several times a second and mostly repeat the state: change only what differs.
    QPalette p = status_->palette();
    if (p.color(QPalette::Window) != background || p.color(QPalette::WindowText) != colour) {
        p.setColor(QPalette::Window, background);
        p.setColor(QPalette::WindowText, colour);
        status_->setPalette(p);
    }
    if (font && status_->font() != *font) status_->setFont(*font);
    if (status_->text() != text) status_->setText(text);
}

void CommandBar::showLiveState(const LiveFrame& frame, bool oddSecond)
{
    if (showPendingNotice()) return;
    const int state = frame.workState();
    QString text = link_.StrStanPracy(state, 1);
    QColor background = fromTColor(link_.KolorStanuPracy(state));
    int size = kStateFontSize;
    if (link_.bulkReading()) readDoneFrames_ = kReadDoneFrames;
    if (const uint32_t held = link_.heldEditsMask()) {
        // An edit made before its region was read: it goes out once the read is in.
        text = TextById(OwnText::EditsHeld).arg(regionTexts(held));
        size = kDetailFontSize;
    } else if (link_.bulkReading()) {
        // After connecting, the fitter sees the controller being read, and then that it is.
        text = TextById(OwnText::ReadingController).arg(link_.bulkReadTaken()).arg(link_.bulkReadTotal());
    } else if (const uint32_t notKept = link_.unwritableMask()) {
        // A write the controller did not keep stays in view until a new edit of it is kept.
        text = TextById(OwnText::WriteNotKept).arg(regionTexts(notKept));
        size = kDetailFontSize;
        background = kRed;
    } else if (readDoneFrames_ > 0) {
        text = TextById(OwnText::ControllerRead);
        --readDoneFrames_;
    } else if (frame.engineRunning() && frame.eventCode() != 0 && oddSecond) {
        // Every other second the status shows the detail of the state instead, in the smaller font; a
        // state without a detail text keeps its text and its size (it would flicker between two).
        if (const int id = LivePanels::detailTextId(frame.eventCode(), frame.eventValue())) {
            text = TextById(id);
            size = kDetailFontSize;
        }
    }
    QFont font = status_->font();
    font.setPointSize(size);
    font.setBold(false);
    showStatus(text, background, Qt::black, &font);
}

void CommandBar::showNotice(const QString& text)
{
    notice_ = text;
    noticeClock_.start();
    showPendingNotice();
}

bool CommandBar::showPendingNotice()
{
    if (notice_.isEmpty()) return false;
    if (noticeClock_.elapsed() >= kNoticeMs) {
        notice_.clear();
        return false;
    }
    QFont f = status_->font();
    f.setPointSize(kDetailFontSize);
    f.setBold(false);
    showStatus(notice_, kStatusBackground, kDarkGreen, &f);
    return true;
}

void CommandBar::showNoConnection()
{
    if (showPendingNotice()) return;
    QFont f = status_->font();
    f.setPixelSize(kNoConnectionPixels);
    f.setBold(true);
    showStatus(TextById(1240), kStatusBackground, kRed, &f);
}

void CommandBar::showConnected() { showStatus(TextById(1241), kStatusBackground, kDarkGreen, nullptr); }

void CommandBar::showCalibrationNote(const QString& text)
{
    progress_->setFormat(text);
    progress_->setTextVisible(!text.isEmpty());
    progress_->setToolTip(text);
}

void CommandBar::linkEvent(int kind, int code, int value, int length)
{
    (void)length;
    if (kind == kEventCalibrationRestarted) {
        // Why the progress fell back stays written on the bar until the calibration ends or starts
        // over again.
        showCalibrationNote(TSterownik::calibrationRestartText(code, value));
        return;
    }
    if (kind != kEventCalibration) return;
    progress_->setValue(std::clamp(value, 0, kCalibrationSteps));
    if (code != Progress) showCalibrationNote(QString());
    QPushButton* main = buttons_[kMainButton];
    const QString enter = QStringLiteral("  [Enter]");
    switch (code) {
        case Started:
            main->setText(TextById(1263) + enter);
            progress_->setValue(0);
            progress_->show();
            break;
        case Finished:
            main->setText(TextById(1261) + enter);
            progress_->hide();
            // Shown after the link's tick has returned: a message box runs its own loop, and the
            // tick that raised this event must not wait for the fitter's click.
            QTimer::singleShot(0, this, [this] {
                prompt_->message(QStringLiteral("KAVELO"),
                                 TextById(1293) + QLatin1Char('\n') + TextById(1294) + QLatin1Char('\n') +
                                     TextById(1295),
                                 Prompt::Icon::Information);
            });
            break;
        case Aborted:
            main->setText(TextById(1261) + enter);
            progress_->hide();
            QTimer::singleShot(0, this, [this] { prompt_->error(TextById(1292)); });
            break;
        case Stopped:
            main->setText(TextById(1261) + enter);
            progress_->hide();
            break;
        default: break;
    }
}

QString CommandBar::calibrationNote() const { return progress_->isTextVisible() ? progress_->format() : QString(); }
