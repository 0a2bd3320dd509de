// The main window's Device-menu dialogs (device information, service), the readings selection, the
// Documentation menu, the admin menu and admin mode, and starting or stopping the calibration (the
// session cleans up after one that did not finish).
#include <QtCore/QDir>
#include <QtWidgets/QMenu>

#include "base/OwnTexts.h"
#include "base/Platform.h"
#include "base/TextTable.h"
#include "dialogs/ManualWindow.h"
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitparam.h"
#include "dialogs/Unitservice.h"
#include "link/Tsterownik.h"
#include "session/WorkshopSession.h"
#include "shell/AdminTools.h"
#include "shell/MainMenu.h"
#include "shell/Unitmain.h"
#include "shell/WindowDialogs.h"

// ---------------------------------------------------------------- Device menu and the readings selection

void TForm1::MenuFileInfoClick() { WindowDialogs::open(dialogs_->FormDevice(), palette); }
void TForm1::MenuFileServisClick() { WindowDialogs::open(dialogs_->FormService(), palette); }

void TForm1::BtnParamListClick()
{
    TFormParam* selection = dialogs_->FormParam();
    if (!WindowDialogs::open(selection, palette)) return;
    // The readings grid follows the new selection once the dialog has closed.
    connect(selection, &QDialog::finished, this, &TForm1::LayoutRightPanel, Qt::SingleShotConnection);
}

void TForm1::NastawyDetail(int kind, int index) { WindowDialogs::open(dialogs_->detailDialog(kind, index), palette); }

// ---------------------------------------------------------------- Documentation menu

void TForm1::openDocumentation(const QString& name)
{
    // The controller maker's drawings: beside the program as the maker's own installation puts them,
    // or in the fitter's documents, where anyone may put them. Missing in both, the box says where
    // they go and the item opens that folder from then on.
    const QString folder = QDir(programFolder).filePath(name);
    const QString documents = Sterownik1->documentsFolder + QStringLiteral("/ORVA/Kavelo II/") + name;
    for (const QString& f : {folder, documents}) {
        if (!QDir(f).exists()) continue;
        if (openFolder) openFolder(f);
        return;
    }
    const QString drawing = name == QStringLiteral("Diagram") ? TextById(1172) : TextById(1173);
    prompt->message(QStringLiteral("KAVELO"),
                    TextById(OwnText::FolderMissing).arg(QDir::toNativeSeparators(folder)) + QLatin1Char('\n') +
                        TextById(OwnText::DrawingsFolder).arg(drawing, QDir::toNativeSeparators(documents)),
                    Prompt::Icon::Information);
}

void TForm1::MenuDocManClick()
{
    // The manual is built into the program; the window is made once and joins the panels, so it
    // follows the language and the colours.
    auto* manual = findChild<ManualWindow*>();
    if (!manual) {
        manual = new ManualWindow(this);
        panels.add(manual);
        manual->applyColours(palette);
        manual->showContents();
    }
    manual->show();
    manual->raise();
    manual->activateWindow();
}
void TForm1::MenuDocSchClick() { openDocumentation(QStringLiteral("Diagram")); }
void TForm1::MenuDocConClick() { openDocumentation(QStringLiteral("Pinout")); }

// ---------------------------------------------------------------- admin mode and admin menu

void TForm1::ToggleAdminMode()
{
    developerMode = developerMode == kAdminMode ? kDeveloperOn : kAdminMode;
    menus_->MenuAdmin()->menuAction()->setVisible(developerMode == kAdminMode);
    Sterownik1->setDiagnosticChannels(!Sterownik1->diagnosticChannels());
    ApplyView();
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::AdminLine(const QString& text, TColor colour) { admin_->line(text, colour); }

void TForm1::MenuA0Click(bool on)
{
    // Called on each change of the item's tick only.
    if (on) dialogs_->FormAdmin()->showCentredOn(this);
    else dialogs_->FormAdmin()->hide();
    admin_->attachLog(on);
}

void TForm1::MenuA00Click(bool on) { Sterownik1->setVerboseLive(on); }
void TForm1::MenuA01Click(bool on) { Sterownik1->setVerboseObd(on); }

void TForm1::MenuA10Click(int index)
{
    if (index < 0 || index >= MainMenu::kWindowSizes) return;
    if (isMaximized() || isMinimized()) showNormal();
    resize(MainMenu::windowSize(index) - frameExtra());
}

void TForm1::MenuA1Click() { admin_->fillDemoMaps(); }

// The program keeps its texts in the language table, not in string resources: there is nothing to
// convert.
void TForm1::MenuA2Click() { AdminLine(QStringLiteral("UTF16->UTF8: 0"), Rgb(0, 0, 0)); }
void TForm1::MenuA3Click() { AdminLine(QStringLiteral("Zasoby->UTF16: 0"), Rgb(0, 0, 0)); }

void TForm1::MenuA4Click() { admin_->listDefaults(); }
void TForm1::MenuA6Click() { Sterownik1->HistoriaZmianKasuj(); }

// ---------------------------------------------------------------- calibration

void TForm1::StartStopCalibration() { Session->StartStopCalibration(); }

bool TForm1::RestoringAfterCalibration() const { return Session && Session->RestoringAfterCalibration(); }
