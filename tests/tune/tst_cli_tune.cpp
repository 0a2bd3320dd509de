// kavelo-cli tune against the simulated car (the controller on a pseudo-terminal served from this
// test's event loop, the car driven here between the commands): too little evidence names the petrol
// times to drive at, --apply writes the proposal after a backup and exits once the controller has
// it, and the car's gas map comes back to its petrol map on the new multiplier.
#include <QtTest/QtTest>

#include <QtCore/QDirIterator>
#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>

#include <cmath>

#include "sim/car/CarModel.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

struct Car {
    PtyPort pty;
    ControllerSim sim;
    CarModel car{sim, nullptr};
    QTemporaryDir home;

    explicit Car(const QString& errors)
    {
        sim.setWireTiming(false);
        std::vector<CarModel::ErrorPoint> points;
        QString error;
        if (!errors.isEmpty()) QVERIFY(CarModel::parseErrors(errors, points, error));
        car.setMultiplierError(points);
        QVERIFY(pty.open());
        sim.attach(&pty);
    }
    // Laps of the drive cycle, the first of them on petrol while the controller warms up.
    void drive(int laps)
    {
        for (int i = 0; i < laps * car.lapSteps(); ++i) car.step();
    }
    struct Result {
        int exitCode;
        QString out, err;
    };
    Result tune(QStringList args)
    {
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(KAVELO_CLI),
                  QStringList{QStringLiteral("tune"), QStringLiteral("--lang"), QStringLiteral("en")} << args);
        if (!cli.waitForStarted()) return {-1, {}, {}};
        // The event loop runs meanwhile: it serves the controller's line.
        if (!QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 60000)) return {-2, {}, {}};
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
    }
    QByteArray table() { return QByteArray(reinterpret_cast<const char*>(sim.region(0xE9)), 256); }
    double deviation() const
    {
        const uint8_t* petrol = const_cast<ControllerSim&>(sim).region(0xE0);
        const uint8_t* gas = const_cast<ControllerSim&>(sim).region(0xE1);
        double sum = 0;
        int n = 0;
        for (int i = 0; i < 256; ++i)
            if (petrol[i] && gas[i]) {
                const double d = double(gas[i]) / petrol[i] - 1;
                sum += d * d;
                ++n;
            }
        return n ? 100 * std::sqrt(sum / n) : 0;
    }
};

}  // namespace

class TstCliTune : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Bad arguments exit 2 before anything is opened.
    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing to read") << QStringList{};
        QTest::newRow("apply without a controller") << QStringList{"--from", "x.osc", "--apply"};
        QTest::newRow("unknown option") << QStringList{"--port", "/dev/null", "--fast"};
        QTest::newRow("adapter without a controller") << QStringList{"--from", "x.osc", "--elm-port", "/dev/pts/1"};
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        Car c(QString{});
        const Car::Result r = c.tune(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QStringLiteral("usage")), qPrintable(r.err));
    }

    // A car that has driven on petrol only: no cells learned on both fuels. Exit 1, and the message
    // names the petrol times of the drive that lack cells; nothing is written.
    void tooLittleEvidence()
    {
        Car c(QStringLiteral("3:+12,8:-6,14:+15"));
        c.drive(1);
        const QByteArray before(reinterpret_cast<const char*>(c.sim.region(0xE9)), 256);
        const Car::Result r = c.tune({QStringLiteral("--port"), c.pty.devicePath(), QStringLiteral("--apply")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Not enough evidence: drive at petrol times 1.0-16.0 ms")),
                 qPrintable(r.err));
        QVERIFY2(r.out.endsWith(QStringLiteral("deviation 0.0 % -> 0.0 % (0 nodes changed)\n")), qPrintable(r.out));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(c.sim.region(0xE9)), 256), before);
    }

    // The car with a multiplier error: the table of nodes, the backup, the write the controller
    // acknowledged, and on the next drive the maps lie together.
    void applyRemovesTheDeviation()
    {
        Car c(QStringLiteral("3:+12,8:-6,14:+15"));
        c.drive(2);
        const double before = c.deviation();
        QVERIFY2(before > 6, qPrintable(QString::number(before)));

        const Car::Result r = c.tune({QStringLiteral("--port"), c.pty.devicePath(), QStringLiteral("--apply")});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("Time [ms]\tPresent\tProposed\tChange\tEvidence"));
        QVERIFY2(lines.last().startsWith(QStringLiteral("deviation %1 % -> ").arg(before, 0, 'f', 1)),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("written to ") + c.pty.devicePath()));
        QVERIFY(r.out.contains(QStringLiteral("new node")));
        int backups = 0;
        for (QDirIterator it(c.home.path(), {QStringLiteral("*.set")}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext(); it.next())
            ++backups;
        QCOMPARE(backups, 1);
        // The controller holds the new curve: about 1.12 at 3 ms, 0.94 at 8 ms, 1.15 at 14 ms.
        const uint8_t* table = c.sim.region(0xE9);
        QVERIFY2(std::abs(table[30] - 112) <= 2, qPrintable(QString::number(table[30])));
        QVERIFY2(std::abs(table[80] - 94) <= 2, qPrintable(QString::number(table[80])));
        QVERIFY2(std::abs(table[140] - 115) <= 2, qPrintable(QString::number(table[140])));

        c.drive(1);
        QVERIFY2(c.deviation() < before / 4, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(c.deviation())));
        // Nothing left worth a change: exit 0, no write.
        const QByteArray now(reinterpret_cast<const char*>(c.sim.region(0xE9)), 256);
        const Car::Result again = c.tune({QStringLiteral("--port"), c.pty.devicePath(), QStringLiteral("--apply")});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(again.out.endsWith(QStringLiteral("(0 nodes changed)\n")));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(c.sim.region(0xE9)), 256), now);
    }

    // Two runs are two processes: after an apply, a run without driving pushes nothing a second time
    // and says how many cells have been relearned; part of a lap brings some back, a whole lap
    // enough, and the proposal then finds nothing left to push. A multiplier changed behind the
    // assistant's back (another program, a settings file) is noticed by the next run.
    void relearnBeforeTheNextPush()
    {
        Car c(QStringLiteral("0:+13"));
        c.drive(2);
        const QStringList apply{QStringLiteral("--port"), c.pty.devicePath(), QStringLiteral("--apply")};
        const Car::Result applied = c.tune(apply);
        QCOMPARE(applied.exitCode, 0);
        QVERIFY(applied.out.contains(QStringLiteral("written to ")));
        const QByteArray written = c.table();
        QVERIFY2(std::abs(uchar(written[80]) - 113) <= 2, qPrintable(QString::number(uchar(written[80]))));

        const QRegularExpression relearning(QStringLiteral(
            "Drive first: (\\d+) of (\\d+) cells relearned since the multiplier change \\((\\d+) needed\\)"));
        const Car::Result again = c.tune(apply);
        QCOMPARE(again.exitCode, 1);
        QRegularExpressionMatch m = relearning.match(again.err);
        QVERIFY2(m.hasMatch(), qPrintable(again.err));
        const int stale = m.captured(2).toInt(), needed = m.captured(3).toInt();
        QVERIFY2(stale >= 20 && needed == (stale + 1) / 2, qPrintable(again.err));
        QVERIFY2(m.captured(1).toInt() < 3, qPrintable(again.err));
        QVERIFY2(again.out.endsWith(QStringLiteral("(0 nodes changed)\n")), qPrintable(again.out));
        QVERIFY(!again.out.contains(QStringLiteral("written to")));
        QCOMPARE(c.table(), written);

        for (int i = 0; i < c.car.lapSteps() / 5; ++i) c.car.step();
        const Car::Result some = c.tune(apply);
        QCOMPARE(some.exitCode, 1);
        m = relearning.match(some.err);
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() > 2 && m.captured(1).toInt() < needed, qPrintable(some.err));
        QCOMPARE(c.table(), written);

        c.drive(1);
        const Car::Result back = c.tune(apply);
        QCOMPARE(back.exitCode, 0);
        QVERIFY2(!back.err.contains(QStringLiteral("Drive first")), qPrintable(back.err));
        QVERIFY2(back.out.endsWith(QStringLiteral("(0 nodes changed)\n")), qPrintable(back.out));
        QCOMPARE(c.table(), written);

        // Someone else lowers the multiplier by 0.05 everywhere.
        uint8_t* table = c.sim.region(0xE9);
        for (int i = 0; i < 256; ++i) table[i] = uint8_t(table[i] - 5);
        const Car::Result foreign = c.tune(apply);
        QCOMPARE(foreign.exitCode, 1);
        QVERIFY2(foreign.err.contains(QStringLiteral("The multiplier was changed outside the assistant; the maps may "
                                                     "still show the old one. Drive first: ")),
                 qPrintable(foreign.err));
        const Car::Result stillStale = c.tune(apply);
        QCOMPARE(stillStale.exitCode, 1);
        QVERIFY2(stillStale.err.startsWith(QStringLiteral("kavelo-cli: Drive first: ")), qPrintable(stillStale.err));
    }
};

QTEST_GUILESS_MAIN(TstCliTune)
#include "tst_cli_tune.moc"
