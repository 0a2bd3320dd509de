// The main window's frame: captions, colours, view levels, sizing, tabs, command buttons and the
// menus' handlers; the parts that do the work are in their own classes.
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtGui/QResizeEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "charts/Tgrafika.h"
#include "dialogs/Unitprog.h"
#include "editor/Tnastawy.h"
#include "link/FirmwareUpdate.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "shell/CommandBar.h"
#include "shell/FrameLayout.h"
#include "shell/MainMenu.h"
#include "shell/ObdPagesPanel.h"
#include "shell/ReadingsPanel.h"
#include "shell/ScopeBar.h"
#include "shell/SidePanel.h"
#include "shell/TabRows.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"
#include "shell/WorkPages.h"

namespace {

// The channels the basic and full views always show in the readings: engine speed, manifold
// pressure, gas pressure, the reducer and gas temperatures.
constexpr int kMainReadings[] = {1400, 1404, 1406, 1410, 1412};

}  // namespace

void TForm1::Relabel()
{
    programTexts().load();
    panels.relabel();
}

void TForm1::ApplyColors()
{
    palette = ComputePalette(theme, SystemColours::fromPalette(QApplication::palette()));
    QPalette wp = QApplication::palette();
    wp.setColor(QPalette::Window, palette.background);
    wp.setColor(QPalette::WindowText, palette.text);
    setPalette(wp);
    // The menu bar keeps the platform's colours: on the Black schemes its captions would otherwise
    // be drawn in the button text colour on a black bar.
    QPalette platform = QApplication::palette();
    platform.setResolveMask(~QPalette::ResolveMask(0));  // every role its own, none from the window
    menuBar()->setPalette(platform);
    panels.applyColours(palette);
    // The fixed colours of the pressed tab and the command buttons follow the new theme; a tab
    // that had lost its highlight (re-applied after a view or language change) stays without.
    SpeedButton1Click(pages_->topHighlighted() ? pages_->topTab() : -1);
}

void TForm1::ApplyView()
{
    const bool advanced = viewLevel == kAdvancedView;
    if (!advanced) SetRightCollapsed(false);
    right_->hideButton()->setVisible(advanced);
    readings_->setAdvancedView(advanced);
    right_->titleButton()->setVisible(advanced);
    if (!advanced) {
        if (pages_->obdPage() == 3) {
            tabs_->row3()[0]->setChecked(true);
            SpeedButton31Click(0);
        }
        // Basic and full views always show the main readings.
        for (int c = 0; c < Sterownik1->channels().size(); ++c)
            for (int id : kMainReadings)
                if (Sterownik1->channels()[c].id == id)
                    Sterownik1->setChannelShown(c, kChannelDrawn | kChannelReadings, true);
        leftPanel()->setShown(false);
    }
    tabs_->row3()[3]->setVisible(advanced);
    FitTabRows();
    LayoutRightPanel();
    pages_->Nastawy()->SetViewLevel(viewLevel);
    if (TGrafika* chart = pages_->Grafika1()) chart->SetViewLevel(viewLevel);
}

// A collapsed side panel is a 14-pixel handle; its splitter bar stays but cannot be dragged.
void TForm1::SetLeftCollapsed(bool collapsed)
{
    leftPanel()->setCollapsed(collapsed);
    if (!collapsed) FormResize();
}

void TForm1::SetRightCollapsed(bool collapsed)
{
    right_->setCollapsed(collapsed);
    if (!collapsed) FormResize();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyMinimumSize();
    FormResize();
}

void TForm1::FormResize()
{
    if (!commands_) return;
    const QSize client = clientSize();
    const int h = FrameLayout::barHeight(client.height());
    right_->setOpenWidth(FrameLayout::sidePanelWidth(client.width()));
    leftPanel()->setOpenWidth(SidePanel::kLeftWidth);
    tabs_->PanelTopTab1()->setFixedHeight(h);
    tabs_->PanelTopTab3()->setFixedHeight(h);
    commands_->resizeBar(h, FrameLayout::commandFontSize(client.height()));
    FitTabRows();
}

void TForm1::LayoutCommandButtons() { commands_->layoutButtons(); }
void TForm1::FitTabRows() { tabs_->fit(); }

// ---------------------------------------------------------------- tabs

void TForm1::SpeedButton1Click(int tab) { pages_->showTop(tab); }
void TForm1::SpeedButton11Click(int page) { pages_->showMapPage(page); }
void TForm1::SpeedButton31Click(int page) { pages_->showObdPage(page); }
void TForm1::Btn51Click(int button) { pages_->runCommand(button); }

// The OBD panel's own handlers.
void TForm1::SpeedButton41Click(int tab) { obdPages()->SpeedButton41Click(tab); }
void TForm1::RichEditDtcChange() { obdPages()->RichEditDtcChange(); }
void TForm1::RichEditDtcDblClick() { obdPages()->RichEditDtcDblClick(); }

// ---------------------------------------------------------------- menus

void TForm1::MenuLang0Click(int index)
{
    language = index < 0 ? (language + 1) % MainMenu::kLanguages : index;
    programLanguage() = language;
    menus_->langItem(language)->setChecked(true);
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::MenuView0Click(int index)
{
    viewLevel = index < 0 ? (viewLevel + 1) % MainMenu::kViewLevels : index;
    menus_->viewItem(viewLevel)->setChecked(true);
    ApplyView();
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::MenuColor0Click(int index)
{
    theme = index < 0 ? (theme + 1) % MainMenu::kThemes : index;
    menus_->colorItem(theme)->setChecked(true);
    ApplyColors();
}

void TForm1::MenuFileReadClick()
{
    CzytajUstawienia(*Sterownik1, *prompt);
    if (pages_->Nastawy()->isVisible()) pages_->Nastawy()->Relayout();
    if (pages_->Grafika1()->isVisible()) pages_->Grafika1()->Render();
}

void TForm1::MenuFileSaveClick()
{
    const QString saved = ZapiszUstawienia(*Sterownik1, *prompt);
    if (!saved.isEmpty()) commands_->showNotice(TextById(OwnText::SettingsSaved).arg(QDir::toNativeSeparators(saved)));
}

// The oscilloscope's bar and its items of the Device menu.
void TForm1::BitBtnOsc01Click(int code) { scopeBar_->BitBtnOsc01Click(code); }
void TForm1::MenuFile5Click() { scopeBar_->MenuFile5Click(); }
void TForm1::MenuFile6Click() { scopeBar_->MenuFile6Click(); }
void TForm1::MenuFile7Click() { scopeBar_->MenuFile7Click(); }

void TForm1::MenuFileFirmwareClick()
{
    // The backup is taken once the file has passed its checks, just before the update starts.
    Aktualizacja(
        *Sterownik1, *prompt, QCoreApplication::applicationDirPath(),
        [this] { dialogs_->FormProg()->Run(palette, TextById(1360), TextById(1361)); },
        [this] { BackupBeforeChange(); });
}
