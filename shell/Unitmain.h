#pragma once

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtCore/QVector>
#include <QtWidgets/QMainWindow>

#include <array>
#include <functional>
#include <memory>

#include "base/Preferences.h"
#include "base/Prompt.h"
#include "link/LinkEvents.h"
#include "link/Tserial.h"
#include "ui/Panel.h"
#include "ui/Theme.h"

class QAction;
class QBoxLayout;
class QPainter;
class QActionGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSettings;
class QSplitter;
class PanelSplitter;
class QTextEdit;
class ReadingsPanel;
class ChannelList;
class QToolButton;
class StringGrid;
class TObd;
class TSterownik;
class TNastawy;
class TGrafika;
class TFormLogo;
class TFormProg;
class AutoBackup;
class TFormLevel;
class TFormInj;
class TFormSeq;
class TFormNastaw;
class TFormCal;
class TFormAdmin;
class TFormDevice;
class TFormService;
class TFormParam;
class WorkshopSession;
class ObdPagesPanel;
class ScopeBar;

// The main window: builds on a workshop session (the controller link, the OBD reader, the settings
// catalogue, the backups and the watchdog), creates the views, shows what the session reports,
// restores and saves the user's preferences, and shows the workspace tabs, menus and panels.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Design client area.
    static constexpr int kDesignWidth = 740;
    static constexpr int kDesignHeight = 417;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Text of `id` in the current language.
    static QString TextById(int id);
    // Questions and messages to the user; tests point it at scripted answers.
    Prompt* prompt = nullptr;
    // Message box with the language text `id` and the caption "KAVELO". `flags` as the standard
    // message-box styles in use: 16 error icon with OK, 52 exclamation icon with Yes and No.
    // Returns the standard code of the button pressed: 1 OK, 6 Yes, 7 No.
    static constexpr int kAskError = 16;
    static constexpr int kAskYesNo = 52;
    static constexpr int kAnswerYes = 6;
    int AskUser(int id, int flags);

    // --- lifecycle
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    // Preferences come from here; tests point it at a temporary store.
    std::function<std::unique_ptr<QSettings>()> openPreferences;

    // --- timers (public so that tests drive them step by step)
    // The 100 ms tick: the session's watchdog step, then what the window shows of it.
    void Timer1Timer();
    void Timer2Timer();
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // --- link events
    void LinkEvent(int kind, int code, int value, int length);
    // Status panel (work state or its detail) and the Diagnostics tab's colour for a live frame.
    void ShowLiveFrame(const LiveFrame& frame);
    // Each verified live frame from the link: the status panel, then every panel in the order they
    // were added (the readings first), then the history box's fuel-switch and adaptation lines.
    void LiveFrameReceived(const LiveFrame& frame);
    // The Diagnostics tab's errors box from an error-list reply (0x82).
    void ShowErrors(const LiveFrame& list);
    // The window's panels and dialogs: each gets every live frame, every link event, every language
    // change and every theme. A new panel joins with one `panels.add`.
    PanelList panels;

    // --- appearance
    void Relabel();
    void ApplyColors();
    void ApplyView();
    void FormResize();
    void LayoutCommandButtons();
    void FitTabRows();

    // --- navigation
    void SpeedButton1Click(int tab);    // top tab; -1 re-applies the current one
    void SpeedButton11Click(int page);  // map page
    void SpeedButton31Click(int page);  // OBD page
    void Btn51Click(int button);        // command button 0..3 (Btn51..Btn54)
    void SetLeftCollapsed(bool collapsed);
    void SetRightCollapsed(bool collapsed);

    // --- menus
    void MenuLang0Click(int index);   // -1 steps to the next language
    void MenuView0Click(int index);   // -1 steps to the next view level
    void MenuColor0Click(int index);  // -1 steps to the next theme
    void MenuConnClick();             // rebuilds the Connection menu
    void MenuElmClick();              // rebuilds the ELM menu
    // The ELM menu's "Wi-Fi adapter..." (UnitmainWifi.cpp): asks for the adapter's address (the
    // last one typed, or the common default) and connects the OBD reader there.
    void MenuElmWifiClick();
    void MenuFileReadClick();
    void MenuFileSaveClick();
    void MenuFileFirmwareClick();

    // --- components and state
    // The workshop session the window builds on (owned; null once the window has closed).
    WorkshopSession* Session = nullptr;
    TSterownik* Sterownik1 = nullptr;  // the session's controller link
    TObd* ObdPort = nullptr;           // the session's OBD reader on the adapter's port
    TNastawy* Nastawy = nullptr;
    TFormLogo* FormLogo = nullptr;
    TFormProg* FormProg = nullptr;

    // --- dialogs opened from the settings editor (UnitmainDialogs.cpp)
    TFormLevel* FormLevel = nullptr;
    TFormInj* FormInj = nullptr;
    TFormSeq* FormSeq = nullptr;
    TFormNastaw* FormNastaw = nullptr;
    TFormCal* FormCal = nullptr;
    // Creates the dialogs in the program's order, attaches the editor's detail cells and buttons
    // to them and adds the live-frame receivers of the level and assignment dialogs.
    void CreateDialogs();
    // The editor's -10 cell (kind -10; index 0 corrections, 1 calculator) or the detail button of
    // setting `index` (kind 0).
    void NastawyDetail(int kind, int index);

    Preferences prefs;
    int theme = 3;
    int language = 1;
    int viewLevel = 1;
    int developerMode = 0;  // 0 off, 1 on, 3 on with admin mode
    int topTab = 0;
    int mapPage = 0;
    int obdPage = 0;
    int obdState = -1;
    int secondsCounter = 0;
    int diagnosticsCounter = 0;
    int splashTicks = 0;
    int connTag = 0;          // tag of the Connection menu's first item: 0 connect, -1 disconnected
    bool identified = false;  // the controller has identified itself in application mode
    QString baseCaption;
    QString dataRoot;
    ThemePalette palette;
    std::array<int, 4> commandTags{};

    // Port numbers given on the command line for this run (0 = the remembered ones).
    int portOverride = 0;
    int elmPortOverride = 0;
    // A Wi-Fi adapter's HOST:PORT given as the ELM port for this run (empty = none).
    QString elmAddressOverride;

    // --- widgets, by their form names
    QWidget* PanelCenter = nullptr;
    QWidget* PanelTopTab1 = nullptr;
    QWidget* PanelTopTab2 = nullptr;
    QWidget* PanelTopTab3 = nullptr;
    QWidget* PanelLeft = nullptr;
    QWidget* PanelLeftBody = nullptr;  // the left panel's contents, hidden while collapsed
    QWidget* PanelLeftShow = nullptr;  // the collapsed left panel's handle
    QWidget* PanelRight = nullptr;
    QWidget* PanelRightBody = nullptr;
    QWidget* PanelRightShow = nullptr;
    QWidget* PanelWork = nullptr;  // the centre below the tab rows
    QWidget* PanelNasInfoObd = nullptr;
    QWidget* PanelBledy = nullptr;
    QWidget* PanelInfo = nullptr;
    QWidget* PanelChart = nullptr;  // place of the chart component
    QWidget* PanelScope = nullptr;  // place of the oscilloscope view
    QWidget* PanelBottomStatus = nullptr;
    QLabel* PanelStatus = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTextEdit* RichEditBledy = nullptr;
    QTextEdit* RichEditInfo = nullptr;
    QLabel* BanerParametry = nullptr;
    QLabel* BanerCzasWtr = nullptr;
    QLabel* BanerBledy = nullptr;
    QLabel* BanerInfo = nullptr;
    QToolButton* BtnUkryjLewy = nullptr;
    QToolButton* BtnUkryjPrawy = nullptr;
    std::array<QToolButton*, 6> row1{};
    std::array<QToolButton*, 7> row2{};   // SpeedButton11..15, 21, 22
    std::array<QToolButton*, 4> row3{};   // SpeedButton31..34
    std::array<QPushButton*, 4> cmd{};    // Btn51..Btn54
    PanelSplitter* splitLeft = nullptr;   // bar right of the left panel
    QSplitter* splitBottom = nullptr;     // the work area over the bottom strip
    PanelSplitter* splitRight = nullptr;  // bar left of the right panel

    QMenu* MenuFile = nullptr;
    QMenu* MenuConn = nullptr;
    QMenu* MenuElm = nullptr;
    QMenu* MenuLang = nullptr;
    QMenu* MenuView = nullptr;
    QMenu* MenuColor = nullptr;
    QAction* MenuFileFirmware = nullptr;
    QAction* MenuFileRead = nullptr;
    QAction* MenuFileSave = nullptr;
    std::array<QAction*, 4> langItems{};
    std::array<QAction*, 3> viewItems{};
    std::array<QAction*, 6> colorItems{};

    // --- oscilloscope: the view, its button bar and the recording items of the Device menu
    ScopeBar* scopeBar() const { return scopeBar_; }
    void BitBtnOsc01Click(int code);  // hands the button's number to the oscilloscope
    void MenuFile5Click();            // read a recording
    void MenuFile6Click();            // start or stop a recording
    void MenuFile7Click();            // CSV export
    // --- automatic backups and comparing with a file (UnitmainBackups.cpp)
    AutoBackup* Backups = nullptr;  // the session's backups
    QAction* MenuFileCompare = nullptr;
    QAction* MenuFileAutoBackup = nullptr;
    QAction* MenuFileBackupFolder = nullptr;
    void MenuFileCompareClick();
    void MenuFileAutoBackupClick(bool on);
    void MenuFileBackupFolderClick();
    // Saves a backup of a completely read controller before a firmware update or factory settings.
    void BackupBeforeChange();
    // --- chart component (UnitmainCharts.cpp)
    TGrafika* Grafika1 = nullptr;
    // Shows view `view` of the chart (-1 background only, 5 for the OBD page "RPM corrections").
    void showChartView(int view);
    void hideChart();
    // --- live screens: the right panel's readings, the channel list, the OBD panel
    ReadingsPanel* readings() const { return readings_; }
    ChannelList* channelList() const { return channelList_; }
    ObdPagesPanel* obdPages() const { return obdPages_; }
    void InitGrids();                  // forwards to the readings panel
    void LayoutRightPanel();           // forwards to the readings panel
    void FillChannelList();            // forwards to the channel list
    void BtnParamIngClick();           // forwards to the readings panel
    void SpeedButton41Click(int tab);  // OBD panel: 0 trouble codes, 1 PIDs
    void RichEditDtcChange();
    void RichEditDtcDblClick();
    // The oscilloscope's recorded time text for history lines ("0.0 [s]" until it is attached).
    std::function<QString()> scopeTimeText;
    // Asked after the channel list changed which channels or colours the oscilloscope draws.
    std::function<void()> scopeRedraw;
    void createChart();                         // at construction, on PanelChart
    void chartKeyDown(const QKeyEvent* event);  // every key the window previews
    void freeChart();                           // first of the components at close

    // --- device and service dialogs, readings selection, transmission log, Documentation and
    //     admin menus, admin mode, clean-up after an unfinished calibration (UnitmainMenus.cpp)
    TFormAdmin* FormAdmin = nullptr;
    TFormDevice* FormDevice = nullptr;
    TFormService* FormService = nullptr;
    TFormParam* FormParam = nullptr;
    QAction* MenuFileInfo = nullptr;
    QAction* MenuFileServis = nullptr;
    QMenu* MenuDoc = nullptr;
    QAction* MenuDocMan = nullptr;
    QAction* MenuDocSch = nullptr;
    QAction* MenuDocCon = nullptr;
    QMenu* MenuAdmin = nullptr;
    QAction* MenuA0 = nullptr;          // "Transmisja"
    QAction* MenuA00 = nullptr;         // verbose live log
    QAction* MenuA01 = nullptr;         // verbose OBD log
    std::array<QAction*, 6> MenuA1x{};  // window sizes
    QAction* MenuA1 = nullptr;          // "Demo"
    QAction* MenuA2 = nullptr;          // "UTF16->UTF8"
    QAction* MenuA3 = nullptr;          // "Zasoby->UTF16"
    QAction* MenuA4 = nullptr;          // "Nastawy"
    QAction* MenuA5 = nullptr;          // "-"
    QAction* MenuA6 = nullptr;          // "Kasowanie Historii"
    // The folder below which the documentation folders are, and how one is opened (tests replace both).
    QString programFolder;
    std::function<void(const QString&)> openFolder;
    void MenuFileInfoClick();
    void MenuFileServisClick();
    void BtnParamListClick();
    QToolButton* BtnParamList = nullptr;  // "V": the readings selection, advanced view only
    void MenuDocManClick();
    void MenuDocSchClick();
    void MenuDocConClick();
    void MenuA0Click(bool on);
    void MenuA00Click(bool on);
    void MenuA01Click(bool on);
    void MenuA10Click(int index);
    void MenuA1Click();
    void MenuA2Click();
    void MenuA3Click();
    void MenuA4Click();
    void MenuA6Click();
    void ToggleAdminMode();
    // The transmission log's line writer.
    void AdminLine(const QString& text, TColor colour);
    // Btn54 on the Calibration tab and Enter there.
    void StartStopCalibration();
    // The session's clean-up after a calibration that did not finish is running.
    bool RestoringAfterCalibration() const;
    // After a calibration that did not finish and changed settings: keep them, or go back.
    void askKeepCalibration();

    // Client area: the window without its menu bar.
    QSize clientSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void buildBackupMenu();
    void RelabelBackups();
    void StartBackups();
    void applyDesignSize();
    void applyMinimumSize();
    QSize frameExtra() const;
    void showLeftPanel(bool shown);
    void rebuildPortMenu(QMenu* menu, TSerial* port);
    void setStatus(const QString& text, const QColor& background, const QColor& colour, const QFont* font);
    void setTabColour(QToolButton* button, const QColor& colour);
    void setCommand(int index, int textId, const QString& suffix, const QColor& colour, int tag);
    void showBottomStrip(int height);
    void placeEditor(QWidget* parent);
    void FormKeyDown(int key);
    void applyChannelColours();
    void collectChannelColours();

    QColor diagnosticsNormalColour_;
    QEvent* keySeen_ = nullptr;
    QPointer<QWidget> keyReceiver_;
    QColor tabActiveColour_;
    bool tabHighlighted_ = false;  // the current top tab shows the active colour
    int lastBarHeight_ = 0;
    QRect storedOuter_;  // stored outer bounds still waiting for the frame to be known
    bool closing_ = false;
    QList<PortMenuItem> connItems_;
    QList<PortMenuItem> elmItems_;
    // --- the Wi-Fi adapter (UnitmainWifi.cpp)
    void addWifiItem(QMenu* menu, QActionGroup* group);
    void restoreElmAddress();  // from the preferences and the command line, at creation
    void storeElmAddress();    // into the preferences, at closing
    QString wifiAddress_;      // the last address typed
    std::unique_ptr<Prompt> ownPrompt_;

    // --- live screens (UnitmainGrids.cpp, UnitmainEvents.cpp)
    void addHistoryLine(const LiveFrame& frame);
    // Live frames that still show "Controller read" after the reading of the controller ended.
    static constexpr int kReadDoneFrames = 10;
    int readDoneFrames_ = 0;
    ReadingsPanel* readings_ = nullptr;
    ChannelList* channelList_ = nullptr;
    ObdPagesPanel* obdPages_ = nullptr;
    ScopeBar* scopeBar_ = nullptr;

    // --- menus, dialogs and admin mode (UnitmainMenus.cpp)
    void CreateMenuDialogs();
    void buildMenuItems();
    void RelabelMenus();
    void openDocumentation(const QString& name);
    void ReadingsSelectionClosed();
    void attachObdLog(bool on);
    void attachLog(TTekstEvent& handler, TTekstEvent& saved, bool on);
    TTekstEvent savedLinkTekst_, savedObdTekst_;  // the links' handlers before the log took them

    std::unique_ptr<WorkshopSession> session_;
};

// The main window, reachable program-wide.
extern TForm1* Form1;
