// kavelo-sim elm: an ELM327 adapter and a car on a pseudo-terminal (or on TCP, as a Wi-Fi adapter),
// until interrupted.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include "sim/SimMain.h"
#include "sim/elm/ElmMain.h"
#include "sim/elm/ElmSimulator.h"

int runElmSimulator(QStringList args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.contains(QLatin1String("--help"))) {
        out << ElmSimulator::usage();
        return 0;
    }
    ElmSimulator sim;
    QString error;
    if (!sim.configure(args, error)) {
        err << "kavelo-sim elm: " << error << "\n" << ElmSimulator::usage();
        return 2;
    }
    if (!sim.tcp.isEmpty()) {
        // A Wi-Fi adapter: the address is printed where the device would be.
        if (!sim.listen(sim.tcp, error)) {
            err << "kavelo-sim elm: " << error << "\n";
            return error.startsWith(QLatin1String("--tcp")) ? 2 : 1;
        }
        printServedPort(sim.servedAddress());
    } else if (!sim.open()) {
        err << "kavelo-sim elm: cannot create a pseudo-terminal\n";
        return 1;
    } else {
        printServedPort(sim.devicePath());
    }
    err << "ELM327 simulator, protocol " << sim.car.protocol << (sim.car.present ? "" : ", no car") << "\n";
    err.flush();
    sim.serve();
    return QCoreApplication::exec();
}
