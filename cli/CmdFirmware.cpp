// kavelo-cli firmware: replaces the controller's firmware from an image file.
#include <QtCore/QDateTime>
#include <QtCore/QFileInfo>

#include <QtCore/QSettings>
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"
#include "link/IdentityReader.h"

#include "base/Platform.h"
#include "base/Preferences.h"
#include "base/TextTable.h"
#include "link/ConfigBackups.h"
#include "link/FirmwareUpdate.h"

namespace {

QString bar(int percent)
{
    const int filled = percent * 40 / 100;
    return QStringLiteral("[") + QString(filled, QLatin1Char('#')) + QString(40 - filled, QLatin1Char('.')) +
           QStringLiteral("] ") + QString::number(percent) + QStringLiteral("%");
}

// The user's "Automatic backups" preference, shared with the program.
bool backupsEnabled()
{
    Preferences prefs;
    prefs.read(*Platform::OpenPreferences());
    return prefs.autoBackup;
}

}  // namespace

int cmdFirmware(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || args.size() != 1)
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli firmware --port DEVICE FILE.img"));
    const QString file = args.first();
    if (!QFileInfo(file).isReadable()) return CliArgs::failCode(1, 141);

    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    // The hardware check needs the identified controller; the update is recorded in its history.
    // The whole configuration is read first, so that a backup of it exists before the update.
    if (!cli.identify(~0u)) return 1;
    TSterownik& l = cli.link;
    if (!cli.runUntil([&] { return l.readsDone(); }) || CliLink::interrupted()) return 1;
    const QString before = l.StrWersjaCyframi(0x0E).trimmed();
    if (backupsEnabled()) {
        const ConfigBackups::SaveResult backup = ConfigBackups::save(
            ConfigBackups::rootFolder(Platform::DocumentsFolder()), l.mem, QDateTime::currentDateTime());
        if (backup.outcome == ConfigBackups::Failed)
            return CliArgs::fail(1, QStringLiteral("cannot save the backup of the configuration"));
        if (!backup.path.isEmpty()) CliArgs::out() << "backup " << backup.path << Qt::endl;
    }

    if (const int error = FirmwareUpdate::start(l, file)) return CliArgs::failCode(1, error);

    QTextStream& out = CliArgs::out();
    out << "firmware " << QFileInfo(file).fileName() << " -> " << cli.device << " (now " << before << ")" << Qt::endl;
    bool started = false;
    bool finished = false;
    bool back = false;
    int shown = -1;
    cli.onEvent = [&](int kind, int code, int, int) {
        if (kind != kEventFrameReceived) return;
        if (code == 0x81) {
            if (l.flashing) started = true;
            // Identified in application mode: after the blocks, the new firmware runs; before them,
            // the controller did not enter its bootloader and nothing was written.
            if (IdentityReader(l.mem).inApplication()) {
                back = true;
                // Only the history is needed now: the update's entry is written over it.
                l.dropReads(~0x80u);
            }
        }
        if (code == 0xFF) {
            const int percent = FirmwareUpdate::percent(l);
            if (percent != shown) {
                shown = percent;
                out << "\r" << bar(percent) << Qt::flush;
            }
            if (l.firmwareBlock >= MemoryImage::kFirmwareBlocks) finished = true;
        }
    };
    // Success means the update is also in the controller's history: after the new firmware is
    // identified, its history is read and the update's entry written and acknowledged.
    const bool answered =
        cli.runUntil([&] { return CliLink::interrupted() || (back && (!finished || !l.historyWritePending())); });
    if (shown >= 0) out << Qt::endl;
    if (!answered) return 1;
    if (!started || !finished) {
        // Ctrl+C or a controller that stayed in its application: the old firmware still runs
        // unless blocks were sent, in which case the bootloader keeps waiting for them.
        return CliArgs::fail(1, started ? QStringLiteral("update interrupted: the controller waits in its bootloader")
                                        : QStringLiteral("the controller did not enter its bootloader"));
    }
    if (l.historyWritePending())
        return CliArgs::fail(1,
                             QStringLiteral("interrupted before the update was recorded in the controller's history"));
    out << "identified again: " << l.StrWersjaSterownika() << " " << l.StrWersjaCyframi(0x0E).trimmed() << Qt::endl;
    out << "recorded in the change history" << Qt::endl;
    return 0;
}
