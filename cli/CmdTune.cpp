// kavelo-cli tune: the multiplier the car's own evidence asks for, as a node table, and its write.
#include <QtCore/QDateTime>
#include <QtCore/QSettings>

#include <memory>
#include <vector>

#include "base/Platform.h"
#include "base/Preferences.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"
#include "link/ConfigBackups.h"
#include "link/OscFile.h"
#include "link/PortAddress.h"
#include "link/SettingsFileOps.h"
#include "obd/Telmobd.h"
#include "tune/TuneApply.h"

namespace {

// Regions the proposal reads: settings (nodes, scale), multiplier bank 1, the petrol and gas maps
// and the OBD correction maps of bank 1.
constexpr uint32_t kTuneReads = 0x1 | 0x2 | 0x10000 | 0x20000 | 0x100000 | 0x200000;
constexpr uint32_t kMultiplierWrite = 0x3;

bool backupsEnabled()
{
    Preferences prefs;
    prefs.read(*Platform::OpenPreferences());
    return prefs.autoBackup;
}

}  // namespace

int cmdTune(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port, elmPort, from;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    const bool apply = CliArgs::takeFlag(args, QStringLiteral("--apply"));
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) ||
        !CliArgs::takeOption(args, QStringLiteral("--elm-port"), elmPort) ||
        !CliArgs::takeOption(args, QStringLiteral("--from"), from) || !args.isEmpty() ||
        (port.isEmpty() && from.isEmpty()) || (apply && port.isEmpty()) || (!elmPort.isEmpty() && port.isEmpty()))
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli tune --port P [--elm-port E] [--from FILE.osc] "
                                               "[--apply] (or tune --from FILE.osc without a controller)"));
    const bool elmNetwork = PortAddress::isAddress(elmPort);
    if (!elmPort.isEmpty() && !elmNetwork && CliArgs::portNumber(elmPort) <= 0)
        return CliArgs::fail(2, QStringLiteral("not a port: ") + elmPort);

    // The recording first: a file that cannot be read fails before the controller is touched.
    auto recorded = std::make_unique<MemoryImage>();
    std::vector<uint8_t> samples;
    int count = 0;
    if (!from.isEmpty()) {
        samples.resize(size_t(OscFile::kMaxSamples) * OscFile::kSampleSize);
        const OscFile::Result rc =
            OscFile::load(from, *recorded, OscFile::HeadParts::Everything, samples.data(), OscFile::kMaxSamples, count);
        if (rc != OscFile::Ok) return CliArgs::fail(1, from + QStringLiteral(": ") + SettingsFileOps::errorText(rc));
    }

    std::unique_ptr<CliLink> cli;
    if (!port.isEmpty()) {
        cli = std::make_unique<CliLink>();
        if (const int rc = cli->open(port)) return rc;
        // While the command runs, the adapter's fuel trims go to the controller with the live requests.
        if (!elmPort.isEmpty()) {
            TObd& obd = cli->session.obd();
            obd.locale = QLocale::c();
            if (!(elmNetwork ? obd.PortOpenAddress(elmPort) : obd.PortOpen(CliArgs::portNumber(elmPort))))
                return CliArgs::fail(1, obd.portError().isEmpty() ? QStringLiteral("cannot open ") + elmPort
                                                                  : obd.portError());
        }
        // A write is backed up first, and a backup is the whole configuration.
        TSterownik& l = cli->link;
        if (!cli->identify(apply ? ~0u : kTuneReads) || !cli->runUntil([&] { return l.readsDone(); }) ||
            CliLink::interrupted())
            return 1;
    }
    const MemoryImage& present = cli ? cli->link.mem : *recorded;
    const MultiplierProposal::Proposal proposal =
        from.isEmpty() ? TuneAssistant::fromImage(present)
                       : TuneAssistant::fromRecording(*recorded, samples.data(), count, present);

    QTextStream& out = CliArgs::out();
    for (const QString& line : TuneAssistant::nodeTable(proposal)) out << line << '\n';
    out.flush();
    if (!proposal.enough) {
        out << TuneAssistant::summaryLine(proposal) << Qt::endl;
        return CliArgs::fail(1, TuneAssistant::missingText(proposal));
    }

    if (apply && proposal.changed > 0) {
        TSterownik& l = cli->link;
        if (backupsEnabled()) {
            const ConfigBackups::SaveResult backup = ConfigBackups::save(
                ConfigBackups::rootFolder(Platform::DocumentsFolder()), l.mem, QDateTime::currentDateTime());
            if (backup.outcome == ConfigBackups::Failed)
                return CliArgs::fail(1, QStringLiteral("cannot save the backup of the configuration"));
            if (!backup.path.isEmpty()) out << "backup " << backup.path << Qt::endl;
        }
        if (!TuneAssistant::apply(l, proposal))
            return CliArgs::fail(1, QStringLiteral("the controller on %1 takes no write now").arg(port));
        // Acknowledged: the write bits are cleared only by the controller's answer.
        if (!cli->runUntil([&] { return !l.writesPending(kMultiplierWrite); }) || !cli->flushWrites()) return 1;
        if (CliLink::interrupted()) return CliArgs::fail(1, QStringLiteral("interrupted"));
        out << "written to " << port << '\n';
    }
    out << TuneAssistant::summaryLine(proposal) << Qt::endl;
    return 0;
}
