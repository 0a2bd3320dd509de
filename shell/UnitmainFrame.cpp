// The main window's frame: captions, colours, view levels, sizing, tabs, command buttons and menus.
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtGui/QResizeEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/FirmwareUpdate.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "shell/FrameLayout.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/ScopeBar.h"
#include "shell/Unitmain.h"
#include "ui/PanelSplitter.h"
#include "ui/StringGrid.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 160, 0);
const QColor kPurple(128, 0, 128);

QColor systemWindowText() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }

void setColours(QWidget* w, QPalette::ColorRole back, const QColor& background, QPalette::ColorRole fore,
                const QColor& text)
{
    QPalette p = w->palette();
    p.setColor(back, background);
    p.setColor(fore, text);
    w->setPalette(p);
}

}  // namespace

// ---------------------------------------------------------------- captions

void TForm1::Relabel()
{
    programTexts().load();
    MenuFile->setTitle(TextById(1100));
    MenuFileFirmware->setText(TextById(1360));
    MenuFileRead->setText(TextById(1101));
    RelabelBackups();
    MenuFileSave->setText(TextById(1102));
    MenuConn->setTitle(TextById(1117));
    MenuElm->setTitle(QStringLiteral("ELM"));
    MenuLang->setTitle(TextById(1120));
    const QString languages[4] = {QStringLiteral("English"), QStringLiteral("Polski (Polish)"),
                                  QStringLiteral("Русский (Russian)"), QStringLiteral("Español (Spain)")};
    for (int i = 0; i < 4; ++i) langItems[i]->setText(languages[i]);
    MenuView->setTitle(TextById(1150));
    for (int i = 0; i < 3; ++i) viewItems[i]->setText(TextById(1151 + i));
    MenuColor->setTitle(TextById(1160));
    for (int i = 0; i < 6; ++i) colorItems[i]->setText(TextById(1161 + i));

    for (int i = 0; i < 6; ++i) row1[i]->setText(TextById(1200 + i) + QStringLiteral(" [F%1]").arg(i + 1));
    const int ids2[7] = {1210, 1211, 1212, 1213, 1214, 1216, 1218};
    for (int i = 0; i < 7; ++i) row2[i]->setText(TextById(ids2[i]));
    row3[0]->setText(QStringLiteral("ELM"));
    row3[1]->setText(QStringLiteral("Moduł"));
    row3[2]->setText(TextById(1100));
    row3[3]->setText(TextById(1211));

    BanerParametry->setText(TextById(1230));
    BanerBledy->setText(QLatin1Char(' ') + TextById(1232) + QLatin1Char(' '));
    BanerInfo->setText(QLatin1Char(' ') + TextById(1234) + QLatin1Char(' '));
    FitTabRows();
    RelabelMenus();
    panels.relabel();
}

// ---------------------------------------------------------------- colours

void TForm1::ApplyColors()
{
    palette = ComputePalette(theme, SystemColours::fromPalette(QApplication::palette()));
    const ThemePalette& t = palette;

    QPalette wp = QApplication::palette();
    wp.setColor(QPalette::Window, t.background);
    wp.setColor(QPalette::WindowText, t.text);
    setPalette(wp);
    // The menu bar keeps the platform's colours: on the Black schemes its captions would otherwise
    // be drawn in the button text colour on a black bar.
    QPalette platform = QApplication::palette();
    platform.setResolveMask(~QPalette::ResolveMask(0));  // every role its own, none from the window
    menuBar()->setPalette(platform);
    for (QWidget* w : {PanelLeftShow, PanelRightShow}) {
        setColours(w, QPalette::Button, t.bar, QPalette::ButtonText, t.text);
        setColours(w, QPalette::Window, t.bar, QPalette::WindowText, t.text);
    }
    for (QWidget* bar : {static_cast<QWidget*>(splitLeft), static_cast<QWidget*>(splitRight)})
        setColours(bar, QPalette::Window, t.bar, QPalette::WindowText, t.text);
    // Through the palette, not a style sheet: a style sheet would also reset the fonts of every
    // widget below the splitter, the settings editor's included.
    setColours(splitBottom->handle(1), QPalette::Window, t.bar, QPalette::WindowText, t.text);
    for (QTextEdit* e : {RichEditBledy, RichEditInfo}) setColours(e, QPalette::Base, t.field, QPalette::Text, t.text);
    for (QLabel* title : {BanerParametry, BanerCzasWtr, BanerBledy, BanerInfo})
        setColours(title, QPalette::Window, t.background, QPalette::WindowText, t.title);
    for (QWidget* w : {PanelChart, PanelScope})
        setColours(w, QPalette::Window, t.background, QPalette::WindowText, t.text);
    Nastawy->setThemePalette(t);
    panels.applyColours(palette);
    // The fixed colours of the pressed tab and the command buttons follow the new theme; a tab
    // that had lost its highlight (re-applied after a view or language change) stays without.
    SpeedButton1Click(tabHighlighted_ ? topTab : -1);
}

void TForm1::setTabColour(QToolButton* button, const QColor& colour)
{
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, colour);
    button->setPalette(p);
}

// ---------------------------------------------------------------- view levels and side panels

void TForm1::ApplyView()
{
    if (viewLevel == 2) {
        BtnUkryjPrawy->show();
        row3[3]->show();
        readings_->setAdvancedView(true);
        BtnParamList->show();
    } else {
        SetRightCollapsed(false);
        BtnUkryjPrawy->hide();
        if (obdPage == 3) {
            row3[0]->setChecked(true);
            SpeedButton31Click(0);
        }
        row3[3]->hide();
        readings_->setAdvancedView(false);
        BtnParamList->hide();
        // Basic and full views always show the main readings.
        for (int c = 0; c < Sterownik1->channels().size(); ++c) {
            const int id = Sterownik1->channels()[c].id;
            if (id == 1400 || id == 1404 || id == 1406 || id == 1410 || id == 1412)
                Sterownik1->setChannelShown(c, kChannelDrawn | kChannelReadings, true);
        }
        showLeftPanel(false);
    }
    FitTabRows();
    LayoutRightPanel();
    Nastawy->SetViewLevel(viewLevel);
    if (Grafika1) Grafika1->SetViewLevel(viewLevel);
}

void TForm1::showLeftPanel(bool shown)
{
    PanelLeft->setVisible(shown);
    splitLeft->setVisible(shown);
}

// A collapsed side panel is a 14-pixel handle; its splitter bar stays but cannot be dragged.
void TForm1::SetLeftCollapsed(bool collapsed)
{
    PanelLeft->setProperty("tag", collapsed ? 1 : 0);
    PanelLeftBody->setVisible(!collapsed);
    PanelLeftShow->setVisible(collapsed);
    splitLeft->setLocked(collapsed);
    if (collapsed) PanelLeft->setFixedWidth(14);
    else FormResize();
}

void TForm1::SetRightCollapsed(bool collapsed)
{
    PanelRight->setProperty("tag", collapsed ? 1 : 0);
    PanelRightBody->setVisible(!collapsed);
    PanelRightShow->setVisible(collapsed);
    splitRight->setLocked(collapsed);
    if (collapsed) PanelRight->setFixedWidth(14);
    else FormResize();
}

// ---------------------------------------------------------------- sizing

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyMinimumSize();
    FormResize();
}

void TForm1::FormResize()
{
    if (!PanelStatus) return;
    const QSize client = clientSize();
    const int w = FrameLayout::sidePanelWidth(client.width());
    const int h = FrameLayout::barHeight(client.height());
    PanelRight->setFixedWidth(PanelRight->property("tag").toInt() == 1 ? 14 : w);
    PanelLeft->setFixedWidth(PanelLeft->property("tag").toInt() == 1 ? 14 : 180);
    PanelTopTab1->setFixedHeight(h);
    PanelTopTab3->setFixedHeight(h);
    PanelBottomStatus->setFixedHeight(h);
    QFont f = cmd[0]->font();
    f.setPointSize(FrameLayout::commandFontSize(client.height()));
    for (QPushButton* b : cmd) b->setFont(f);
    PanelStatus->setGeometry(PanelBottomStatus->width() - w, 0, w, h);
    ProgressBar1->resize(ProgressBar1->width(), h - 4);
    lastBarHeight_ = h;
    LayoutCommandButtons();
    FitTabRows();
}

void TForm1::LayoutCommandButtons()
{
    if (!PanelStatus) return;
    const int h = lastBarHeight_ ? lastBarHeight_ : 28;
    const int statusWidth = FrameLayout::sidePanelWidth(clientSize().width());
    const int statusLeft = PanelBottomStatus->width() - statusWidth;
    PanelStatus->setGeometry(statusLeft, 0, statusWidth, h);
    std::array<bool, 4> shown{};
    std::array<int, 4> widths{};
    for (int i = 0; i < 4; ++i) {
        shown[i] = !cmd[i]->isHidden();
        widths[i] = QFontMetrics(cmd[i]->font()).horizontalAdvance(cmd[i]->text());
    }
    const FrameLayout::CommandButtons b = FrameLayout::layoutCommandButtons(shown, widths, statusLeft);
    for (int i = 0; i < 4; ++i)
        if (shown[i]) cmd[i]->setGeometry(b.left[i], 0, b.width[i], h);
    if (b.progressWidth >= 0) ProgressBar1->setGeometry(4, 2, std::max(0, b.progressWidth), h - 4);
    if (scopeBar_) scopeBar_->setGeometry(0, 0, std::max(0, statusLeft - 8), h);
}

void TForm1::FitTabRows()
{
    const auto width = [this](const QString& text, int size) {
        QFont f = row1[0]->font();
        f.setPointSize(size);
        return QFontMetrics(f).horizontalAdvance(text);
    };
    const auto applyFont = [](QToolButton* b, int size) {
        QFont f = b->font();
        f.setPointSize(size);
        b->setFont(f);
    };
    const int h1 = PanelTopTab1->height();
    const int bw1 = PanelTopTab1->width() / 6;
    QStringList captions;
    for (int i = 0; i < 6; ++i) captions << TextById(1200 + i) + QStringLiteral(" [F%1]").arg(i + 1);
    int s1 = FrameLayout::fitFontSize(captions, bw1 - 2, 14, 7, width);
    // In a narrow window even the smallest font may not hold "Oscilloscope [F5]": the key then goes
    // to the tooltip and the caption keeps the tab's name whole.
    const bool keysFit =
        std::all_of(captions.begin(), captions.end(), [&](const QString& c) { return width(c, s1) <= bw1 - 2; });
    for (int i = 0; i < 6; ++i) {
        row1[i]->setText(keysFit ? captions[i] : TextById(1200 + i));
        row1[i]->setToolTip(QStringLiteral("F%1").arg(i + 1));
    }
    if (!keysFit) {
        captions.clear();
        for (QToolButton* b : row1) captions << b->text();
        s1 = FrameLayout::fitFontSize(captions, bw1 - 2, 14, 7, width);
    }
    for (int i = 0; i < 6; ++i) {
        row1[i]->setGeometry(i * bw1, 0, bw1, h1);
        applyFont(row1[i], s1);
    }

    const int bw2 = PanelTopTab2->width() / 5;
    const int ids2[7] = {1210, 1211, 1212, 1213, 1214, 1216, 1218};
    captions.clear();
    for (int i = 0; i < 5; ++i) captions << TextById(ids2[i]);
    const int s2 = FrameLayout::fitFontSize(captions, bw2 - 2, 12, 7, width);
    for (int i = 0; i < 7; ++i) {
        const int col = i < 5 ? i : i - 5;
        row2[i]->setGeometry(col * bw2, i < 5 ? 0 : 25, bw2, 25);
        applyFont(row2[i], s2);
        // A page name that does not fit even the smallest font ends in "…" and is whole in the tooltip,
        // rather than cut at both ends.
        const QString caption = TextById(ids2[i]);
        const bool fits = width(caption, s2) <= bw2 - 8;
        row2[i]->setText(fits ? caption : QFontMetrics(row2[i]->font()).elidedText(caption, Qt::ElideRight, bw2 - 8));
        row2[i]->setToolTip(fits ? QString() : caption);
    }

    const int bw3 = PanelTopTab1->width() / 4;
    captions.clear();
    for (QToolButton* b : row3) captions << b->text();
    const int s3 = FrameLayout::fitFontSize(captions, bw3 - 2, 14, 7, width);
    int x = 0;
    for (QToolButton* b : row3) {
        applyFont(b, s3);
        if (b->isHidden()) continue;
        b->setGeometry(x, 0, bw3, PanelTopTab3->height());
        x += bw3;
    }
}

// ---------------------------------------------------------------- tabs

void TForm1::setCommand(int index, int textId, const QString& suffix, const QColor& colour, int tag)
{
    cmd[index]->setText(TextById(textId) + suffix);
    QPalette p = cmd[index]->palette();
    p.setColor(QPalette::ButtonText, colour);
    cmd[index]->setPalette(p);
    commandTags[index] = tag;
    cmd[index]->show();
}

void TForm1::showBottomStrip(int height)
{
    PanelNasInfoObd->show();
    const int total = splitBottom->height();
    height = std::clamp(height, 20, std::max(20, total - 20));
    splitBottom->setSizes({total - height, height});
}

void TForm1::placeEditor(QWidget* parent)
{
    if (Nastawy->parentWidget() == parent) return;
    Nastawy->setParent(parent);
    static_cast<QBoxLayout*>(parent->layout())->insertWidget(0, Nastawy, 1);
}

void TForm1::SpeedButton1Click(int tab)
{
    if (!Nastawy) return;
    // Re-applied without a pressed button (after a view or language change) the current tab keeps its
    // highlight: the fitter would otherwise not see which tab is shown.
    for (QToolButton* b : row1) setTabColour(b, systemWindowText());
    tabHighlighted_ = true;
    if (tab >= 0) topTab = tab;
    setTabColour(row1[topTab], palette.active);
    for (QPushButton* b : cmd) b->hide();
    ProgressBar1->hide();
    PanelBledy->hide();
    PanelChart->hide();
    hideChart();
    PanelScope->hide();
    PanelInfo->hide();
    obdPages_->hide();
    PanelNasInfoObd->hide();
    PanelTopTab2->hide();
    PanelTopTab3->hide();
    scopeBar_->hide();
    Nastawy->HideEditor();
    showLeftPanel(viewLevel == 2 && (topTab == 1 || topTab == 4));

    const QString enter = QStringLiteral("  [Enter]");
    switch (topTab) {
        case 0:
            placeEditor(PanelWork);
            Nastawy->show();
            Nastawy->SetPage(0);
            setCommand(3, 1260, QString(), palette.active, 101);
            LayoutCommandButtons();
            Nastawy->Relayout();
            break;
        case 1: {
            placeEditor(PanelNasInfoObd);
            scopeBar_->play();  // the calibration is watched live
            PanelScope->show();
            showBottomStrip(80);
            Nastawy->show();
            Nastawy->SetPage(1);
            // A calibration already running keeps its Stop caption.
            const bool running = Sterownik1->liveRequestHeld(kLiveRequestCalibration);
            setCommand(3, running ? 1263 : 1261, enter, palette.active, 201);
            ProgressBar1->setVisible(running);
            LayoutCommandButtons();
            Nastawy->Relayout();
            break;
        }
        case 2:
            // Admin mode adds a second line of map pages.
            PanelTopTab2->setFixedHeight(developerMode == 3 ? 50 : 25);
            row2[5]->setVisible(developerMode == 3);
            row2[6]->setVisible(developerMode == 3);
            PanelTopTab2->show();
            SpeedButton11Click(mapPage);
            break;
        case 3:
            PanelBledy->show();
            PanelInfo->show();
            showBottomStrip(PanelCenter->height() / 3);
            setCommand(0, 1265, QString(), systemWindowText(), 402);
            setCommand(1, 1266, QString(), systemWindowText(), 403);
            setCommand(3, 1264, QString(), palette.active, 401);
            LayoutCommandButtons();
            Sterownik1->RozkazDoSterownika(2);
            break;
        case 4:
            PanelScope->show();
            scopeBar_->show();
            break;
        case 5:
            placeEditor(PanelWork);
            PanelTopTab3->show();
            SpeedButton31Click(obdPage);
            break;
        default: break;
    }
    diagnosticsNormalColour_ = row1[3]->palette().color(QPalette::ButtonText);
    FitTabRows();
}

void TForm1::SpeedButton11Click(int page)
{
    if (!Nastawy) return;
    mapPage = page;
    for (QToolButton* b : row2) setTabColour(b, systemWindowText());
    for (QToolButton* b : row2)
        if (b->isChecked() && page >= 0) setTabColour(b, palette.active);
    if (topTab != 2) return;
    for (QPushButton* b : cmd) b->hide();
    PanelNasInfoObd->hide();
    Nastawy->HideEditor();
    switch (page) {
        case 0:
            placeEditor(PanelNasInfoObd);
            showBottomStrip(80);
            Nastawy->show();
            Nastawy->SetPage(20);
            Nastawy->Relayout();
            setCommand(0, 1268, QString(), kRed, 311);
            setCommand(1, 1269, QString(), kGreen, 312);
            setCommand(2, 1271, QString(), kPurple, 313);
            break;
        case 1:
            if (viewLevel >= 1) {
                setCommand(0, 1268, QString(), kRed, 321);
                setCommand(1, 1269, QString(), kGreen, 322);
                setCommand(2, 1272, QString(), palette.active, 323);
            } else {
                setCommand(0, 1272, QString(), palette.active, 323);
            }
            break;
        case 2: setCommand(0, 1272, QString(), kPurple, 331); break;
        case 3:
        case 4: setCommand(0, 1272, QString(), kPurple, 341); break;
        case 6: setCommand(0, 1272, QString(), kPurple, 351); break;
        case 7: setCommand(0, 1272, QString(), kPurple, 361); break;
        default: break;
    }
    showChartView(page);
    LayoutCommandButtons();
}

void TForm1::SpeedButton31Click(int page)
{
    if (!Nastawy) return;
    obdPage = page;
    for (int i = 0; i < 4; ++i) setTabColour(row3[i], i == page ? palette.active : systemWindowText());
    if (topTab != 5) return;
    for (QPushButton* b : cmd) b->hide();
    Nastawy->HideEditor();
    PanelChart->hide();
    if (page != 3) hideChart();
    obdPages_->hide();
    PanelNasInfoObd->hide();
    const QColor normal = systemWindowText();
    switch (page) {
        case 0:
            obdPages_->showPage(0);
            showBottomStrip(PanelCenter->height() - 65);
            setCommand(0, 1273, QString(), normal, 391);
            setCommand(1, 1274, QString(), normal, 392);
            setCommand(3, 1118, QString(), normal, 390);
            break;
        case 1:
        case 2:
            obdPages_->showPage(page);
            showBottomStrip(PanelCenter->height() / 2);
            Nastawy->show();
            Nastawy->SetPage(page == 1 ? 50 : 51);
            Nastawy->Relayout();
            setCommand(0, 1273, QString(), normal, page == 1 ? 393 : 395);
            setCommand(1, 1274, QString(), normal, page == 1 ? 394 : 396);
            break;
        case 3:
            showChartView(5);
            setCommand(0, 1268, QString(), kRed, 324);
            setCommand(1, 1269, QString(), kGreen, 325);
            setCommand(2, 1272, QString(), palette.active, 323);
            break;
        default: break;
    }
    LayoutCommandButtons();
}

// The OBD panel's own handlers.
void TForm1::SpeedButton41Click(int tab) { obdPages_->SpeedButton41Click(tab); }
void TForm1::RichEditDtcChange() { obdPages_->RichEditDtcChange(); }
void TForm1::RichEditDtcDblClick() { obdPages_->RichEditDtcDblClick(); }

void TForm1::Btn51Click(int button)
{
    if (!Sterownik1 || button < 0 || button > 3) return;
    const int tag = commandTags[button];
    const auto ask = [this](int id) { return AskUser(id, kAskYesNo) == kAnswerYes; };
    TSterownik& s = *Sterownik1;
    switch (tag) {
        case 101:
            if (!ask(2100)) break;
            BackupBeforeChange();
            Nastawy->LoadDefaults();
            s.NastawyFabryczne();
            Nastawy->update();
            break;
        case 201: StartStopCalibration(); break;
        case 311:
        case 321:
            if (ask(2101)) s.KasujMapeEcuBen();
            if (tag == 311) Nastawy->update();
            break;
        case 312:
        case 322:
            if (ask(2102)) s.KasujMapeEcuGaz();
            break;
        case 313:
            if (ask(2103)) s.KasujMnoznik();
            break;
        case 314: s.WykonajAdaptacje(); break;
        case 323:
            if (ask(2104)) s.KasujKorOdObr();
            break;
        case 324:
            if (ask(2105)) s.KasujMapeOdbBen();
            break;
        case 325:
            if (ask(2106)) s.KasujMapeObdGaz();
            break;
        case 331:
        case 341:
            if (ask(2104)) Grafika1->ClearCorrection();
            break;
        case 351:
            if (ask(2104)) s.KasujOpoznienia();
            break;
        case 361:
            if (ask(2104)) s.KasujWzbogacenie();
            break;
        case 390: ObdPort->PortOpen(-1); break;
        case 391: ObdPort->WcisnietoPrzycisk(3); break;
        case 392: ObdPort->WcisnietoPrzycisk(4); break;
        case 393: s.CzytajBledyObd(0); break;
        case 394: s.KasujBledyObd(0); break;
        case 395: s.CzytajBledyObd(1); break;
        case 396: s.KasujBledyObd(1); break;
        case 401: s.requestCommand(TSterownik::CmdClearErrors); break;
        case 402: s.requestCommand(TSterownik::CmdSpeakerTest); break;
        case 403: s.requestCommand(TSterownik::CmdLeakTest); break;
        default: break;
    }
}

// ---------------------------------------------------------------- menus

void TForm1::MenuLang0Click(int index)
{
    language = index < 0 ? (language + 1) % 4 : index;
    programLanguage() = language;
    langItems[language]->setChecked(true);
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::MenuView0Click(int index)
{
    viewLevel = index < 0 ? (viewLevel + 1) % 3 : index;
    viewItems[viewLevel]->setChecked(true);
    ApplyView();
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::MenuColor0Click(int index)
{
    theme = index < 0 ? (theme + 1) % 6 : index;
    colorItems[theme]->setChecked(true);
    ApplyColors();
}

void TForm1::MenuFileReadClick()
{
    CzytajUstawienia(*Sterownik1, *prompt);
    if (Nastawy->isVisible()) Nastawy->Relayout();
    if (Grafika1->isVisible()) Grafika1->Render();
}

void TForm1::MenuFileSaveClick() { ZapiszUstawienia(*Sterownik1, *prompt); }

// The oscilloscope's bar and its items of the Device menu.
void TForm1::BitBtnOsc01Click(int code) { scopeBar_->BitBtnOsc01Click(code); }
void TForm1::MenuFile5Click() { scopeBar_->MenuFile5Click(); }
void TForm1::MenuFile6Click() { scopeBar_->MenuFile6Click(); }
void TForm1::MenuFile7Click() { scopeBar_->MenuFile7Click(); }

void TForm1::MenuFileFirmwareClick()
{
    BackupBeforeChange();
    Aktualizacja(*Sterownik1, *prompt, QCoreApplication::applicationDirPath(),
                 [this] { FormProg->Run(palette, TextById(1360), TextById(1361)); });
}
