#include "shell/Unitmain.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QEventLoop>
#include <QtCore/QSettings>
#include <QtGui/QCloseEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolButton>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitlogo.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "scope/Toscyloskop.h"
#include "session/WorkshopSession.h"
#include "shell/AdminTools.h"
#include "shell/ChannelList.h"
#include "shell/CommandBar.h"
#include "shell/DiagnosticBoxes.h"
#include "shell/FrameLayout.h"
#include "shell/MainMenu.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/ScopeBar.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/WidgetPrompt.h"
#include "shell/WindowDialogs.h"
#include "shell/WindowParts.h"
#include "shell/WorkPages.h"
#include "ui/PanelSplitter.h"

TForm1* Form1 = nullptr;

namespace {

// The splash shows from the first to the fifth tick of its timer.
constexpr int kSplashTicks = 5;
// The Diagnostics tab asks for the error list again every 50 watchdog ticks (5 s).
constexpr int kErrorListTicks = 50;

// Stored colours are red + 256 x green + 65536 x blue; the link keeps 0xRRGGBB.
int storedFromLink(TColor c) { return int(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16)); }
TColor linkFromStored(int v) { return Rgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

QString BaseCaption(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    bool ok = parts.size() >= 3;
    int n[3] = {0, 0, 0};
    for (int i = 0; ok && i < 3; ++i) n[i] = parts[i].toInt(&ok);
    if (!ok) return QStringLiteral("KAVELO ver 2.03");
    return QStringLiteral("KAVELO v%1.%2%3").arg(n[0]).arg(n[1]).arg(n[2]);
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    // The window's captions and the settings editor's labels are fitted to Tahoma's widths. Where
    // Tahoma is not installed the system's default sans face is much wider and cuts long labels
    // sooner; a condensed face comes closest to Tahoma.
    QString family = QStringLiteral("Tahoma");
    if (!QFontDatabase::hasFamily(family))
        for (const QString& standIn : {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Nimbus Sans")})
            if (QFontDatabase::hasFamily(standIn)) {
                family = standIn;
                break;
            }
    QFont f(family);
    f.setPointSize(8);
    setFont(f);
    const QString version = QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(KAVELO_VERSION)
                                                                             : QCoreApplication::applicationVersion();
    baseCaption = BaseCaption(version);
    setWindowTitle(baseCaption);
    openPreferences = [] { return Platform::OpenPreferences(); };
    programFolder = QCoreApplication::applicationDirPath();
    openFolder = [](const QString& folder) { Platform::OpenFolder(folder); };
    ownPrompt_ = std::make_unique<WidgetPrompt>(this);
    prompt = ownPrompt_.get();

    // The session makes the link, the catalogue, the backups, the petrol restore and the OBD reader
    // (given the link); the link's events reach the window after the backups have taken them.
    session_ = std::make_unique<WorkshopSession>();
    Session = session_.get();
    Sterownik1 = &Session->link();
    Backups = &Session->backups();
    Session->OnZdarzenie = [this](int kind, int code, int value, int length) { LinkEvent(kind, code, value, length); };
    connect(Sterownik1, &TSterownik::liveFrame, this, &TForm1::LiveFrameReceived);
    // The OBD reader's panel follows it from its creation below; its events reach the window.
    ObdPort = &Session->obd();
    ObdPort->OnZdarzenie = [this](int kind, int code, int value, int length) { LinkEvent(kind, code, value, length); };

    buildWidgets();
    menus_ = new MainMenu(*this);
    panels.add(menus_);
    // The oscilloscope's bar in the bottom strip, its view in the work area, its recording items in
    // the Device menu after the settings-file items.
    scopeBar_ =
        new ScopeBar(*Sterownik1, prompt, pages_->PanelScope(), menus_->MenuFile(), menus_->MenuFileSave(), commands_);
    scopeBar_->view()->recorder = &Session->recorder();
    commands_->setToolBar(scopeBar_);
    panels.add(scopeBar_);
    connect(scopeBar_, &ScopeBar::recordingRead, this, [this] { showTab(TabRows::Oscilloscope); });
    // History lines carry the recorded time; the channel list's changes redraw the traces.
    pages_->diagnostics()->timeText = [this] { return scopeBar_->view()->RecordedTimeText(); };
    channelList()->onChannelsChanged = [this] { scopeBar_->view()->Redraw(); };

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    // The dialogs after the main window, in the program's order.
    dialogs_ = new WindowDialogs(this, Session, panels);
    pages_->Nastawy()->OnDetail = [this](int kind, int index) { NastawyDetail(kind, index); };
    admin_ = std::make_unique<AdminTools>(*Sterownik1, *ObdPort, Session->catalogue(), *dialogs_->FormAdmin());
    // Closing the log window by its own close box is the same as unticking "Transmisja".
    connect(dialogs_->FormAdmin(), &QDialog::finished, this, [this] {
        if (menus_->MenuA0()->isChecked()) menus_->MenuA0()->trigger();
    });
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    if (Session) {
        Session->OnZdarzenie = nullptr;
        freeViews();
    }
    if (Form1 == this) Form1 = nullptr;
}

// The chart renders from the link's memory on a focus change, and closing the window changes the
// focus after the session is gone; the editor holds the session's catalogue: both go before it.
void TForm1::freeViews()
{
    panels.remove(pages_->Grafika1());
    pages_->freeViews();
}

QString TForm1::TextById(int id) { return ::TextById(id); }

int TForm1::AskUser(int id, int flags)
{
    const QString text = TextById(id);
    if (flags == kAskYesNo) return prompt->confirm(text) ? kAnswerYes : kAnswerNo;
    prompt->message(QStringLiteral("KAVELO"), text,
                    flags == kAskError ? Prompt::Icon::Error : Prompt::Icon::Information);
    return 1;
}

QSize TForm1::clientSize() const { return centralWidget() ? centralWidget()->size() : size(); }
SidePanel* TForm1::leftPanel() const { return pages_->left(); }
ChannelList* TForm1::channelList() const { return pages_->channelList(); }
ObdPagesPanel* TForm1::obdPages() const { return pages_->obdPages(); }

// ---------------------------------------------------------------- widgets

void TForm1::buildWidgets()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* mid = new QHBoxLayout;
    mid->setSpacing(0);
    v->addLayout(mid, 1);

    auto* centre = new QWidget(central);
    centre->setObjectName(QStringLiteral("PanelCenter"));
    auto* cv = new QVBoxLayout(centre);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->setSpacing(0);
    mid->addWidget(centre, 1);
    tabs_ = new TabRows(centre, cv);
    connect(tabs_, &TabRows::topTabClicked, this, &TForm1::SpeedButton1Click);
    connect(tabs_, &TabRows::mapPageClicked, this, &TForm1::SpeedButton11Click);
    connect(tabs_, &TabRows::obdPageClicked, this, &TForm1::SpeedButton31Click);
    // Bottom bar: command buttons, progress bar and the status panel; the oscilloscope's bar joins
    // it when the oscilloscope is made.
    commands_ = new CommandBar(*Sterownik1, prompt, central, central);
    connect(commands_, &CommandBar::commandClicked, this, &TForm1::Btn51Click);
    pages_ = new WorkPages(*this, centre, cv);
    connect(leftPanel(), &SidePanel::collapseRequested, this, &TForm1::SetLeftCollapsed);

    // Right panel: readings and injection times with the switch picture.
    right_ = new SidePanel(SidePanel::Side::Right, centre, central);
    connect(right_, &SidePanel::collapseRequested, this, &TForm1::SetRightCollapsed);
    connect(right_->titleButton(), &QToolButton::clicked, this, &TForm1::BtnParamListClick);
    auto* injectionTitle = right_->addTitle();
    readings_ = new ReadingsPanel(*Sterownik1, right_, injectionTitle, right_->body());
    connect(readings_, &ReadingsPanel::switchPictureClicked, this,
            [this] { Sterownik1->requestCommand(TSterownik::CmdAutoFuelChange); });
    right_->bodyLayout()->addWidget(readings_, 1);
    connect(Session, &WorkshopSession::aliveChanged, readings_, &ReadingsPanel::showLinkState);
    mid->addWidget(right_->bar());
    mid->addWidget(right_);
    v->addWidget(commands_);

    // The window's panels in their order: the live readings before the chart, so a view added
    // later sees them shown.
    for (Panel* panel :
         std::initializer_list<Panel*>{pages_->channelList(), pages_->obdPages(), leftPanel(), right_, readings_,
                                       pages_->Grafika1(), tabs_, pages_, pages_->diagnostics(), commands_})
        panels.add(panel);
}

void TForm1::applyDesignSize()
{
    applyMinimumSize();
    resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect a = s->availableGeometry();
        move(a.center() - rect().center());
    }
}

QSize TForm1::frameExtra() const { return isWindow() ? frameGeometry().size() - geometry().size() : QSize(); }

void TForm1::applyMinimumSize()
{
    if (!menuBar()) return;
    const QSize extra = frameExtra();
    setMinimumSize(
        FrameLayout::minimumWindowSize(extra, QSize(kDesignWidth, kDesignHeight), menuBar()->sizeHint().height()));
    // Stored bounds are the outer ones; the frame they include is known only once the window is
    // decorated, so they are applied again then.
    if (storedOuter_.isValid() && !extra.isNull()) {
        const QRect outer = storedOuter_;
        storedOuter_ = QRect();
        resize(outer.size() - extra);
        move(outer.topLeft());
    }
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    applyMinimumSize();
}

void TForm1::MenuConnClick() { menus_->rebuildConnMenu(); }
void TForm1::MenuElmClick() { menus_->rebuildElmMenu(); }

// ---------------------------------------------------------------- lifecycle

void TForm1::FormCreate()
{
    SetLeftCollapsed(true);
    InitGrids();
    pages_->Nastawy()->RegisterSettings();
    pages_->Nastawy()->LoadDefaults();
    QCoreApplication::processEvents();

    prefs = Preferences();
    if (auto store = openPreferences()) {
        prefs.read(*store);
        developerMode = Preferences::developerMode(*store) ? kDeveloperOn : kDeveloperOff;
    }
    Sterownik1->portNumber = portOverride > 0 ? portOverride : prefs.comm;
    ObdPort->portNumber = elmPortOverride > 0 ? elmPortOverride : prefs.elmComm;
    restoreElmAddress();
    Relabel();
    // The design client area centred on the desktop, unless the preferences hold the bounds.
    if (prefs.hasBounds) {
        applyMinimumSize();
        storedOuter_ = prefs.bounds;
        resize(prefs.bounds.size() - frameExtra());
        move(prefs.bounds.topLeft());
    } else {
        applyDesignSize();
    }
    if (prefs.hasState && prefs.windowState == 2) setWindowState(Qt::WindowMaximized);
    else if (prefs.hasState && prefs.windowState == 1) setWindowState(Qt::WindowMinimized);
    applyChannelColours();

    theme = prefs.theme;
    language = prefs.language;
    viewLevel = prefs.view;
    programLanguage() = language;
    menus_->langItem(language)->setChecked(true);
    menus_->viewItem(viewLevel)->setChecked(true);
    menus_->colorItem(theme)->setChecked(true);

    obdState = -1;
    Relabel();
    ApplyColors();
    ApplyView();
    QCoreApplication::processEvents();
}

void TForm1::FormShow()
{
    dataRoot = Platform::DocumentsFolder();
    if (!dataRoot.isEmpty()) {
        Sterownik1->documentsFolder = dataRoot;
        QDir root(dataRoot);
        for (const char* sub : {"ORVA", "ORVA/Kavelo II", "ORVA/Kavelo II/Scope", "ORVA/Kavelo II/Settings"})
            root.mkdir(QLatin1String(sub));
    }
    Sterownik1->workshopId = Platform::WorkshopIdentity();
    StartBackups();
    SpeedButton31Click(0);
    SpeedButton11Click(0);
    showTab(TabRows::Settings);
    QCoreApplication::processEvents();
    Session->openPort(-1);
    // The adapter's port opens on the fitter's command, or here when it was named for this run.
    if (elmPortOverride > 0 || !elmAddressOverride.isEmpty()) ObdPort->PortOpen(-1);
    Timer1->start();
    Timer2->setInterval(developerMode ? 100 : 1000);
    Timer2->start();
}

bool TForm1::FormCloseQuery()
{
    Timer1->stop();
    QCoreApplication::processEvents();
    pause(200);
    return true;
}

void TForm1::FormClose()
{
    Sterownik1->PortClose();
    ObdPort->PortClose();

    collectChannelColours();
    // Ports given on the command line are for this run only.
    prefs.comm = portOverride > 0 && Sterownik1->portNumber == portOverride ? prefs.comm : Sterownik1->portNumber;
    prefs.elmComm = elmPortOverride > 0 && ObdPort->portNumber == elmPortOverride ? prefs.elmComm : ObdPort->portNumber;
    storeElmAddress();
    prefs.theme = theme;
    prefs.language = language;
    prefs.view = viewLevel;
    prefs.windowState = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    const bool writeBounds = !isMaximized();
    if (writeBounds) prefs.bounds = frameGeometry();
    if (auto store = openPreferences(); store && store->isWritable()) prefs.write(*store, writeBounds);

    QCoreApplication::processEvents();
    Timer2->stop();
    // The chart first, then the editor (it holds the session's catalogue), then the session: the OBD
    // reader, the catalogue and the link last. The views hold the link.
    freeViews();
    Session->OnZdarzenie = nullptr;
    ObdPort = nullptr;
    Sterownik1 = nullptr;
    Backups = nullptr;
    Session = nullptr;
    session_.reset();
    QCoreApplication::processEvents();
    pause(200);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (closing_ || !Sterownik1) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    closing_ = true;
    FormClose();
    event->accept();
}

void TForm1::applyChannelColours()
{
    for (size_t i = 0; i < Preferences::kColourIds.size(); ++i) {
        if (prefs.colours[i] < 0) continue;
        for (int c = 0; c < Sterownik1->channels().size(); ++c)
            if (Sterownik1->channels()[c].id == Preferences::kColourIds[i])
                Sterownik1->setChannelColour(c, linkFromStored(prefs.colours[i]));
    }
}

void TForm1::collectChannelColours()
{
    for (size_t i = 0; i < Preferences::kColourIds.size(); ++i)
        for (const TWykres& w : Sterownik1->channels())
            if (w.id == Preferences::kColourIds[i]) prefs.colours[i] = storedFromLink(w.colour);
}

// ---------------------------------------------------------------- timers

void TForm1::Timer1Timer()
{
    if (!Session) return;
    // Disconnected through the Connection menu (or a file loaded): a lost link stays closed.
    Session->reconnect = connTag == 0;
    if (Session->watchdogTick()) ++secondsCounter;
    if (pages_->topTab() == TabRows::Diagnostics && ++diagnosticsCounter > kErrorListTicks) {
        diagnosticsCounter = 0;
        Sterownik1->RozkazDoSterownika(kErrorListRequest);
    }
    // While the link is not alive the status says so at every tick, over whatever was shown.
    if (!Session->linkAlive()) {
        commands_->showNoConnection();
        identified = false;
    }
    if (!closing_) Timer1->start();
}

void TForm1::Timer2Timer()
{
    ++splashTicks;
    if (splashTicks == 1) {
        dialogs_->FormLogo()->showCentredOn(this, palette.background);
    } else if (splashTicks >= kSplashTicks) {
        dialogs_->FormLogo()->close();
        Timer2->stop();
    }
}

// ---------------------------------------------------------------- keyboard

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // The window previews every key before the focused control; a key propagating to the
        // parents of its first receiver is the same press and is handled once.
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) {
            const bool propagating =
                event == keySeen_ && keyReceiver_ && w != keyReceiver_ && w->isAncestorOf(keyReceiver_);
            keySeen_ = event;
            keyReceiver_ = w;
            // Text typed into the chart's header editor is not a window shortcut.
            TGrafika* chart = pages_->Grafika1();
            const bool typing = chart && chart->editingInPlace();
            if (!propagating && !typing) {
                const auto* key = static_cast<QKeyEvent*>(event);
                FormKeyDown(key->key());
                if (chart) chart->KeyDown(key->key(), key->modifiers());
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent* event) { event->accept(); }

void TForm1::showTab(int tab)
{
    tabs_->row1()[tab]->setChecked(true);
    SpeedButton1Click(tab);
}

void TForm1::FormKeyDown(int key)
{
    if (!Sterownik1) return;
    const bool dev = developerMode != kDeveloperOff;
    const int topTab = pages_->topTab();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (topTab == TabRows::Calibration) StartStopCalibration();
            else if (topTab == TabRows::Map) Sterownik1->WykonajAdaptacje();
            break;
        case Qt::Key_Space: Sterownik1->requestCommand(TSterownik::CmdAutoFuelChange); break;
        case Qt::Key_H:
            if (dev) MenuView0Click(-1);
            break;
        case Qt::Key_J:
            if (dev) MenuLang0Click(-1);
            break;
        case Qt::Key_K:
            if (dev) MenuColor0Click(-1);
            break;
        case Qt::Key_Q:
            if (dev) ToggleAdminMode();
            break;
        case Qt::Key_L: SetLeftCollapsed(!leftPanel()->collapsed()); break;
        case Qt::Key_R: SetRightCollapsed(!right_->collapsed()); break;
        case Qt::Key_F1: showTab(TabRows::Settings); break;
        case Qt::Key_F2: showTab(TabRows::Calibration); break;
        case Qt::Key_F4: showTab(TabRows::Diagnostics); break;
        case Qt::Key_F5: showTab(TabRows::Oscilloscope); break;
        case Qt::Key_F3:
            if (topTab == TabRows::Map) {
                // F3 steps through the first line of map pages.
                const int page = pages_->mapPage();
                const int next = page >= 0 && page < 4 ? page + 1 : 0;
                tabs_->row2()[next]->setChecked(true);
                SpeedButton11Click(next);
            } else {
                showTab(TabRows::Map);
            }
            break;
        case Qt::Key_F6:
            if (topTab == TabRows::Obd) {
                const int next = (pages_->obdPage() + 1) % TabRows::kObdTabs;
                tabs_->row3()[next]->setChecked(true);
                SpeedButton31Click(next);
            } else {
                showTab(TabRows::Obd);
            }
            break;
        case Qt::Key_F11: Sterownik1->requestCommand(TSterownik::CmdQuickFuelChange); break;
        default: break;
    }
}
