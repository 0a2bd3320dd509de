// What a fitter waits for on the serial line, with the simulated controller delivering its bytes at
// the line's 38400 baud (kavelo-sim's default), each figure from the programs as a fitter runs them:
//  - connect_full_read: `kavelo-cli read-settings`, from starting the command to its exit: the port
//    opened, the controller identified and every region read and confirmed (two reads that agree),
//    the file saved; the median of three runs;
//  - connect_full_read_no_wire: the same with the simulator answering at once (--no-wire-timing),
//    for comparison with the figures taken before the wire was simulated;
//  - write_settings_full: `kavelo-cli write-settings` of a file read from the controller, from start
//    to exit: read, every region of the file written, the factory-settings command, and every
//    write read back and confirmed; the median of three runs;
//  - get_one_setting: `kavelo-cli get` of one setting, from start to exit: the controller
//    identified and the settings region read and confirmed; the median of three runs;
//  - set_one_setting: `kavelo-cli set` of one setting by its shown value, from start to exit: the
//    settings region and the change history read, the settings written and read back, the history
//    entry written and read back; the median of three runs;
//  - record_10s_samples: the samples of a 10-second `kavelo-cli record` (a count, not milliseconds);
//    at 0.1 s a sample it holds 100.
// Lines are "name value".
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void report(const char* name, double value)
{
    std::printf("%s %.1f\n", name, value);
    std::fflush(stdout);
}

// kavelo-sim controller with `options`, running until the object goes; its device once it serves.
struct Simulator {
    QProcess process;
    QString device;

    explicit Simulator(const QStringList& options)
    {
        process.start(QStringLiteral(KAVELO_SIM), QStringList{QStringLiteral("controller")} + options);
        if (!process.waitForStarted(10000)) return;
        QElapsedTimer t;
        t.start();
        while (!process.canReadLine() && t.elapsed() < 10000) process.waitForReadyRead(100);
        device = QString::fromUtf8(process.readLine()).section(QLatin1Char('\t'), 0, 0).trimmed();
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

// Runs kavelo-cli with `args`; its standard output, or an empty array when it failed.
QByteArray cli(const QStringList& args, const QString& home, double* ms = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);  // the backups of the read go into the temporary folder
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(KAVELO_CLI), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_line: kavelo-cli %s failed: %s\n", qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
        return {};
    }
    if (ms) *ms = double(t.nsecsElapsed()) / 1e6;
    return p.readAllStandardOutput();
}

// Median milliseconds of three runs of the kavelo-cli `command` with `operands` (by default FILE,
// read.set in `dir`) against one simulator, -1 when one failed.
double medianOfThree(const QString& command, const QStringList& simOptions, const QTemporaryDir& dir,
                     QStringList operands = {})
{
    Simulator sim(simOptions);
    if (sim.device.isEmpty()) return -1;
    if (operands.isEmpty()) operands << dir.filePath(QStringLiteral("read.set"));
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
        double ms = 0;
        const QStringList args = QStringList{command, QStringLiteral("--port"), sim.device} + operands;
        if (cli(args, dir.path(), &ms).isNull()) return -1;
        runs.push_back(ms);
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    int failed = 0;

    const QString read = QStringLiteral("read-settings");
    const double wire = medianOfThree(read, {}, dir);
    if (wire >= 0) report("connect_full_read", wire);
    const double noWire = medianOfThree(read, {QStringLiteral("--no-wire-timing")}, dir);
    if (noWire >= 0) report("connect_full_read_no_wire", noWire);
    failed += wire < 0 || noWire < 0;
    // The file the reads saved goes back to a controller.
    const double write = wire < 0 ? -1 : medianOfThree(QStringLiteral("write-settings"), {}, dir);
    if (write >= 0) report("write_settings_full", write);
    failed += write < 0;

    // One setting: the temperature above which the controller switches to gas (41 °C).
    const double get = medianOfThree(QStringLiteral("get"), {}, dir, {QStringLiteral("51")});
    if (get >= 0) report("get_one_setting", get);
    const double set = medianOfThree(QStringLiteral("set"), {}, dir, {QStringLiteral("51"), QStringLiteral("41")});
    if (set >= 0) report("set_one_setting", set);
    failed += get < 0 || set < 0;

    Simulator sim({});
    const QByteArray out =
        sim.device.isEmpty()
            ? QByteArray()
            : cli({QStringLiteral("record"), QStringLiteral("--port"), sim.device,
                   dir.filePath(QStringLiteral("ten.osc")), QStringLiteral("--seconds"), QStringLiteral("10")},
                  dir.path());
    // "N samples" is the command's last line.
    const QByteArray last = out.trimmed().split('\n').last();
    bool ok = false;
    const int samples = last.endsWith(" samples") ? last.split(' ').first().toInt(&ok) : 0;
    if (ok) report("record_10s_samples", samples);
    failed += !ok;
    return failed ? 1 : 0;
}
