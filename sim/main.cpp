// kavelo-sim: the devices at the far end of the two serial lines, on pseudo-terminals.
#include <QtCore/QCoreApplication>
#include <QtCore/QSocketNotifier>
#include <QtCore/QTextStream>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "link/PortNames.h"
#include "sim/SimMain.h"
#include "sim/elm/ElmMain.h"

void printServedPort(const QString& device)
{
    QTextStream out(stdout);
    out << device << '\t' << PortNames::numberForDevice(device) << Qt::endl;
}

namespace {

// Signals reach the event loop through a pipe: the handler only writes the signal's number.
int gSignalPipe[2] = {-1, -1};
std::function<void()> gDumpAction;

void onSignal(int signal)
{
    const char code = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &code, 1);
}

void watchSignals(QCoreApplication& app)
{
    if (pipe(gSignalPipe) != 0) return;
    fcntl(gSignalPipe[0], F_SETFL, O_NONBLOCK);
    fcntl(gSignalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char code = 0;
        while (::read(gSignalPipe[0], &code, 1) == 1) {
            if (code == SIGUSR1) {
                if (gDumpAction) gDumpAction();
            } else {
                QCoreApplication::quit();
            }
        }
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGUSR1, onSignal);
}

}  // namespace

void onDumpSignal(std::function<void()> action) { gDumpAction = std::move(action); }

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    watchSignals(app);
    QStringList args = app.arguments().mid(1);
    const QString which = args.isEmpty() ? QString() : args.takeFirst();
    if (which == QLatin1String("controller")) return runControllerSimulator(args);
    if (which == QLatin1String("elm")) return runElmSimulator(args);
    if (which == QLatin1String("car")) return runCarSimulator(args);
    if (which == QLatin1String("make-image")) return runMakeFirmwareImage(args);
    if (which == QLatin1String("--version") || which == QLatin1String("-v")) {
        QTextStream(stdout) << "kavelo-sim " << KAVELO_VERSION << Qt::endl;
        return 0;
    }
    const bool help = which == QLatin1String("--help") || which == QLatin1String("-h");
    QTextStream(help ? stdout : stderr)
        << "usage: kavelo-sim controller|elm|car [OPTIONS]\n"
           "       kavelo-sim make-image FILE.img [--version A.B] [--date YY.MM.DD] [controller options]\n"
           "  controller   serve a gas-injection controller on a pseudo-terminal and print its device\n"
           "  elm          serve an ELM327 OBD-II adapter on a pseudo-terminal (or --tcp HOST:PORT) and\n"
           "               print its device (or address)\n"
           "  car          one car behind both: the controller and the ELM327 adapter, each on its own\n"
           "               pseudo-terminal (controller first); takes both one's options and\n"
           "               --multiplier-error T:P[,T:P...] and --time-scale K\n"
           "  make-image   write a firmware image file for the controller's update\n"
           "  --version    print the version"
        << Qt::endl;
    return help ? 0 : 2;
}
