#include "cli/CliLink.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>

#include <csignal>

#include "base/Platform.h"
#include "base/TextTable.h"
#include "cli/CliArgs.h"
#include "link/IdentityReader.h"
#include "link/Regions.h"

namespace {

volatile std::sig_atomic_t gInterrupted = 0;
void onInterrupt(int) { gInterrupted = 1; }

// The link stops being alive after about a second without a reply (TSterownik::alive); a command
// gives up four seconds later, five seconds after the last reply.
constexpr int kNotAliveMs = 4000;

}  // namespace

bool CliLink::interrupted() { return gInterrupted != 0; }
void CliLink::clearInterrupted() { gInterrupted = 0; }

int CliLink::open(const QString& path)
{
    device = path;
    const int number = CliArgs::portNumber(path);
    if (number <= 0) {
        return CliArgs::fail(2, QStringLiteral("%1 is not a serial port").arg(path));
    }
    link.workshopId = Platform::WorkshopIdentity();
    session.OnZdarzenie = [this](int kind, int code, int value, int length) {
        if (onEvent) onEvent(kind, code, value, length);
    };
    if (!session.openPort(number)) {
        const QString reason = link.portError();
        return CliArgs::fail(1, QStringLiteral("cannot open %1").arg(path) +
                                    (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    }
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return 0;
}

bool CliLink::runUntil(const std::function<bool()>& done)
{
    QElapsedTimer quiet;
    quiet.start();
    QEventLoop loop;
    QTimer check;
    bool ok = true;
    bool unreadable = false;
    bool unwritable = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (link.alive()) quiet.restart();
        if (link.unreadableMask() != 0) {
            // Reads that never agreed: what the command would use or save is not the controller's.
            unreadable = true;
            ok = false;
            loop.quit();
        } else if (link.unwritableMask() != 0) {
            // A write that read back different every time it was sent again: not in the controller.
            unwritable = true;
            ok = false;
            loop.quit();
        } else if (done() || interrupted()) {
            loop.quit();
        } else if (quiet.elapsed() > kNotAliveMs || !link.PortConnected()) {
            ok = false;
            loop.quit();
        }
    });
    check.start(25);
    loop.exec();
    if (unreadable)
        CliArgs::fail(1, QStringLiteral("unreadable on %1 (the reads did not agree): %2")
                             .arg(device, QString::fromStdString(regionNames(link.unreadableMask()))));
    else if (unwritable)
        CliArgs::fail(1, QStringLiteral("the controller on %1 does not hold what was written: %2")
                             .arg(device, QString::fromStdString(regionNames(link.unwritableMask()))));
    else if (!ok) CliArgs::fail(1, QStringLiteral("no reply from the controller on %1").arg(device));
    return ok;
}

bool CliLink::identify(uint32_t keepReads)
{
    bool identified = false;
    auto previous = onEvent;
    onEvent = [&](int kind, int code, int value, int length) {
        if (kind == kEventFrameReceived && code == 0x81) {
            identified = true;
            // Only the regions this command needs are read, and the history: a change this
            // command makes is recorded over the controller's own history, never over an empty one.
            link.dropReads(~(keepReads | 0x80));
        }
        if (previous) previous(kind, code, value, length);
    };
    const bool ok = runUntil([&] { return identified; });
    onEvent = previous;
    if (!ok || interrupted()) return false;
    if (!IdentityReader(link.mem).inApplication()) {
        CliArgs::fail(1, QStringLiteral("%1: %2").arg(device, TextById(1365)));
        return false;
    }
    return true;
}

bool CliLink::flushWrites()
{
    auto pending = [this] { return !link.writesSettled(); };
    if (!pending()) return true;
    clearInterrupted();  // a second Ctrl+C still ends the wait
    return runUntil([&] { return !pending(); });
}
