#pragma once

#include <QtCore/QElapsedTimer>
#include <QtWidgets/QWidget>

#include <array>

#include "ui/Panel.h"

class Prompt;
class QLabel;
class QProgressBar;
class QPushButton;
class TSterownik;

// The main window's bottom bar (`PanelBottomStatus`, this widget): the four command buttons
// Btn51..Btn54 of the page shown, the calibration's progress bar `ProgressBar1`, and the status
// panel `PanelStatus` at the right, which shows the controller's work state (or that the link is
// lost) and asks for a quick fuel change when clicked. The oscilloscope's bar takes the place of
// the buttons on its tab.
class CommandBar : public QWidget, public Panel {
    Q_OBJECT
public:
    static constexpr int kButtons = 4;
    static constexpr int kMainButton = 3;  // Btn54: the page's main command
    // What the command buttons do, by the tag the page gave them.
    enum Tag {
        None = 0,
        FactorySettings = 101,
        Calibration = 201,
        ClearPetrolMap = 311,
        ClearGasMap = 312,
        ClearMultiplier = 313,
        Adaptation = 314,
        ClearPetrolMapRpm = 321,
        ClearGasMapRpm = 322,
        ClearRpmCorrection = 323,
        ClearObdPetrolMap = 324,
        ClearObdGasMap = 325,
        ClearCorrectionCurve = 331,
        ClearCorrectionCurve2 = 341,
        ClearDelays = 351,
        ClearEnrichment = 361,
        ObdConnect = 390,
        ObdReadCodes = 391,
        ObdClearCodes = 392,
        ObdReadCodesBank1 = 393,
        ObdClearCodesBank1 = 394,
        ObdReadCodesBank2 = 395,
        ObdClearCodesBank2 = 396,
        ClearErrors = 401,
        SpeakerTest = 402,
        LeakTest = 403,
    };

    // `client` is the window's client area, whose width sets the status panel's; `prompt` is the
    // window's, read each time the calibration's end is reported (tests replace it).
    CommandBar(TSterownik& link, Prompt* const& prompt, QWidget* client, QWidget* parent);

    QPushButton* button(int index) const { return buttons_[size_t(index)]; }  // Btn51..Btn54
    int tag(int index) const { return tags_[size_t(index)]; }
    QProgressBar* ProgressBar1() const { return progress_; }
    QLabel* PanelStatus() const { return status_; }
    // The oscilloscope's bar, placed left of the status panel.
    void setToolBar(QWidget* bar) { toolBar_ = bar; }

    // Shows button `index` with the text `textId` + `suffix` in `colour`, doing `tag` when pressed.
    void setCommand(int index, int textId, const QString& suffix, const QColor& colour, int tag);
    void hideCommands();
    // Height `height` and the command buttons' font for a client area `clientHeight` high.
    void resizeBar(int height, int fontSize);
    // Places the buttons, the progress bar, the status panel and the oscilloscope's bar.
    void layoutButtons();

    // The status panel: the work state of `frame` (or the controller being read, or every other
    // second the detail of the state, `oddSecond`), in the state's colour.
    void showLiveState(const LiveFrame& frame, bool oddSecond);
    void showStatus(const QString& text, const QColor& background, const QColor& colour, const QFont* font);
    // The link is not alive: said in large red letters at every tick.
    void showNoConnection();
    // A short confirmation ("Settings saved to ..."): it takes the status panel for a few seconds,
    // before the work state or "no connection" come back.
    void showNotice(const QString& text);
    // The controller identified itself.
    void showConnected();

    // The calibration's start, end, failure or stop: the main button's caption and the progress;
    // when it starts a phase over, why, written on the progress bar.
    void linkEvent(int kind, int code, int value, int length) override;
    // The text written on the progress bar (empty: none).
    QString calibrationNote() const;

Q_SIGNALS:
    void commandClicked(int button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showCalibrationNote(const QString& text);
    // Shows the notice while it is fresh; false when there is none.
    bool showPendingNotice();

    TSterownik& link_;
    Prompt* const& prompt_;
    QWidget* client_;
    std::array<QPushButton*, kButtons> buttons_{};
    std::array<int, kButtons> tags_{};
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* toolBar_ = nullptr;
    int height_ = 0;
    // Live frames that still show "Controller read" after the reading of the controller ended.
    static constexpr int kReadDoneFrames = 10;
    int readDoneFrames_ = 0;
    QString notice_;
    QElapsedTimer noticeClock_;
};
