// The main window's Device-menu dialogs (device information, service), the readings selection, the
// Documentation menu, the admin menu with the transmission log and the developer conversions,
// admin mode, and starting or stopping the calibration (the session cleans up after one that did not finish).
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QEvent>
#include <QtGui/QActionGroup>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

#include <algorithm>

#include "base/OwnTexts.h"
#include "base/Platform.h"
#include "base/TextTable.h"
#include "dialogs/ManualWindow.h"
#include "dialogs/Unitadmin.h"
#include "dialogs/Unitdevice.h"
#include "dialogs/Unitparam.h"
#include "dialogs/Unitservice.h"
#include "editor/Tnastawy.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "session/WorkshopSession.h"
#include "settings/SettingsCatalogue.h"
#include "shell/Unitmain.h"
#include "ui/StringGrid.h"

namespace {

constexpr QSize kWindowSizes[6] = {{640, 480}, {800, 600}, {1200, 900}, {1200, 675}, {1200, 575}, {1366, 768}};

// Demonstration maps: injection times (the cell byte) rising with engine speed and load, the gas
// times a tenth longer, and learned OBD corrections around the neutral 128 leaning a little at
// high load.
void fillDemoMap(uint8_t* map, int kind)
{
    for (int rpm = 0; rpm < 16; ++rpm)
        for (int load = 0; load < 16; ++load) {
            const int petrol = 12 + 5 * load + 2 * rpm + (load * rpm) / 8;
            int v = petrol;
            if (kind == 1) v = petrol + petrol / 10;
            if (kind == 2) v = 128 + (load - 6) - rpm / 4;
            if (kind == 3) v = 128 + (load - 8) / 2 + (rpm % 3) - 1;
            map[16 * rpm + load] = static_cast<uint8_t>(std::clamp(v, 1, 254));
        }
}

// Calls `resized` whenever the watched widget changes size.
class ResizeWatch : public QObject {
public:
    ResizeWatch(QObject* parent, std::function<void()> resized) : QObject(parent), resized_(std::move(resized)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) resized_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> resized_;
};

}  // namespace

void TForm1::CreateMenuDialogs()
{
    for (Panel* panel : std::initializer_list<Panel*>{FormDevice, FormService, FormParam}) panels.add(panel);
    // "V" sits at the right end of the readings title.
    BtnParamList = new QToolButton(BanerParametry);
    BtnParamList->setObjectName(QStringLiteral("BtnParamList"));
    BtnParamList->setText(QStringLiteral("V"));
    BtnParamList->setFocusPolicy(Qt::NoFocus);
    BtnParamList->setVisible(viewLevel == 2);
    connect(BtnParamList, &QToolButton::clicked, this, &TForm1::BtnParamListClick);
    BanerParametry->installEventFilter(new ResizeWatch(BanerParametry, [this] {
        const int h = BanerParametry->height();
        BtnParamList->setGeometry(BanerParametry->width() - h, 0, h, h);
    }));
    // Closing the log window by its own close box is the same as unticking "Transmisja".
    connect(FormAdmin, &QDialog::finished, this, [this] {
        if (MenuA0->isChecked()) MenuA0->trigger();
    });
}

void TForm1::buildMenuItems()
{
    MenuFileInfo = new QAction(MenuFile);
    MenuFileServis = new QAction(MenuFile);
    MenuFile->insertActions(MenuFileFirmware, {MenuFileInfo, MenuFileServis});
    connect(MenuFileInfo, &QAction::triggered, this, &TForm1::MenuFileInfoClick);
    connect(MenuFileServis, &QAction::triggered, this, &TForm1::MenuFileServisClick);

    MenuDoc = menuBar()->addMenu(QString());
    MenuDoc->setObjectName(QStringLiteral("MenuDoc"));
    MenuDocMan = MenuDoc->addAction(QString(), this, &TForm1::MenuDocManClick);
    MenuDocSch = MenuDoc->addAction(QString(), this, &TForm1::MenuDocSchClick);
    MenuDocCon = MenuDoc->addAction(QString(), this, &TForm1::MenuDocConClick);

    // The admin menu: fixed developer captions, shown only in admin mode.
    MenuAdmin = menuBar()->addMenu(QStringLiteral("Adm"));
    MenuAdmin->setObjectName(QStringLiteral("MenuAdmin"));
    MenuA0 = MenuAdmin->addAction(QStringLiteral("Transmisja"));
    MenuA0->setCheckable(true);
    connect(MenuA0, &QAction::toggled, this, &TForm1::MenuA0Click);
    MenuA00 = MenuAdmin->addAction(QStringLiteral("    Param. bieżące"));
    MenuA00->setCheckable(true);
    connect(MenuA00, &QAction::toggled, this, &TForm1::MenuA00Click);
    MenuA01 = MenuAdmin->addAction(QStringLiteral("    Moduł OBD"));
    MenuA01->setCheckable(true);
    connect(MenuA01, &QAction::toggled, this, &TForm1::MenuA01Click);
    MenuAdmin->addSeparator();
    auto* sizes = new QActionGroup(MenuAdmin);
    for (int i = 0; i < 6; ++i) {
        MenuA1x[i] =
            MenuAdmin->addAction(QStringLiteral("%1x%2").arg(kWindowSizes[i].width()).arg(kWindowSizes[i].height()));
        MenuA1x[i]->setCheckable(true);
        sizes->addAction(MenuA1x[i]);
        connect(MenuA1x[i], &QAction::triggered, this, [this, i] { MenuA10Click(i); });
    }
    MenuAdmin->addSeparator();
    MenuA1 = MenuAdmin->addAction(QStringLiteral("Demo"), this, &TForm1::MenuA1Click);
    MenuA2 = MenuAdmin->addAction(QStringLiteral("UTF16->UTF8"), this, &TForm1::MenuA2Click);
    MenuA3 = MenuAdmin->addAction(QStringLiteral("Zasoby->UTF16"), this, &TForm1::MenuA3Click);
    MenuA4 = MenuAdmin->addAction(QStringLiteral("Nastawy"), this, &TForm1::MenuA4Click);
    MenuA5 = MenuAdmin->addAction(QStringLiteral("-"));
    MenuA6 = MenuAdmin->addAction(QStringLiteral("Kasowanie Historii"), this, &TForm1::MenuA6Click);
    MenuAdmin->menuAction()->setVisible(false);
}

void TForm1::RelabelMenus()
{
    MenuFileInfo->setText(TextById(1330));
    MenuFileServis->setText(TextById(1340));
    MenuDoc->setTitle(TextById(1170));
    MenuDocMan->setText(TextById(1171));
    MenuDocSch->setText(TextById(1172));
    MenuDocCon->setText(TextById(1173));
    // The menus take the window's font rather than the platform's larger default.
    menuBar()->setFont(font());
    for (QMenu* m : menuBar()->findChildren<QMenu*>()) m->setFont(font());
}

// ---------------------------------------------------------------- Device menu

void TForm1::MenuFileInfoClick()
{
    if (FormDevice->isVisible()) return;
    FormDevice->ApplyTheme(palette);
    FormDevice->Open();
}

void TForm1::MenuFileServisClick()
{
    if (FormService->isVisible()) return;
    FormService->ApplyTheme(palette);
    FormService->Open();
}

void TForm1::BtnParamListClick()
{
    if (FormParam->isVisible()) return;
    FormParam->ApplyTheme(palette);
    if (!FormParam->Open()) return;
    // The readings grid follows the new selection once the dialog has closed.
    connect(FormParam, &QDialog::finished, this, &TForm1::ReadingsSelectionClosed, Qt::SingleShotConnection);
}

void TForm1::ReadingsSelectionClosed() { LayoutRightPanel(); }

// Attaches the transmission log to a link's text lines, or takes it off again. Whatever handler
// the link had before keeps receiving every line while the log is on, and is put back afterwards.
void TForm1::attachLog(TTekstEvent& handler, TTekstEvent& saved, bool on)
{
    if (on) {
        saved = handler;
        handler = [this, &saved](QObject* sender, const QString& text, TColor colour) {
            AdminLine(text, colour);
            if (saved) saved(sender, text, colour);
        };
    } else {
        handler = std::move(saved);
        saved = nullptr;
    }
}

void TForm1::attachObdLog(bool on)
{
    if (ObdPort) attachLog(ObdPort->OnTekst, savedObdTekst_, on);
}

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
    developerMode = developerMode == 3 ? 1 : 3;
    MenuAdmin->menuAction()->setVisible(developerMode == 3);
    Sterownik1->setDiagnosticChannels(!Sterownik1->diagnosticChannels());
    ApplyView();
    Relabel();
    SpeedButton1Click(-1);
}

void TForm1::AdminLine(const QString& text, TColor colour)
{
    if (FormAdmin) FormAdmin->AddLine(text, colour);
}

void TForm1::MenuA0Click(bool on)
{
    // Called on each change of the item's tick only.
    if (on) FormAdmin->showCentredOn(this);
    else FormAdmin->hide();
    attachLog(Sterownik1->OnTekst, savedLinkTekst_, on);
    attachObdLog(on);
}

void TForm1::MenuA00Click(bool on) { Sterownik1->setVerboseLive(on); }
void TForm1::MenuA01Click(bool on) { Sterownik1->setVerboseObd(on); }

void TForm1::MenuA10Click(int index)
{
    if (index < 0 || index > 5) return;
    if (isMaximized() || isMinimized()) showNormal();
    resize(kWindowSizes[index] - frameExtra());
}

void TForm1::MenuA1Click()
{
    MemoryImage& m = Sterownik1->mem;
    fillDemoMap(m.map(MemoryImage::PetrolMap), 0);
    fillDemoMap(m.map(MemoryImage::GasMap), 1);
    fillDemoMap(m.map(MemoryImage::ObdPetrol1), 2);
    fillDemoMap(m.map(MemoryImage::ObdGas1), 3);
    // Bank 2 takes bank 1's corrections.
    fillDemoMap(m.map(MemoryImage::ObdPetrol2), 2);
    fillDemoMap(m.map(MemoryImage::ObdGas2), 3);
    Sterownik1->ZapiszDoSterownika(0x10000 | 0x20000 | 0x100000 | 0x200000 | 0x400000 | 0x800000);
}

void TForm1::MenuA2Click()
{
    // The program keeps its texts in the language table, not in string resources: there is
    // nothing to convert.
    AdminLine(QStringLiteral("UTF16->UTF8: 0"), Rgb(0, 0, 0));
}

void TForm1::MenuA3Click() { AdminLine(QStringLiteral("Zasoby->UTF16: 0"), Rgb(0, 0, 0)); }

void TForm1::MenuA4Click()
{
    SettingsCatalogue& c = Session->catalogue();
    // The default of the checksum byte makes a block of defaults sum to 0.
    int sum = 0;
    for (int i = 1; i < 256; ++i) sum += c.descriptor(i).def;
    const SettingDescriptor d0 = c.descriptor(0);
    c.DefineSetting(0, d0.label, d0.options.data(), d0.max, static_cast<uint8_t>(-sum), d0.min, d0.kind, d0.scale,
                    d0.unit);
    AdminLine(QStringLiteral("  #define nil 0"), Rgb(0, 0, 0));
    for (int i = 0; i < SettingsCatalogue::kIndexCount; ++i) {
        const SettingDescriptor& d = c.descriptor(i);
        const bool defined = i == 0 || d.kind != 0 || d.max != 0 || d.label != 0;
        AdminLine(QStringLiteral("  #define def%1  %2")
                      .arg(i, 3, 10, QLatin1Char('0'))
                      .arg(defined ? QString::number(d.def) : QStringLiteral("nil")),
                  Rgb(0, 0, 0));
    }
}

void TForm1::MenuA6Click() { Sterownik1->HistoriaZmianKasuj(); }

// ---------------------------------------------------------------- calibration

void TForm1::StartStopCalibration() { Session->StartStopCalibration(); }

bool TForm1::RestoringAfterCalibration() const { return Session && Session->RestoringAfterCalibration(); }
