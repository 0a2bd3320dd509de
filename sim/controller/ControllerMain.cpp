// kavelo-sim controller: the simulated controller on a pseudo-terminal.
#include <QtCore/QCoreApplication>
#include <QtCore/QTextStream>

#include "sim/SimMain.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

bool takeShare(QStringList& args, const char* name, double& share, QString& error)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    if (i < 0) return true;
    bool ok = false;
    const double v = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
    if (!ok || v < 0 || v > 1) {
        error = QStringLiteral("%1 takes a share from 0 to 1").arg(QLatin1String(name));
        return false;
    }
    share = v;
    args.remove(i, 2);
    return true;
}

}  // namespace

int runControllerSimulator(QStringList args)
{
    ControllerSim sim;
    QString error;
    if (!sim.identity.applyOptions(args, error) || !takeShare(args, "--corrupt", sim.faults.corruptShare, error) ||
        !takeShare(args, "--drop", sim.faults.dropShare, error)) {
        QTextStream(stderr) << "kavelo-sim: " << error << Qt::endl;
        return 2;
    }
    sim.faults.silent = args.removeAll(QStringLiteral("--silent")) > 0;
    if (args.removeAll(QStringLiteral("--engine-off")) > 0) sim.engine.stopEngine();
    sim.engine.setDriveCycle(args.removeAll(QStringLiteral("--drive")) > 0);
    sim.engine.setLowGasPressure(args.removeAll(QStringLiteral("--low-pressure")) > 0);
    // "--current-error B.K": bit K of error-list byte B (6..12) is a current error.
    for (qsizetype i = args.indexOf(QStringLiteral("--current-error")); i >= 0;
         i = args.indexOf(QStringLiteral("--current-error"))) {
        const QStringList parts = i + 1 < args.size() ? args[i + 1].split(QLatin1Char('.')) : QStringList();
        bool okByte = false, okBit = false;
        const int byte = parts.size() == 2 ? parts[0].toInt(&okByte) : 0;
        const int bit = parts.size() == 2 ? parts[1].toInt(&okBit) : 0;
        if (!okByte || !okBit || byte < 6 || byte > 12 || bit < 0 || bit > 7) {
            QTextStream(stderr) << "kavelo-sim: --current-error takes BYTE.BIT with BYTE 6..12 and BIT 0..7" << Qt::endl;
            return 2;
        }
        sim.memory.raiseError(byte - 6, bit);
        args.remove(i, 2);
    }
    if (!args.isEmpty()) {
        QTextStream(stderr) << "kavelo-sim: unknown option " << args.first() << "\n"
                            << "usage: kavelo-sim controller [--model 1|2] [--injectors 4|6|8] [--variant N]"
                               " [--lambdas 1|2] [--bar-code TEXT] [--serial HEX] [--version A.B.C]"
                               " [--engine-off] [--drive] [--low-pressure] [--current-error BYTE.BIT]"
                               " [--silent] [--corrupt SHARE] [--drop SHARE]"
                            << Qt::endl;
        return 2;
    }
    sim.configure();

    PtyPort port;
    if (!port.open()) {
        QTextStream(stderr) << "kavelo-sim: cannot open a pseudo-terminal" << Qt::endl;
        return 1;
    }
    sim.attach(&port);
    printServedPort(port.devicePath());
    return QCoreApplication::exec();
}
