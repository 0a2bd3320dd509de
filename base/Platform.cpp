#include "base/Platform.h"

#include <QtCore/QDate>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QSettings>
#include <QtCore/QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Platform {

uint32_t MachineIdentityFromText(const QByteArray& text)
{
    const QByteArray head = text.trimmed().left(8);
    if (head.size() < 8) return 0;
    bool ok = false;
    const uint32_t value = head.toUInt(&ok, 16);
    return ok ? value : 0;
}

std::array<uint32_t, 4> WorkshopIdentity()
{
    const QDate today = QDate::currentDate();
    return {MachineIdentity(), uint32_t(today.year() - 2000), uint32_t(today.month()), uint32_t(today.day())};
}

uint32_t MachineIdentity()
{
#ifdef Q_OS_WIN
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return 0;
    return serial;
#else
    QFile file(QStringLiteral("/etc/machine-id"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return MachineIdentityFromText(file.read(64));
#endif
}

QString DocumentsFolder()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (path.isEmpty()) return {};
    // Windows paths of the documents folder are limited to MAX_PATH - 1 characters.
    return QDir::toNativeSeparators(path).left(259);
}

std::unique_ptr<QSettings> OpenPreferences()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\ZorUDU"), QSettings::NativeFormat);
#else
    // ~/.config/ZorUDU.conf, values at the top level as in the registry key.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZorUDU"));
#endif
}

void OpenFolder(const QString& folder)
{
#ifdef Q_OS_WIN
    QProcess::startDetached(QStringLiteral("explorer.exe"),
                            {QStringLiteral("/n,"), QStringLiteral("/root,"), QDir::toNativeSeparators(folder)});
#else
    QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
#endif
}

}  // namespace Platform
