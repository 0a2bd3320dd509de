// Main window: automatic backups of the controller's configuration and comparing it with a
// settings file (Device menu).
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QSignalBlocker>
#include <QtWidgets/QMenu>

#include "base/OwnTexts.h"
#include "base/Platform.h"
#include "dialogs/CompareWindow.h"
#include "editor/Tnastawy.h"
#include "link/ConfigBackups.h"
#include "link/SettingsFile.h"
#include "link/SettingsFileOps.h"
#include "link/Tsterownik.h"
#include "shell/Unitmain.h"

#include <memory>

void TForm1::buildBackupMenu()
{
    MenuFile->addSeparator();
    MenuFileCompare = MenuFile->addAction(QString(), this, &TForm1::MenuFileCompareClick);
    MenuFileCompare->setObjectName(QStringLiteral("MenuFileCompare"));
    MenuFileAutoBackup = MenuFile->addAction(QString());
    MenuFileAutoBackup->setObjectName(QStringLiteral("MenuFileAutoBackup"));
    MenuFileAutoBackup->setCheckable(true);
    connect(MenuFileAutoBackup, &QAction::toggled, this, &TForm1::MenuFileAutoBackupClick);
    MenuFileBackupFolder = MenuFile->addAction(QString(), this, &TForm1::MenuFileBackupFolderClick);
    MenuFileBackupFolder->setObjectName(QStringLiteral("MenuFileBackupFolder"));
}

void TForm1::RelabelBackups()
{
    MenuFileCompare->setText(TextById(OwnText::CompareMenu));
    MenuFileAutoBackup->setText(TextById(OwnText::AutoBackups));
    MenuFileBackupFolder->setText(TextById(OwnText::BackupFolder));
    MenuFileBackupFolder->setToolTip(Backups->root);
}

void TForm1::StartBackups()
{
    Backups->root = dataRoot.isEmpty() ? QString() : ConfigBackups::rootFolder(dataRoot);
    Backups->enabled = prefs.autoBackup;
    const QSignalBlocker block(MenuFileAutoBackup);
    MenuFileAutoBackup->setChecked(prefs.autoBackup);
    MenuFileBackupFolder->setToolTip(Backups->root);
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
    if (Nastawy) Nastawy->update();
}
