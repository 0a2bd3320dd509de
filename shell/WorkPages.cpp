#include "shell/WorkPages.h"

#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "charts/Tgrafika.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "scope/Toscyloskop.h"
#include "session/WorkshopSession.h"
#include "settings/SettingsPages.h"
#include "shell/ChannelList.h"
#include "shell/CommandBar.h"
#include "shell/DiagnosticBoxes.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ScopeBar.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WindowParts.h"
#include "ui/PanelSplitter.h"
#include "ui/Theme.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 160, 0);
const QColor kPurple(128, 0, 128);
// Heights of the bottom strip: under the editor on the Calibration tab and the map collection
// page; the strip keeps at least this much of itself and of the work area.
constexpr int kEditorStripHeight = 80;
constexpr int kStripMinimum = 20;
// The OBD trouble-code page leaves this much of the centre above the strip.
constexpr int kObdCodesGap = 65;
// The chart's view of the OBD page "RPM corrections".
constexpr int kObdCorrectionsView = 5;

}  // namespace

WorkPages::WorkPages(TForm1& window, QWidget* centre, QVBoxLayout* layout)
    : QObject(centre), window_(window), centre_(centre)
{
    // Below the tab rows the bottom strip spans the whole centre; above it the left panel, its
    // splitter bar and the work area.
    splitBottom_ = new QSplitter(Qt::Vertical, centre);
    splitBottom_->setObjectName(QStringLiteral("SplitterBottom"));
    splitBottom_->setHandleWidth(3);
    splitBottom_->setChildrenCollapsible(false);
    layout->addWidget(splitBottom_, 1);
    auto* upper = new QWidget(splitBottom_);
    upper->setObjectName(QStringLiteral("PanelUpper"));
    auto* upperRow = new QHBoxLayout(upper);
    upperRow->setContentsMargins(0, 0, 0, 0);
    upperRow->setSpacing(0);

    work_ = new QWidget(upper);
    work_->setObjectName(QStringLiteral("PanelWork"));
    left_ = new SidePanel(SidePanel::Side::Left, work_, upper);
    left_->setFixedWidth(SidePanel::kLeftWidth);
    channelList_ = new ChannelList(*window.Sterownik1, left_->body());
    left_->bodyLayout()->addWidget(channelList_, 1);
    upperRow->addWidget(left_);
    upperRow->addWidget(left_->bar());
    upperRow->addWidget(work_, 1);

    strip_ = new QWidget(splitBottom_);
    strip_->setObjectName(QStringLiteral("PanelNasInfoObd"));
    diagnostics_ = new DiagnosticBoxes(*window.Sterownik1, work_, strip_);

    auto* wv = new QVBoxLayout(work_);
    wv->setContentsMargins(0, 0, 0, 0);
    wv->setSpacing(0);
    chartPlace_ = new QWidget(work_);
    chartPlace_->setObjectName(QStringLiteral("PanelChart"));
    chartPlace_->setAutoFillBackground(true);
    scopePlace_ = new QWidget(work_);
    scopePlace_->setObjectName(QStringLiteral("PanelScope"));
    scopePlace_->setAutoFillBackground(true);
    editor_ = new TNastawy(*window.Sterownik1, window.Session->catalogue(), work_);
    editor_->setObjectName(QStringLiteral("Nastawy"));
    for (QWidget* w : {diagnostics_->PanelBledy(), chartPlace_, scopePlace_, static_cast<QWidget*>(editor_)}) {
        wv->addWidget(w, 1);
        w->hide();
    }

    auto* sv = new QVBoxLayout(strip_);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->setSpacing(0);
    obdPages_ = new ObdPagesPanel(*window.ObdPort, strip_);
    sv->addWidget(diagnostics_->PanelInfo(), 1);
    sv->addWidget(obdPages_, 1);
    diagnostics_->PanelInfo()->hide();
    obdPages_->hide();
    splitBottom_->addWidget(upper);
    splitBottom_->addWidget(strip_);
    splitBottom_->handle(1)->setAutoFillBackground(true);
    strip_->hide();

    chart_ = new TGrafika(chartPlace_);
    chart_->Sterownik = window.Sterownik1;
    chart_->AttachToPanel(chartPlace_);
    // The tune assistant's proposal goes to the controller after a backup of what it replaces.
    chart_->beforeProposalWrite = [&window] { window.BackupBeforeChange(); };
}

void WorkPages::freeViews()
{
    delete chart_;
    chart_ = nullptr;
    delete editor_;
    editor_ = nullptr;
}

void WorkPages::applyColours(const ThemePalette& palette)
{
    // Through the palette, not a style sheet: a style sheet would also reset the fonts of every
    // widget below the splitter, the settings editor's included.
    WindowParts::setColours(splitBottom_->handle(1), QPalette::Window, palette.bar, QPalette::WindowText, palette.text);
    for (QWidget* w : {chartPlace_, scopePlace_})
        WindowParts::setColours(w, QPalette::Window, palette.background, QPalette::WindowText, palette.text);
    if (editor_) editor_->setThemePalette(palette);
}

void WorkPages::showBottomStrip(int height)
{
    strip_->show();
    const int total = splitBottom_->height();
    height = std::clamp(height, kStripMinimum, std::max(kStripMinimum, total - kStripMinimum));
    splitBottom_->setSizes({total - height, height});
}

void WorkPages::placeEditor(QWidget* parent)
{
    if (editor_->parentWidget() == parent) return;
    editor_->setParent(parent);
    static_cast<QBoxLayout*>(parent->layout())->insertWidget(0, editor_, 1);
}

void WorkPages::showChartView(int view)
{
    if (!chart_) return;
    chartPlace_->show();
    chart_->show();
    chart_->SetView(view);
}

void WorkPages::hideChart()
{
    if (chart_) chart_->HideChart();
}

void WorkPages::showTop(int tab)
{
    if (!editor_) return;
    TabRows& tabs = *window_.tabs();
    CommandBar& bar = *window_.commands();
    ScopeBar& scope = *window_.scopeBar();
    const ThemePalette& palette = window_.palette;
    // Re-applied without a pressed button (after a view or language change) the current tab keeps
    // its highlight: the fitter would otherwise not see which tab is shown.
    if (tab >= 0) topTab_ = tab;
    topHighlighted_ = true;
    tabs.highlightTop(topTab_, palette.active);
    bar.hideCommands();
    bar.ProgressBar1()->hide();
    diagnostics_->PanelBledy()->hide();
    chartPlace_->hide();
    hideChart();
    scopePlace_->hide();
    diagnostics_->PanelInfo()->hide();
    obdPages_->hide();
    strip_->hide();
    tabs.PanelTopTab2()->hide();
    tabs.PanelTopTab3()->hide();
    scope.hide();
    editor_->HideEditor();
    const bool advanced = window_.viewLevel == TForm1::kAdvancedView;
    left_->setShown(advanced && (topTab_ == TabRows::Calibration || topTab_ == TabRows::Oscilloscope));

    const QString enter = QStringLiteral("  [Enter]");
    switch (topTab_) {
        case TabRows::Settings:
            placeEditor(work_);
            editor_->show();
            editor_->SetPage(SettingsPages::kMainPage);
            bar.setCommand(3, 1260, QString(), palette.active, CommandBar::FactorySettings);
            bar.layoutButtons();
            editor_->Relayout();
            break;
        case TabRows::Calibration: {
            placeEditor(strip_);
            scope.play();  // the calibration is watched live
            scopePlace_->show();
            showBottomStrip(kEditorStripHeight);
            editor_->show();
            editor_->SetPage(SettingsPages::kCalibrationPage);
            // A calibration already running keeps its Stop caption.
            const bool running = window_.Sterownik1->liveRequestHeld(kLiveRequestCalibration);
            bar.setCommand(3, running ? 1263 : 1261, enter, palette.active, CommandBar::Calibration);
            bar.ProgressBar1()->setVisible(running);
            bar.layoutButtons();
            editor_->Relayout();
            break;
        }
        case TabRows::Map:
            // Admin mode adds a second line of map pages.
            tabs.showAdminMapPages(window_.developerMode == TForm1::kAdminMode);
            tabs.PanelTopTab2()->show();
            showMapPage(mapPage_);
            break;
        case TabRows::Diagnostics: {
            const QColor normal = WindowParts::systemWindowText();
            diagnostics_->PanelBledy()->show();
            diagnostics_->PanelInfo()->show();
            showBottomStrip(centre_->height() / 3);
            bar.setCommand(0, 1265, QString(), normal, CommandBar::SpeakerTest);
            bar.setCommand(1, 1266, QString(), normal, CommandBar::LeakTest);
            bar.setCommand(3, 1264, QString(), palette.active, CommandBar::ClearErrors);
            bar.layoutButtons();
            window_.Sterownik1->RozkazDoSterownika(TForm1::kErrorListRequest);
            break;
        }
        case TabRows::Oscilloscope:
            scopePlace_->show();
            scope.show();
            break;
        case TabRows::Obd:
            placeEditor(work_);
            tabs.PanelTopTab3()->show();
            showObdPage(obdPage_);
            break;
        default: break;
    }
    tabs.fit();
}

void WorkPages::showMapPage(int page)
{
    if (!editor_) return;
    mapPage_ = page;
    window_.tabs()->highlightMap(page >= 0, window_.palette.active);
    if (topTab_ != TabRows::Map) return;
    CommandBar& bar = *window_.commands();
    const QColor active = window_.palette.active;
    bar.hideCommands();
    strip_->hide();
    editor_->HideEditor();
    switch (page) {
        case 0:
            placeEditor(strip_);
            showBottomStrip(kEditorStripHeight);
            editor_->show();
            editor_->SetPage(SettingsPages::kMapCollectionPage);
            editor_->Relayout();
            bar.setCommand(0, 1268, QString(), kRed, CommandBar::ClearPetrolMap);
            bar.setCommand(1, 1269, QString(), kGreen, CommandBar::ClearGasMap);
            bar.setCommand(2, 1271, QString(), kPurple, CommandBar::ClearMultiplier);
            break;
        case 1:
            if (window_.viewLevel >= TForm1::kFullView) {
                bar.setCommand(0, 1268, QString(), kRed, CommandBar::ClearPetrolMapRpm);
                bar.setCommand(1, 1269, QString(), kGreen, CommandBar::ClearGasMapRpm);
                bar.setCommand(2, 1272, QString(), active, CommandBar::ClearRpmCorrection);
            } else {
                bar.setCommand(0, 1272, QString(), active, CommandBar::ClearRpmCorrection);
            }
            break;
        case 2: bar.setCommand(0, 1272, QString(), kPurple, CommandBar::ClearCorrectionCurve); break;
        case 3:
        case 4: bar.setCommand(0, 1272, QString(), kPurple, CommandBar::ClearCorrectionCurve2); break;
        case 6: bar.setCommand(0, 1272, QString(), kPurple, CommandBar::ClearDelays); break;
        case 7: bar.setCommand(0, 1272, QString(), kPurple, CommandBar::ClearEnrichment); break;
        default: break;
    }
    showChartView(page);
    bar.layoutButtons();
}

void WorkPages::showObdPage(int page)
{
    if (!editor_) return;
    obdPage_ = page;
    window_.tabs()->highlightObd(page, window_.palette.active);
    if (topTab_ != TabRows::Obd) return;
    CommandBar& bar = *window_.commands();
    const int centre = centre_->height();
    bar.hideCommands();
    editor_->HideEditor();
    chartPlace_->hide();
    if (page != 3) hideChart();
    obdPages_->hide();
    strip_->hide();
    const QColor normal = WindowParts::systemWindowText();
    switch (page) {
        case 0:
            obdPages_->showPage(0);
            showBottomStrip(centre - kObdCodesGap);
            bar.setCommand(0, 1273, QString(), normal, CommandBar::ObdReadCodes);
            bar.setCommand(1, 1274, QString(), normal, CommandBar::ObdClearCodes);
            bar.setCommand(3, 1118, QString(), normal, CommandBar::ObdConnect);
            break;
        case 1:
        case 2: {
            const bool bank1 = page == 1;
            obdPages_->showPage(page);
            showBottomStrip(centre / 2);
            editor_->show();
            editor_->SetPage(bank1 ? SettingsPages::kObdBank1Page : SettingsPages::kObdBank2Page);
            editor_->Relayout();
            bar.setCommand(0, 1273, QString(), normal,
                           bank1 ? CommandBar::ObdReadCodesBank1 : CommandBar::ObdReadCodesBank2);
            bar.setCommand(1, 1274, QString(), normal,
                           bank1 ? CommandBar::ObdClearCodesBank1 : CommandBar::ObdClearCodesBank2);
            break;
        }
        case 3:
            showChartView(kObdCorrectionsView);
            bar.setCommand(0, 1268, QString(), kRed, CommandBar::ClearObdPetrolMap);
            bar.setCommand(1, 1269, QString(), kGreen, CommandBar::ClearObdGasMap);
            bar.setCommand(2, 1272, QString(), window_.palette.active, CommandBar::ClearRpmCorrection);
            break;
        default: break;
    }
    bar.layoutButtons();
}

void WorkPages::runCommand(int button)
{
    if (!window_.Sterownik1 || button < 0 || button >= CommandBar::kButtons) return;
    const int tag = window_.commands()->tag(button);
    const auto ask = [this](int id) { return window_.AskUser(id, TForm1::kAskYesNo) == TForm1::kAnswerYes; };
    TSterownik& s = *window_.Sterownik1;
    TObd& obd = *window_.ObdPort;
    switch (tag) {
        case CommandBar::FactorySettings:
            if (!ask(2100)) break;
            window_.BackupBeforeChange();
            editor_->LoadDefaults();
            s.NastawyFabryczne();
            editor_->update();
            break;
        case CommandBar::Calibration: window_.StartStopCalibration(); break;
        case CommandBar::ClearPetrolMap:
        case CommandBar::ClearPetrolMapRpm:
            if (ask(2101)) s.KasujMapeEcuBen();
            if (tag == CommandBar::ClearPetrolMap) editor_->update();
            break;
        case CommandBar::ClearGasMap:
        case CommandBar::ClearGasMapRpm:
            if (ask(2102)) s.KasujMapeEcuGaz();
            break;
        case CommandBar::ClearMultiplier:
            if (ask(2103)) s.KasujMnoznik();
            break;
        case CommandBar::Adaptation: s.WykonajAdaptacje(); break;
        case CommandBar::ClearRpmCorrection:
            if (ask(2104)) s.KasujKorOdObr();
            break;
        case CommandBar::ClearObdPetrolMap:
            if (ask(2105)) s.KasujMapeOdbBen();
            break;
        case CommandBar::ClearObdGasMap:
            if (ask(2106)) s.KasujMapeObdGaz();
            break;
        case CommandBar::ClearCorrectionCurve:
        case CommandBar::ClearCorrectionCurve2:
            if (ask(2104)) chart_->ClearCorrection();
            break;
        case CommandBar::ClearDelays:
            if (ask(2104)) s.KasujOpoznienia();
            break;
        case CommandBar::ClearEnrichment:
            if (ask(2104)) s.KasujWzbogacenie();
            break;
        case CommandBar::ObdConnect: obd.PortOpen(-1); break;
        case CommandBar::ObdReadCodes: obd.WcisnietoPrzycisk(3); break;
        case CommandBar::ObdClearCodes: obd.WcisnietoPrzycisk(4); break;
        case CommandBar::ObdReadCodesBank1: s.CzytajBledyObd(0); break;
        case CommandBar::ObdClearCodesBank1: s.KasujBledyObd(0); break;
        case CommandBar::ObdReadCodesBank2: s.CzytajBledyObd(1); break;
        case CommandBar::ObdClearCodesBank2: s.KasujBledyObd(1); break;
        case CommandBar::ClearErrors: s.requestCommand(TSterownik::CmdClearErrors); break;
        case CommandBar::SpeakerTest: s.requestCommand(TSterownik::CmdSpeakerTest); break;
        case CommandBar::LeakTest: s.requestCommand(TSterownik::CmdLeakTest); break;
        default: break;
    }
}
