#include "shell/Unitmain.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDate>
#include <QtCore/QDir>
#include <QtCore/QEventLoop>
#include <QtCore/QSettings>
#include <QtGui/QActionGroup>
#include <QtGui/QCloseEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "dialogs/Unitlogo.h"
#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "scope/Toscyloskop.h"
#include "session/WorkshopSession.h"
#include "shell/ChannelList.h"
#include "shell/FrameLayout.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/ScopeBar.h"
#include "shell/WidgetPrompt.h"
#include "ui/PanelSplitter.h"

TForm1* Form1 = nullptr;

namespace {

const QColor kStatusBackground(255, 251, 240);
const QColor kRed(255, 0, 0);

// Stored colours are red + 256 x green + 65536 x blue; the link keeps 0xRRGGBB.
int storedFromLink(TColor c) { return int(((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16)); }
TColor linkFromStored(int v) { return Rgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QLabel* makeTitle(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setAutoFillBackground(true);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
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
    createChart();
    buildMenus();
    // The oscilloscope's bar in the bottom strip, its view in the work area, its recording items in
    // the Device menu after the settings-file items.
    scopeBar_ = new ScopeBar(*Sterownik1, prompt, PanelScope, MenuFile, MenuFileSave, PanelBottomStatus);
    panels.add(scopeBar_);
    connect(scopeBar_, &ScopeBar::recordingRead, this, [this] {
        row1[4]->setChecked(true);
        SpeedButton1Click(4);
    });
    // History lines carry the recorded time; the channel list's changes redraw the traces.
    scopeTimeText = [this] { return scopeBar_->view()->RecordedTimeText(); };
    scopeRedraw = [this] { scopeBar_->view()->Redraw(); };

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    CreateDialogs();
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    if (Session) {
        Session->OnZdarzenie = nullptr;
        // The editor holds the session's catalogue: it goes first.
        delete Nastawy;
        Nastawy = nullptr;
        // The chart renders from the link's memory on a focus change, and closing the window
        // changes the focus after the session is gone: it goes before the session too.
        freeChart();
    }
    if (Form1 == this) Form1 = nullptr;
}

QString TForm1::TextById(int id) { return ::TextById(id); }

int TForm1::AskUser(int id, int flags)
{
    const QString text = TextById(id);
    if (flags == kAskYesNo) return prompt->confirm(text) ? kAnswerYes : 7;
    prompt->message(QStringLiteral("KAVELO"), text,
                    flags == kAskError ? Prompt::Icon::Error : Prompt::Icon::Information);
    return 1;
}

QSize TForm1::clientSize() const { return centralWidget() ? centralWidget()->size() : size(); }

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

    PanelCenter = new QWidget(central);
    PanelCenter->setObjectName(QStringLiteral("PanelCenter"));
    auto* cv = new QVBoxLayout(PanelCenter);
    cv->setContentsMargins(0, 0, 0, 0);
    cv->setSpacing(0);
    mid->addWidget(PanelCenter, 1);

    auto makeRow = [&](const char* name) {
        auto* row = new QWidget(PanelCenter);
        row->setObjectName(QLatin1String(name));
        row->installEventFilter(this);
        cv->addWidget(row);
        return row;
    };
    PanelTopTab1 = makeRow("PanelTopTab1");
    PanelTopTab2 = makeRow("PanelTopTab2");
    PanelTopTab3 = makeRow("PanelTopTab3");
    PanelTopTab2->setFixedHeight(25);
    PanelTopTab2->hide();
    PanelTopTab3->hide();

    auto makeTab = [this](QWidget* row, const QString& name, QButtonGroup* group, int id) {
        auto* b = new QToolButton(row);
        b->setObjectName(name);
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        group->addButton(b, id);
        return b;
    };
    auto* g1 = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        row1[i] = makeTab(PanelTopTab1, QStringLiteral("SpeedButton%1").arg(i + 1), g1, i);
        connect(row1[i], &QToolButton::clicked, this, [this, i] { SpeedButton1Click(i); });
    }
    row1[0]->setChecked(true);
    auto* g2 = new QButtonGroup(this);
    const int pages2[7] = {0, 1, 2, 3, 4, 6, 7};
    const char* names2[7] = {"SpeedButton11", "SpeedButton12", "SpeedButton13", "SpeedButton14",
                             "SpeedButton15", "SpeedButton21", "SpeedButton22"};
    for (int i = 0; i < 7; ++i) {
        const int page = pages2[i];
        row2[i] = makeTab(PanelTopTab2, QLatin1String(names2[i]), g2, page);
        connect(row2[i], &QToolButton::clicked, this, [this, page] { SpeedButton11Click(page); });
    }
    row2[5]->hide();
    row2[6]->hide();
    row2[0]->setChecked(true);
    auto* g3 = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        row3[i] = makeTab(PanelTopTab3, QStringLiteral("SpeedButton3%1").arg(i + 1), g3, i);
        connect(row3[i], &QToolButton::clicked, this, [this, i] { SpeedButton31Click(i); });
    }
    row3[0]->setChecked(true);

    // Below the tab rows the bottom strip spans the whole centre; above it the left panel, its
    // splitter bar and the work area.
    splitBottom = new QSplitter(Qt::Vertical, PanelCenter);
    splitBottom->setObjectName(QStringLiteral("SplitterBottom"));
    splitBottom->setHandleWidth(3);
    splitBottom->setChildrenCollapsible(false);
    cv->addWidget(splitBottom, 1);
    auto* upper = new QWidget(splitBottom);
    upper->setObjectName(QStringLiteral("PanelUpper"));
    auto* upperRow = new QHBoxLayout(upper);
    upperRow->setContentsMargins(0, 0, 0, 0);
    upperRow->setSpacing(0);

    PanelLeft = new QWidget(upper);
    PanelLeft->setObjectName(QStringLiteral("PanelLeft"));
    PanelLeft->setFixedWidth(180);
    {
        auto* lv = new QHBoxLayout(PanelLeft);
        lv->setContentsMargins(0, 0, 0, 0);
        lv->setSpacing(0);
        PanelLeftBody = new QWidget(PanelLeft);
        PanelLeftBody->setObjectName(QStringLiteral("PanelLeftBody"));
        auto* bv = new QVBoxLayout(PanelLeftBody);
        bv->setContentsMargins(0, 0, 0, 0);
        BtnUkryjLewy = new QToolButton(PanelLeftBody);
        BtnUkryjLewy->setObjectName(QStringLiteral("BtnUkryjLewy"));
        BtnUkryjLewy->setText(QStringLiteral("<"));
        BtnUkryjLewy->setToolTip(QStringLiteral("[L]"));
        BtnUkryjLewy->setFocusPolicy(Qt::NoFocus);
        connect(BtnUkryjLewy, &QToolButton::clicked, this, [this] { SetLeftCollapsed(true); });
        bv->addWidget(BtnUkryjLewy, 0, Qt::AlignRight);
        channelList_ = new ChannelList(*Sterownik1, PanelLeftBody);
        channelList_->onChannelsChanged = [this] {
            if (scopeRedraw) scopeRedraw();
        };
        bv->addWidget(channelList_, 1);
        panels.add(channelList_);
        auto* show = new QToolButton(PanelLeft);
        show->setText(QStringLiteral(">"));
        show->setFixedWidth(14);
        show->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        show->setFocusPolicy(Qt::NoFocus);
        connect(show, &QToolButton::clicked, this, [this] { SetLeftCollapsed(false); });
        PanelLeftShow = show;
        PanelLeftShow->setObjectName(QStringLiteral("PanelLeftShow"));
        PanelLeftShow->setAutoFillBackground(true);
        PanelLeftShow->hide();
        lv->addWidget(PanelLeftBody, 1);
        lv->addWidget(PanelLeftShow, 1);
    }

    PanelWork = new QWidget(upper);
    PanelWork->setObjectName(QStringLiteral("PanelWork"));
    splitLeft = new PanelSplitter(PanelLeft, PanelWork, true, upper);
    splitLeft->setObjectName(QStringLiteral("SplitterLeft"));
    upperRow->addWidget(PanelLeft);
    upperRow->addWidget(splitLeft);
    upperRow->addWidget(PanelWork, 1);
    auto* wv = new QVBoxLayout(PanelWork);
    wv->setContentsMargins(0, 0, 0, 0);
    wv->setSpacing(0);
    PanelBledy = new QWidget(PanelWork);
    PanelBledy->setObjectName(QStringLiteral("PanelBledy"));
    {
        auto* bv = new QVBoxLayout(PanelBledy);
        bv->setContentsMargins(0, 0, 0, 0);
        BanerBledy = makeTitle(PanelBledy);
        RichEditBledy = new QTextEdit(PanelBledy);
        RichEditBledy->setReadOnly(true);
        bv->addWidget(BanerBledy);
        bv->addWidget(RichEditBledy, 1);
    }
    PanelChart = new QWidget(PanelWork);
    PanelChart->setObjectName(QStringLiteral("PanelChart"));
    PanelChart->setAutoFillBackground(true);
    PanelScope = new QWidget(PanelWork);
    PanelScope->setObjectName(QStringLiteral("PanelScope"));
    PanelScope->setAutoFillBackground(true);
    Nastawy = new TNastawy(*Sterownik1, Session->catalogue(), PanelWork);
    Nastawy->setObjectName(QStringLiteral("Nastawy"));
    for (QWidget* w : {PanelBledy, PanelChart, PanelScope, static_cast<QWidget*>(Nastawy)}) {
        wv->addWidget(w, 1);
        w->hide();
    }

    PanelNasInfoObd = new QWidget(splitBottom);
    PanelNasInfoObd->setObjectName(QStringLiteral("PanelNasInfoObd"));
    auto* sv = new QVBoxLayout(PanelNasInfoObd);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->setSpacing(0);
    PanelInfo = new QWidget(PanelNasInfoObd);
    PanelInfo->setObjectName(QStringLiteral("PanelInfo"));
    {
        auto* iv = new QVBoxLayout(PanelInfo);
        iv->setContentsMargins(0, 0, 0, 0);
        BanerInfo = makeTitle(PanelInfo);
        RichEditInfo = new QTextEdit(PanelInfo);
        RichEditInfo->setReadOnly(true);
        iv->addWidget(BanerInfo);
        iv->addWidget(RichEditInfo, 1);
    }
    obdPages_ = new ObdPagesPanel(*ObdPort, PanelNasInfoObd);
    panels.add(obdPages_);
    sv->addWidget(PanelInfo, 1);
    sv->addWidget(obdPages_, 1);
    PanelInfo->hide();
    obdPages_->hide();
    splitBottom->addWidget(upper);
    splitBottom->addWidget(PanelNasInfoObd);
    splitBottom->handle(1)->setAutoFillBackground(true);
    PanelNasInfoObd->hide();

    // Right panel: readings and injection times with the switch picture.
    PanelRight = new QWidget(central);
    PanelRight->setObjectName(QStringLiteral("PanelRight"));
    auto* rh = new QHBoxLayout(PanelRight);
    rh->setContentsMargins(0, 0, 0, 0);
    rh->setSpacing(0);
    PanelRightBody = new QWidget(PanelRight);
    PanelRightBody->setObjectName(QStringLiteral("PanelRightBody"));
    {
        auto* rv = new QVBoxLayout(PanelRightBody);
        rv->setContentsMargins(2, 0, 0, 0);
        rv->setSpacing(2);
        auto* head = new QHBoxLayout;
        BanerParametry = makeTitle(PanelRightBody);
        BtnUkryjPrawy = new QToolButton(PanelRightBody);
        BtnUkryjPrawy->setObjectName(QStringLiteral("BtnUkryjPrawy"));
        BtnUkryjPrawy->setText(QStringLiteral(">"));
        BtnUkryjPrawy->setToolTip(QStringLiteral("[R]"));
        BtnUkryjPrawy->setFocusPolicy(Qt::NoFocus);
        connect(BtnUkryjPrawy, &QToolButton::clicked, this, [this] { SetRightCollapsed(true); });
        head->addWidget(BanerParametry, 1);
        head->addWidget(BtnUkryjPrawy);
        rv->addLayout(head);
        BanerCzasWtr = makeTitle(PanelRightBody);
        // The live readings come first of the panels: a view added later sees them shown.
        readings_ = new ReadingsPanel(*Sterownik1, PanelRight, BanerCzasWtr, PanelRightBody);
        connect(readings_, &ReadingsPanel::switchPictureClicked, this,
                [this] { Sterownik1->requestCommand(TSterownik::CmdAutoFuelChange); });
        rv->addWidget(readings_, 1);
        panels.add(readings_);
        connect(Session, &WorkshopSession::aliveChanged, readings_, &ReadingsPanel::showLinkState);
    }
    {
        auto* show = new QToolButton(PanelRight);
        show->setText(QStringLiteral("<"));
        show->setFixedWidth(14);
        show->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        show->setFocusPolicy(Qt::NoFocus);
        connect(show, &QToolButton::clicked, this, [this] { SetRightCollapsed(false); });
        PanelRightShow = show;
        PanelRightShow->setObjectName(QStringLiteral("PanelRightShow"));
        PanelRightShow->setAutoFillBackground(true);
        PanelRightShow->hide();
    }
    rh->addWidget(PanelRightBody, 1);
    rh->addWidget(PanelRightShow, 1);
    splitRight = new PanelSplitter(PanelRight, PanelCenter, false, central);
    splitRight->setObjectName(QStringLiteral("SplitterRight"));
    mid->addWidget(splitRight);
    mid->addWidget(PanelRight);

    // Bottom bar: command buttons, progress bar and the status panel; the oscilloscope's bar joins
    // it when the oscilloscope is made.
    PanelBottomStatus = new QWidget(central);
    PanelBottomStatus->setObjectName(QStringLiteral("PanelBottomStatus"));
    PanelBottomStatus->setFixedHeight(28);
    PanelBottomStatus->installEventFilter(this);
    v->addWidget(PanelBottomStatus);
    for (int i = 0; i < 4; ++i) {
        cmd[i] = new QPushButton(PanelBottomStatus);
        cmd[i]->setObjectName(QStringLiteral("Btn5%1").arg(i + 1));
        cmd[i]->setFocusPolicy(Qt::NoFocus);
        cmd[i]->hide();
        connect(cmd[i], &QPushButton::clicked, this, [this, i] { Btn51Click(i); });
    }
    ProgressBar1 = new QProgressBar(PanelBottomStatus);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1024);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    PanelStatus = new QLabel(PanelBottomStatus);
    PanelStatus->setObjectName(QStringLiteral("PanelStatus"));
    PanelStatus->setAlignment(Qt::AlignCenter);
    PanelStatus->setAutoFillBackground(true);
    PanelStatus->setToolTip(QStringLiteral("[F11]"));
    PanelStatus->installEventFilter(this);
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

void TForm1::buildMenus()
{
    MenuFile = menuBar()->addMenu(QString());
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFileFirmware = MenuFile->addAction(QString(), this, &TForm1::MenuFileFirmwareClick);
    MenuFile->addSeparator();
    MenuFileRead = MenuFile->addAction(QString(), this, &TForm1::MenuFileReadClick);
    MenuFileSave = MenuFile->addAction(QString(), this, &TForm1::MenuFileSaveClick);
    buildBackupMenu();

    MenuConn = menuBar()->addMenu(QString());
    MenuConn->setObjectName(QStringLiteral("MenuConn"));
    connect(MenuConn, &QMenu::aboutToShow, this, &TForm1::MenuConnClick);
    MenuElm = menuBar()->addMenu(QStringLiteral("ELM"));
    MenuElm->setObjectName(QStringLiteral("MenuElm"));
    connect(MenuElm, &QMenu::aboutToShow, this, &TForm1::MenuElmClick);

    auto radioMenu = [this](QMenu*& menu, const char* name, auto& items, auto handler) {
        menu = menuBar()->addMenu(QString());
        menu->setObjectName(QLatin1String(name));
        auto* group = new QActionGroup(menu);
        for (int i = 0; i < int(items.size()); ++i) {
            items[i] = menu->addAction(QString());
            items[i]->setCheckable(true);
            group->addAction(items[i]);
            connect(items[i], &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
        }
    };
    radioMenu(MenuLang, "MenuLang", langItems, &TForm1::MenuLang0Click);
    radioMenu(MenuView, "MenuView", viewItems, &TForm1::MenuView0Click);
    radioMenu(MenuColor, "MenuColor", colorItems, &TForm1::MenuColor0Click);
    buildMenuItems();
}

void TForm1::rebuildPortMenu(QMenu* menu, TSerial* port)
{
    QList<PortMenuItem>& items = port == Sterownik1 ? connItems_ : elmItems_;
    port->PortList(items);
    items[0].caption = TextById(port->PortConnected() ? 1119 : 1118);
    if (port == Sterownik1) items[0].tag = connTag;
    menu->clear();
    auto* group = new QActionGroup(menu);
    for (int i = 0; i < items.size(); ++i) {
        const PortMenuItem& it = items[i];
        if (it.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(it.caption);
        if (it.radio) {
            a->setCheckable(true);
            a->setChecked(it.checked);
            group->addAction(a);
        }
        connect(a, &QAction::triggered, this, [this, port, i] {
            QList<PortMenuItem>& list = port == Sterownik1 ? connItems_ : elmItems_;
            if (i >= list.size()) return;
            port->PortOnClick(list[i]);
            if (port == Sterownik1 && i == 0) connTag = list[0].tag;
        });
    }
    if (port == ObdPort) addWifiItem(menu, group);
}

void TForm1::MenuConnClick() { rebuildPortMenu(MenuConn, Sterownik1); }
void TForm1::MenuElmClick() { rebuildPortMenu(MenuElm, ObdPort); }

// ---------------------------------------------------------------- lifecycle

void TForm1::FormCreate()
{
    SetLeftCollapsed(true);
    InitGrids();
    Nastawy->RegisterSettings();
    Nastawy->LoadDefaults();
    QCoreApplication::processEvents();

    prefs = Preferences();
    if (auto store = openPreferences()) {
        prefs.read(*store);
        developerMode = Preferences::developerMode(*store) ? 1 : 0;
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
    langItems[language]->setChecked(true);
    viewItems[viewLevel]->setChecked(true);
    colorItems[theme]->setChecked(true);

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
    row1[0]->setChecked(true);
    SpeedButton1Click(0);
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
    freeChart();
    delete Nastawy;
    Nastawy = nullptr;
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
    if (topTab == 3 && ++diagnosticsCounter > 50) {
        diagnosticsCounter = 0;
        Sterownik1->RozkazDoSterownika(2);
    }
    // While the link is not alive the status says so at every tick, over whatever was shown.
    if (!Session->linkAlive()) {
        QFont f = PanelStatus->font();
        f.setPixelSize(16);
        f.setBold(true);
        setStatus(TextById(1240), kStatusBackground, kRed, &f);
        identified = false;
    }
    if (!closing_) Timer1->start();
}

void TForm1::Timer2Timer()
{
    ++splashTicks;
    if (splashTicks == 1) {
        FormLogo->showCentredOn(this, palette.background);
    } else if (splashTicks >= 5) {
        FormLogo->close();
        Timer2->stop();
    }
}

// ---------------------------------------------------------------- keyboard

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == PanelTopTab1 || watched == PanelTopTab2 || watched == PanelTopTab3) FitTabRows();
        if (watched == PanelBottomStatus) LayoutCommandButtons();
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == PanelStatus && Sterownik1) Sterownik1->requestCommand(TSterownik::CmdQuickFuelChange);
    }
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
            const bool typing = Grafika1 && Grafika1->editingInPlace();
            if (!propagating && !typing) {
                FormKeyDown(static_cast<QKeyEvent*>(event)->key());
                chartKeyDown(static_cast<QKeyEvent*>(event));
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent* event) { event->accept(); }

void TForm1::FormKeyDown(int key)
{
    if (!Sterownik1) return;
    const bool dev = developerMode != 0;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (topTab == 1) StartStopCalibration();
            else if (topTab == 2) Sterownik1->WykonajAdaptacje();
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
        case Qt::Key_L: SetLeftCollapsed(PanelLeft->property("tag").toInt() != 1); break;
        case Qt::Key_R: SetRightCollapsed(PanelRight->property("tag").toInt() != 1); break;
        case Qt::Key_F1:
            row1[0]->setChecked(true);
            SpeedButton1Click(0);
            break;
        case Qt::Key_F2:
            row1[1]->setChecked(true);
            SpeedButton1Click(1);
            break;
        case Qt::Key_F4:
            row1[3]->setChecked(true);
            SpeedButton1Click(3);
            break;
        case Qt::Key_F5:
            row1[4]->setChecked(true);
            SpeedButton1Click(4);
            break;
        case Qt::Key_F3:
            if (topTab == 2) {
                const int next = mapPage >= 0 && mapPage < 4 ? mapPage + 1 : 0;
                row2[next]->setChecked(true);
                SpeedButton11Click(next);
            } else {
                row1[2]->setChecked(true);
                SpeedButton1Click(2);
            }
            break;
        case Qt::Key_F6:
            if (topTab == 5) {
                const int next = (obdPage + 1) % 4;
                row3[next]->setChecked(true);
                SpeedButton31Click(next);
            } else {
                row1[5]->setChecked(true);
                SpeedButton1Click(5);
            }
            break;
        case Qt::Key_F11: Sterownik1->requestCommand(TSterownik::CmdQuickFuelChange); break;
        default: break;
    }
}
