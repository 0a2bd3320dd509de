// kavelo-cli tune: the multiplier the car's own evidence asks for, as a node table, and its write.
#include <QtCore/QDateTime>
#include <QtCore/QSettings>

#include <algorithm>
#include <array>
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
#include "tune/MultiplierChangeFile.h"
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
    // The learned maps count only for what they learned under the multiplier in force: the record of
    // its last change is kept per controller, so that a run after an apply sees the change.
    const QString records = MultiplierChangeFile::rootFolder(Platform::DocumentsFolder());
    bool recordKept = true;
    const MultiplierProposal::Proposal proposal =
        from.isEmpty() ? TuneAssistant::forController(present, records, recordKept)
                       : TuneAssistant::fromRecording(*recorded, samples.data(), count, present);
    if (!recordKept)
        CliArgs::err() << "cannot save the record of the multiplier in force in " << records
                       << ": a later change of the multiplier elsewhere goes unnoticed" << Qt::endl;

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
        std::array<uint8_t, 256> before{};
        std::copy_n(l.mem.block(MemoryImage::Multiplier1), before.size(), before.begin());
        if (!TuneAssistant::apply(l, proposal))
            return CliArgs::fail(1, QStringLiteral("the controller on %1 takes no write now").arg(port));
        // Acknowledged: the write bits are cleared only by the controller's answer.
        if (!cli->runUntil([&] { return !l.writesPending(kMultiplierWrite); }) || !cli->flushWrites()) return 1;
        if (CliLink::interrupted()) return CliArgs::fail(1, QStringLiteral("interrupted"));
        out << "written to " << port << '\n';
        // From here the maps have to relearn before the next proposal.
        if (!TuneAssistant::recordChange(records, l.mem, before)) {
            out << TuneAssistant::summaryLine(proposal) << Qt::endl;
            return CliArgs::fail(1, QStringLiteral("cannot save the record of the change in %1: the next tune run "
                                                   "takes the change for one made elsewhere")
                                        .arg(records));
        }
    }
    out << TuneAssistant::summaryLine(proposal) << Qt::endl;
    return 0;
}
