#pragma once

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtWidgets/QMainWindow>

#include <functional>
#include <memory>

#include "base/Preferences.h"
#include "base/Prompt.h"
#include "link/LinkEvents.h"
#include "ui/Panel.h"
#include "ui/Theme.h"

class QSettings;
class AutoBackup;
class ChannelList;
class CommandBar;
class MainMenu;
class ObdPagesPanel;
class ReadingsPanel;
class ScopeBar;
class SidePanel;
class TabRows;
class TObd;
class TSterownik;
class WindowDialogs;
class WorkPages;
class WorkshopSession;
class AdminTools;

// The main window: builds on a workshop session (the controller link, the OBD reader, the settings
// catalogue, the backups and the watchdog), makes its parts (menu bar, tab rows, work pages, side
// panels, bottom bar, dialogs), hands them what the session reports through its panel list,
// restores and saves the user's preferences, and keeps the product's handlers, most of them
// forwarding to the part that does the work.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Design client area.
    static constexpr int kDesignWidth = 740;
    static constexpr int kDesignHeight = 417;
    // View levels: basic, full, advanced.
    static constexpr int kBasicView = 0;
    static constexpr int kFullView = 1;
    static constexpr int kAdvancedView = 2;
    // Developer modes: off, on, on with the admin menu.
    static constexpr int kDeveloperOff = 0;
    static constexpr int kDeveloperOn = 1;
    static constexpr int kAdminMode = 3;
    // The link's request mask of the error list (reply 0x82), asked for on the Diagnostics tab.
    static constexpr uint32_t kErrorListRequest = 0x2;

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
    static constexpr int kAnswerNo = 7;
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
    // The splash window's second tick.
    void Timer2Timer();
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // --- link events
    void LinkEvent(int kind, int code, int value, int length);
    // Status panel (work state or its detail) for a live frame.
    void ShowLiveFrame(const LiveFrame& frame);
    // Each verified live frame from the link: the status panel, then every panel in the order they
    // were added (the readings first), then the history box's fuel-switch and adaptation lines.
    void LiveFrameReceived(const LiveFrame& frame);
    // The Diagnostics tab's errors box from an error-list reply (0x82).
    void ShowErrors(const LiveFrame& list);
    // The window's panels and dialogs: each gets every live frame, every link event, every language
    // change and every theme. A new panel joins with one `panels.add`.
    PanelList panels;

    // --- the window's parts
    MainMenu* menus() const { return menus_; }
    TabRows* tabs() const { return tabs_; }
    WorkPages* pages() const { return pages_; }
    CommandBar* commands() const { return commands_; }
    SidePanel* leftPanel() const;
    SidePanel* rightPanel() const { return right_; }
    WindowDialogs* dialogs() const { return dialogs_; }
    ReadingsPanel* readings() const { return readings_; }
    ChannelList* channelList() const;
    ObdPagesPanel* obdPages() const;
    ScopeBar* scopeBar() const { return scopeBar_; }

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

    // The editor's -10 cell (kind -10; index 0 corrections, 1 calculator) or the detail button of
    // setting `index` (kind 0): opens the dialog behind it.
    void NastawyDetail(int kind, int index);

    Preferences prefs;
    int theme = 3;
    int language = 1;
    int viewLevel = kFullView;
    int developerMode = kDeveloperOff;
    int obdState = -1;
    int secondsCounter = 0;
    int diagnosticsCounter = 0;
    int splashTicks = 0;
    int connTag = 0;          // tag of the Connection menu's first item: 0 connect, -1 disconnected
    bool identified = false;  // the controller has identified itself in application mode
    QString baseCaption;
    QString dataRoot;
    ThemePalette palette;

    // Port numbers given on the command line for this run (0 = the remembered ones).
    int portOverride = 0;
    int elmPortOverride = 0;
    // A Wi-Fi adapter's HOST:PORT given as the ELM port for this run (empty = none).
    QString elmAddressOverride;

    // --- oscilloscope: the view, its button bar and the recording items of the Device menu
    void BitBtnOsc01Click(int code);  // hands the button's number to the oscilloscope
    void MenuFile5Click();            // read a recording
    void MenuFile6Click();            // start or stop a recording
    void MenuFile7Click();            // CSV export
    // --- automatic backups and comparing with a file (UnitmainBackups.cpp)
    AutoBackup* Backups = nullptr;  // the session's backups
    void MenuFileCompareClick();
    void MenuFileAutoBackupClick(bool on);
    void MenuFileBackupFolderClick();
    // Fills the Device menu's list of controllers with backups as it opens.
    void MenuFileBackupsShow();
    // Saves a backup of a completely read controller before a firmware update or factory settings.
    void BackupBeforeChange();
    // --- live screens: the right panel's readings, the channel list, the OBD panel
    void InitGrids();                  // forwards to the readings panel
    void LayoutRightPanel();           // forwards to the readings panel
    void FillChannelList();            // forwards to the channel list
    void BtnParamIngClick();           // forwards to the readings panel
    void SpeedButton41Click(int tab);  // OBD panel: 0 trouble codes, 1 PIDs
    void RichEditDtcChange();
    void RichEditDtcDblClick();

    // --- device and service dialogs, readings selection, Documentation and admin menus, admin
    //     mode, the calibration (UnitmainMenus.cpp)
    // The folder below which the documentation folders are, and how one is opened (tests replace both).
    QString programFolder;
    std::function<void(const QString&)> openFolder;
    void MenuFileInfoClick();
    void MenuFileServisClick();
    void BtnParamListClick();
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
    void StartBackups();
    void applyDesignSize();
    void applyMinimumSize();
    QSize frameExtra() const;
    void FormKeyDown(int key);
    void showTab(int tab);
    void applyChannelColours();
    void collectChannelColours();
    void openDocumentation(const QString& name);
    void freeViews();

    QEvent* keySeen_ = nullptr;
    QPointer<QWidget> keyReceiver_;
    QRect storedOuter_;  // stored outer bounds still waiting for the frame to be known
    bool closing_ = false;
    // --- the Wi-Fi adapter (UnitmainWifi.cpp)
    void restoreElmAddress();  // from the preferences and the command line, at creation
    void storeElmAddress();    // into the preferences, at closing
    QString wifiAddress_;      // the last address typed
    std::unique_ptr<Prompt> ownPrompt_;

    MainMenu* menus_ = nullptr;
    TabRows* tabs_ = nullptr;
    WorkPages* pages_ = nullptr;
    CommandBar* commands_ = nullptr;
    SidePanel* right_ = nullptr;
    WindowDialogs* dialogs_ = nullptr;
    ReadingsPanel* readings_ = nullptr;
    ScopeBar* scopeBar_ = nullptr;
    std::unique_ptr<AdminTools> admin_;
    std::unique_ptr<WorkshopSession> session_;
};

// The main window, reachable program-wide.
extern TForm1* Form1;
