// kavelo-sim controller: the simulated controller on a pseudo-terminal.
#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtCore/QTextStream>

#include "sim/SimMain.h"
#include "sim/controller/ControllerSim.h"
#include "sim/controller/FirmwareImage.h"
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

int runMakeFirmwareImage(QStringList args)
{
    QTextStream err(stderr);
    ControllerIdentity identity;
    QString error;
    QString version = QStringLiteral("3.1");
    QString date = QStringLiteral("26.12.01");
    auto takeText = [&](const char* name, QString& value) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        if (i < 0 || i + 1 >= args.size()) return;
        value = args[i + 1];
        args.remove(i, 2);
    };
    takeText("--version", version);
    takeText("--date", date);
    if (!identity.applyOptions(args, error) || args.size() != 1) {
        err << "kavelo-sim: " << (error.isEmpty() ? QStringLiteral("make-image takes one file name") : error) << Qt::endl;
        return 2;
    }
    const QStringList v = version.split(QLatin1Char('.'));
    const QStringList d = date.split(QLatin1Char('.'));
    bool ok = v.size() == 2 && d.size() == 3;
    int numbers[5] = {};
    for (int i = 0; ok && i < 5; ++i) {
        numbers[i] = (i < 2 ? v[i] : d[i - 2]).toInt(&ok);
        ok = ok && numbers[i] >= 0 && numbers[i] <= 255;
    }
    if (!ok) {
        err << "kavelo-sim: --version takes MAJOR.BUILD and --date YY.MM.DD" << Qt::endl;
        return 2;
    }
    QFile file(args.first());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(FirmwareImage::make(identity, numbers[0], numbers[1], numbers + 2)) < 0) {
        err << "kavelo-sim: cannot write " << args.first() << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << args.first() << Qt::endl;
    return 0;
}
