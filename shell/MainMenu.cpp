#include "shell/MainMenu.h"

#include <QtGui/QActionGroup>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/ConfigBackups.h"
#include "link/LinkEvents.h"
#include "link/Tsterownik.h"
#include "obd/Telmobd.h"
#include "shell/Unitmain.h"

namespace {

constexpr QSize kSizes[MainMenu::kWindowSizes] = {{640, 480},  {800, 600},  {1200, 900},
                                                  {1200, 675}, {1200, 575}, {1366, 768}};

// Language names stay in their own language whatever the program's.
const char* const kLanguageNames[MainMenu::kLanguages] = {"English", "Polski (Polish)", "Русский (Russian)",
                                                          "Español (Spain)"};

}  // namespace

QSize MainMenu::windowSize(int index) { return kSizes[index]; }

MainMenu::MainMenu(TForm1& window) : QObject(&window), window_(window)
{
    QMenuBar* bar = window.menuBar();
    buildFileMenu();

    conn_ = bar->addMenu(QString());
    conn_->setObjectName(QStringLiteral("MenuConn"));
    connect(conn_, &QMenu::aboutToShow, &window, &TForm1::MenuConnClick);
    elm_ = bar->addMenu(QStringLiteral("ELM"));
    elm_->setObjectName(QStringLiteral("MenuElm"));
    connect(elm_, &QMenu::aboutToShow, &window, &TForm1::MenuElmClick);

    // Radio menus: one item ticked, its index handed to the window's handler.
    auto radioMenu = [&](QMenu*& menu, const char* name, auto& items, void (TForm1::*handler)(int)) {
        menu = bar->addMenu(QString());
        menu->setObjectName(QLatin1String(name));
        auto* group = new QActionGroup(menu);
        for (int i = 0; i < int(items.size()); ++i) {
            items[i] = menu->addAction(QString());
            items[i]->setCheckable(true);
            group->addAction(items[i]);
            connect(items[i], &QAction::triggered, &window, [&window, handler, i] { (window.*handler)(i); });
        }
    };
    radioMenu(lang_, "MenuLang", langItems_, &TForm1::MenuLang0Click);
    radioMenu(view_, "MenuView", viewItems_, &TForm1::MenuView0Click);
    radioMenu(colour_, "MenuColor", colorItems_, &TForm1::MenuColor0Click);

    doc_ = bar->addMenu(QString());
    doc_->setObjectName(QStringLiteral("MenuDoc"));
    docItems_[0] = doc_->addAction(QString(), &window, &TForm1::MenuDocManClick);
    docItems_[1] = doc_->addAction(QString(), &window, &TForm1::MenuDocSchClick);
    docItems_[2] = doc_->addAction(QString(), &window, &TForm1::MenuDocConClick);
    buildAdminMenu();
}

void MainMenu::buildFileMenu()
{
    TForm1& w = window_;
    file_ = w.menuBar()->addMenu(QString());
    file_->setObjectName(QStringLiteral("MenuFile"));
    info_ = file_->addAction(QString(), &w, &TForm1::MenuFileInfoClick);
    service_ = file_->addAction(QString(), &w, &TForm1::MenuFileServisClick);
    firmware_ = file_->addAction(QString(), &w, &TForm1::MenuFileFirmwareClick);
    file_->addSeparator();
    read_ = file_->addAction(QString(), &w, &TForm1::MenuFileReadClick);
    save_ = file_->addAction(QString(), &w, &TForm1::MenuFileSaveClick);
    // The oscilloscope's recording items join after the save item.
    file_->addSeparator();
    compare_ = file_->addAction(QString(), &w, &TForm1::MenuFileCompareClick);
    compare_->setObjectName(QStringLiteral("MenuFileCompare"));
    autoBackup_ = file_->addAction(QString());
    autoBackup_->setObjectName(QStringLiteral("MenuFileAutoBackup"));
    autoBackup_->setCheckable(true);
    connect(autoBackup_, &QAction::toggled, &w, &TForm1::MenuFileAutoBackupClick);
    backupFolder_ = file_->addAction(QString(), &w, &TForm1::MenuFileBackupFolderClick);
    backupFolder_->setObjectName(QStringLiteral("MenuFileBackupFolder"));
    backups_ = file_->addMenu(QString());
    backups_->setObjectName(QStringLiteral("MenuFileBackups"));
    connect(backups_, &QMenu::aboutToShow, &w, &TForm1::MenuFileBackupsShow);
}

void MainMenu::buildAdminMenu()
{
    TForm1& w = window_;
    // Fixed developer captions, shown only in admin mode.
    admin_ = w.menuBar()->addMenu(QStringLiteral("Adm"));
    admin_->setObjectName(QStringLiteral("MenuAdmin"));
    const char* const logCaptions[3] = {"Transmisja", "    Param. bieżące", "    Moduł OBD"};
    void (TForm1::*const logHandlers[3])(bool) = {&TForm1::MenuA0Click, &TForm1::MenuA00Click, &TForm1::MenuA01Click};
    for (int i = 0; i < 3; ++i) {
        logItems_[i] = admin_->addAction(QString::fromUtf8(logCaptions[i]));
        logItems_[i]->setCheckable(true);
        connect(logItems_[i], &QAction::toggled, &w, logHandlers[i]);
    }
    admin_->addSeparator();
    auto* sizes = new QActionGroup(admin_);
    for (int i = 0; i < kWindowSizes; ++i) {
        sizeItems_[i] = admin_->addAction(QStringLiteral("%1x%2").arg(kSizes[i].width()).arg(kSizes[i].height()));
        sizeItems_[i]->setCheckable(true);
        sizes->addAction(sizeItems_[i]);
        connect(sizeItems_[i], &QAction::triggered, &w, [&w, i] { w.MenuA10Click(i); });
    }
    admin_->addSeparator();
    tools_[0] = admin_->addAction(QStringLiteral("Demo"), &w, &TForm1::MenuA1Click);
    tools_[1] = admin_->addAction(QStringLiteral("UTF16->UTF8"), &w, &TForm1::MenuA2Click);
    tools_[2] = admin_->addAction(QStringLiteral("Zasoby->UTF16"), &w, &TForm1::MenuA3Click);
    tools_[3] = admin_->addAction(QStringLiteral("Nastawy"), &w, &TForm1::MenuA4Click);
    tools_[4] = admin_->addAction(QStringLiteral("-"));
    tools_[5] = admin_->addAction(QStringLiteral("Kasowanie Historii"), &w, &TForm1::MenuA6Click);
    admin_->menuAction()->setVisible(false);
}

void MainMenu::relabel()
{
    file_->setTitle(TextById(1100));
    info_->setText(TextById(1330));
    service_->setText(TextById(1340));
    firmware_->setText(TextById(1360));
    read_->setText(TextById(1101));
    save_->setText(TextById(1102));
    compare_->setText(TextById(OwnText::CompareMenu));
    autoBackup_->setText(TextById(OwnText::AutoBackups));
    backupFolder_->setText(TextById(OwnText::BackupFolder));
    backupFolder_->setToolTip(window_.Backups->root);
    backups_->setTitle(TextById(OwnText::BackupsList));
    conn_->setTitle(TextById(1117));
    elm_->setTitle(QStringLiteral("ELM"));
    lang_->setTitle(TextById(1120));
    for (int i = 0; i < kLanguages; ++i) langItems_[i]->setText(QString::fromUtf8(kLanguageNames[i]));
    view_->setTitle(TextById(1150));
    for (int i = 0; i < kViewLevels; ++i) viewItems_[i]->setText(TextById(1151 + i));
    colour_->setTitle(TextById(1160));
    for (int i = 0; i < kThemes; ++i) colorItems_[i]->setText(TextById(1161 + i));
    doc_->setTitle(TextById(1170));
    for (int i = 0; i < 3; ++i) docItems_[i]->setText(TextById(1171 + i));
    // The menus take the window's font rather than the platform's larger default.
    window_.menuBar()->setFont(window_.font());
    for (QMenu* m : window_.menuBar()->findChildren<QMenu*>()) m->setFont(window_.font());
}

void MainMenu::showBackups(bool on, const QString& folder)
{
    const QSignalBlocker block(autoBackup_);
    autoBackup_->setChecked(on);
    backupFolder_->setToolTip(folder);
}

void MainMenu::linkEvent(int kind, int code, int value, int length)
{
    (void)code, (void)value, (void)length;
    if (kind == kEventFileLoaded && !connItems_.isEmpty()) connItems_[0].tag = -1;
}

void MainMenu::rebuildConnMenu() { rebuildPortMenu(conn_, window_.Sterownik1, connItems_); }

void MainMenu::rebuildElmMenu() { rebuildPortMenu(elm_, window_.ObdPort, elmItems_); }

void MainMenu::rebuildPortMenu(QMenu* menu, TSerial* port, QList<PortMenuItem>& items)
{
    const bool controller = port == window_.Sterownik1;
    port->PortList(items);
    items[0].caption = TextById(port->PortConnected() ? 1119 : 1118);
    if (controller) items[0].tag = window_.connTag;
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
        connect(a, &QAction::triggered, this, [this, port, &items, controller, i] {
            if (i >= items.size()) return;
            port->PortOnClick(items[i]);
            if (controller && i == 0) window_.connTag = items[0].tag;
        });
    }
    if (!controller) addWifiItem(menu, group);
}

void MainMenu::addWifiItem(QMenu* menu, QActionGroup* group)
{
    // Shown like a port entry: the chosen address, marked " (*)" while it is not connected.
    TObd& obd = *window_.ObdPort;
    const bool chosen = obd.overNetwork();
    QString caption = TextById(OwnText::WifiAdapter);
    if (chosen) caption += QLatin1Char(' ') + obd.address;
    if (chosen && !obd.PortConnected()) caption += QStringLiteral(" (*)");
    menu->addSeparator();
    QAction* item = menu->addAction(caption);
    item->setObjectName(QStringLiteral("MenuElmWifi"));
    item->setCheckable(true);
    item->setChecked(chosen && obd.PortConnected());
    group->addAction(item);
    connect(item, &QAction::triggered, &window_, &TForm1::MenuElmWifiClick);
}
