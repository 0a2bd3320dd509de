// kavelo-sim: the devices at the far end of the two serial lines, on pseudo-terminals.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include <csignal>

#include "link/PortNames.h"
#include "sim/SimMain.h"
#include "sim/elm/ElmMain.h"

void printServedPort(const QString& device)
{
    QTextStream out(stdout);
    out << device << '\t' << PortNames::numberForDevice(device) << Qt::endl;
}

namespace {
void stop(int) { QCoreApplication::quit(); }
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::signal(SIGINT, stop);
    std::signal(SIGTERM, stop);
    QStringList args = app.arguments().mid(1);
    const QString which = args.isEmpty() ? QString() : args.takeFirst();
    if (which == QLatin1String("controller")) return runControllerSimulator(args);
    if (which == QLatin1String("elm")) return runElmSimulator(args);
    if (which == QLatin1String("make-image")) return runMakeFirmwareImage(args);
    if (which == QLatin1String("--version") || which == QLatin1String("-v")) {
        QTextStream(stdout) << "kavelo-sim " << KAVELO_VERSION << Qt::endl;
        return 0;
    }
    const bool help = which == QLatin1String("--help") || which == QLatin1String("-h");
    QTextStream(help ? stdout : stderr)
        << "usage: kavelo-sim controller|elm [OPTIONS]\n"
           "       kavelo-sim make-image FILE.img [--version A.B] [--date YY.MM.DD] [controller options]\n"
           "  controller   serve a gas-injection controller on a pseudo-terminal and print its device\n"
           "  elm          serve an ELM327 OBD-II adapter on a pseudo-terminal and print its device\n"
           "  make-image   write a firmware image file for the controller's update\n"
           "  --version    print the version"
        << Qt::endl;
    return help ? 0 : 2;
}
