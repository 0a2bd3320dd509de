// kavelo-cli calibrate: the autocalibration at idle, with its progress.
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "cli/CliLink.h"
#include "cli/Commands.h"

namespace {

// A calibration that did not finish leaves the controller as a finished one does: the session
// started its clean-up at the stop or abort report (the same one the window runs), every gas
// injector of the installation on and the engine on petrol. This waits for it.
bool restoreAfterStop(CliLink& cli)
{
    CliLink::clearInterrupted();  // a second Ctrl+C leaves the controller as it is
    const bool answered = cli.runUntil([&] { return !cli.session.RestoringAfterCalibration(); });
    if (!answered || CliLink::interrupted()) return false;
    const bool restored = cli.session.petrolRestore().Restored();
    if (!restored)
        CliArgs::fail(1, QStringLiteral("%1 did not go back to petrol with all injectors on").arg(cli.device));
    return restored;
}

}  // namespace

int cmdCalibrate(const QStringList& arguments)
{
    QStringList args = arguments;
    QString port;
    if (!CliArgs::takeLanguage(args)) return CliArgs::fail(2, QStringLiteral("--lang takes en, pl, ru or es"));
    if (!CliArgs::takeOption(args, QStringLiteral("--port"), port) || port.isEmpty() || !args.isEmpty())
        return CliArgs::fail(2, QStringLiteral("usage: kavelo-cli calibrate --port DEVICE [--lang LANG]"));

    CliLink cli;
    if (const int rc = cli.open(port)) return rc;
    // The calibration writes the whole settings block: it must hold the controller's settings.
    // Its writes are recorded in the history, which is read first for that.
    if (!cli.identify(0x1 | 0x80)) return 1;
    TSterownik& l = cli.link;
    if (!cli.runUntil([&] { return l.readsDone(0x81); }) || CliLink::interrupted()) return 1;

    QTextStream& out = CliArgs::out();
    int stage = 0;
    int shownPercent = -1;
    cli.onEvent = [&](int kind, int code, int value, int) {
        if (kind != kEventCalibration) return;
        if (code == 2) {
            const int percent = std::clamp(value, 0, 1024) * 100 / 1024;
            if (percent / 5 != shownPercent / 5) {
                shownPercent = percent;
                out << "progress " << percent << "%" << Qt::endl;
            }
        } else {
            stage = code;
        }
    };
    cli.session.StartStopCalibration();
    const bool answered = cli.runUntil([&] { return stage >= 3; });
    if (stage < 3 && l.liveRequestHeld(kLiveRequestCalibration))
        cli.session.StartStopCalibration();  // Ctrl+C or no reply: stop
    const bool restored = !answered || stage == 3 || restoreAfterStop(cli);
    // The corrections found so far reach the controller before the program ends.
    const bool flushed = answered && cli.flushWrites();
    switch (stage) {
        case 3: out << TextById(1293) << Qt::endl; break;
        case 4: out << TextById(1292) << Qt::endl; break;
        default: out << "stopped" << Qt::endl; break;
    }
    if (!answered || !flushed || !restored) return 1;
    return stage == 3 ? 0 : 1;
}
