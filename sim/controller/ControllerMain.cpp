// kavelo-sim controller: the simulated controller on a pseudo-terminal.
#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtCore/QTextStream>
#include <QtCore/QTimer>

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

bool takeSeconds(QStringList& args, const char* name, double& seconds, QString& error)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    if (i < 0) return true;
    bool ok = false;
    const double v = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
    if (!ok || v < 0.1 || v > 86400) {
        error = QStringLiteral("%1 takes seconds from 0.1 to 86400").arg(QLatin1String(name));
        return false;
    }
    seconds = v;
    args.remove(i, 2);
    return true;
}

bool takeFile(QStringList& args, const char* name, QString& file, QString& error)
{
    const qsizetype i = args.indexOf(QLatin1String(name));
    if (i < 0) return true;
    if (i + 1 >= args.size() || args[i + 1].isEmpty() || args[i + 1].startsWith(QLatin1String("--"))) {
        error = QStringLiteral("%1 takes a file name").arg(QLatin1String(name));
        return false;
    }
    file = args[i + 1];
    args.remove(i, 2);
    return true;
}

const char* const kUsage = "usage: kavelo-sim controller [--model 1|2] [--injectors 4|6|8] [--variant N]"
                           " [--lambdas 1|2] [--bar-code TEXT] [--serial HEX] [--version A.B.C]"
                           " [--engine-off] [--drive] [--low-pressure] [--current-error BYTE.BIT]"
                           " [--silent] [--corrupt SHARE] [--drop SHARE] [--unplug-every SECONDS]"
                           " [--unplug-for SECONDS] [--dump-on-exit FILE] [--no-wire-timing]";

}  // namespace

int runControllerSimulator(QStringList args, const std::function<int(ControllerSim&)>& alongside)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout) << kUsage << "\n"
                            << "  Prints the device of its pseudo-terminal (give it to kavelo --port or kavelo-cli\n"
                               "  --port) and serves the controller until it is stopped with Ctrl+C."
                            << Qt::endl;
        return 0;
    }
    ControllerSim sim;
    QString error;
    double unplugEvery = 0;
    double unplugFor = 2;
    QString dumpFile;
    if (!sim.identity.applyOptions(args, error) || !takeShare(args, "--corrupt", sim.faults.corruptShare, error) ||
        !takeShare(args, "--drop", sim.faults.dropShare, error) ||
        !takeSeconds(args, "--unplug-every", unplugEvery, error) ||
        !takeSeconds(args, "--unplug-for", unplugFor, error) || !takeFile(args, "--dump-on-exit", dumpFile, error)) {
        QTextStream(stderr) << "kavelo-sim: " << error << Qt::endl;
        return 2;
    }
    // The line is faulty both ways: what the PC sends suffers as much as the replies.
    sim.faults.requestCorruptShare = sim.faults.corruptShare;
    sim.faults.requestDropShare = sim.faults.dropShare;
    sim.faults.silent = args.removeAll(QStringLiteral("--silent")) > 0;
    // The replies cross the line at 38400 baud unless a test asks for them at once.
    sim.setWireTiming(args.removeAll(QStringLiteral("--no-wire-timing")) == 0);
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
            QTextStream(stderr) << "kavelo-sim: --current-error takes BYTE.BIT with BYTE 6..12 and BIT 0..7"
                                << Qt::endl;
            return 2;
        }
        sim.memory.raiseError(byte - 6, bit);
        args.remove(i, 2);
    }
    if (!args.isEmpty()) {
        QTextStream(stderr) << "kavelo-sim: unknown option " << args.first() << "\n" << kUsage << Qt::endl;
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
    if (alongside)
        if (const int result = alongside(sim)) return result;

    // The plug is pulled every `unplugEvery` seconds and put back `unplugFor` seconds later.
    QTimer unplugTimer;
    QObject::connect(&port, &PtyPort::deviceChanged, &port, [](const QString& device) {
        QTextStream(stderr) << "kavelo-sim: the pseudo-terminal came back as " << device
                            << " (its old number was taken)" << Qt::endl;
        printServedPort(device);
    });
    if (unplugEvery > 0) {
        unplugTimer.setInterval(static_cast<int>(unplugEvery * 1000));
        QObject::connect(&unplugTimer, &QTimer::timeout, &port, [&] {
            if (!port.unplug()) return;
            ++sim.unplugs;
            QTimer::singleShot(static_cast<int>(unplugFor * 1000), &port, [&] {
                if (!port.plugIn()) QTextStream(stderr) << "kavelo-sim: no pseudo-terminal to plug in" << Qt::endl;
            });
        });
        unplugTimer.start();
    }

    // SIGUSR1 writes the memory dump now; stopping writes it once more.
    auto writeDump = [&] {
        if (!dumpFile.isEmpty() && !sim.writeDump(dumpFile))
            QTextStream(stderr) << "kavelo-sim: cannot write " << dumpFile << Qt::endl;
    };
    onDumpSignal(writeDump);
    const int result = QCoreApplication::exec();
    writeDump();
    return dumpFile.isEmpty() || QFile::exists(dumpFile) ? result : 1;
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
        err << "kavelo-sim: " << (error.isEmpty() ? QStringLiteral("make-image takes one file name") : error)
            << Qt::endl;
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
