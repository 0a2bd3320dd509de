// Main window: automatic backups of the controller's configuration and comparing it with a
// settings file (Device menu).
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtWidgets/QMenu>

#include "base/OwnTexts.h"
#include "base/Platform.h"
#include "dialogs/CompareWindow.h"
#include "editor/Tnastawy.h"
#include "link/ConfigBackups.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "shell/MainMenu.h"
#include "shell/Unitmain.h"
#include "shell/WorkPages.h"

#include <memory>

void TForm1::StartBackups()
{
    Backups->root = dataRoot.isEmpty() ? QString() : ConfigBackups::rootFolder(dataRoot);
    Backups->enabled = prefs.autoBackup;
    menus_->showBackups(prefs.autoBackup, Backups->root);
}

void TForm1::BackupBeforeChange()
{
    if (Backups) Backups->backupNow();
}

void TForm1::MenuFileAutoBackupClick(bool on)
{
    prefs.autoBackup = on;
    Backups->enabled = on;
}

void TForm1::MenuFileBackupFolderClick()
{
    if (Backups->root.isEmpty()) return;
    QDir().mkpath(Backups->root);
    Platform::OpenFolder(Backups->root);
}

void TForm1::MenuFileBackupsShow()
{
    // Listed afresh each time: a backup may have been taken since.
    QMenu* menu = menus_->MenuFileBackups();
    menu->clear();
    const QString root = Backups->root;
    const QStringList serials = root.isEmpty() ? QStringList() : ConfigBackups::controllers(root);
    for (const QString& serial : serials) {
        const QString folder = root + QLatin1Char('/') + serial;
        menu->addAction(ConfigBackups::controllerName(root, serial), this, [folder] { Platform::OpenFolder(folder); });
    }
    if (serials.isEmpty()) menu->addAction(TextById(OwnText::NoBackups))->setEnabled(false);
}

void TForm1::MenuFileCompareClick()
{
    Prompt::FileDialog d = SettingsFileOps::dialog(*Sterownik1, false);
    const QString path = prompt->openFileName(d);
    if (path.isEmpty()) return;
    auto file = std::make_unique<MemoryImage>();
    if (const int result = SettingsFile::load(path, *file)) {
        prompt->errorCode(result);
        return;
    }
    CompareWindow form(this, *Sterownik1, *file, QFileInfo(path).fileName(), palette);
    form.exec();
    if (TNastawy* editor = pages_->Nastawy()) editor->update();
}
