// kavelo-cli record, osc-info and osc2csv as a fitter runs them: a few seconds recorded from the
// simulated controller on a pseudo-terminal served from this test's event loop, then the file
// described and exported; refused files.
#include <QtTest/QtTest>

#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include "link/OscFile.h"
#include "sim/controller/ControllerSim.h"
#include "sim/pty/PtyPort.h"

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

// Runs kavelo-cli while this thread's event loop keeps serving the simulator.
Run cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KAVELO_CLI), args);
    Run r;
    if (!p.waitForStarted()) return r;
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 60000) QTest::qWait(20);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

class TstCliScope : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordDescribeExport()
    {
        PtyPort pty;
        QVERIFY(pty.open());
        ControllerSim sim;
        QVERIFY(sim.wireTiming());  // the recording's time is what a fitter's would be
        sim.attach(&pty);
        QTemporaryDir dir;
        const QString osc = dir.filePath(QStringLiteral("drive.osc"));

        const Run rec = cli({QStringLiteral("record"), QStringLiteral("--port"), pty.devicePath(), osc,
                             QStringLiteral("--seconds"), QStringLiteral("3")});
        QCOMPARE(rec.exitCode, 0);
        const qint64 size = QFileInfo(osc).size();
        QVERIFY(size > 4096);
        QCOMPARE((size - 4096) % 128, qint64(0));
        const qint64 samples = (size - 4096) / 128;
        // Three seconds at 0.1 s a sample, on the line's speed: the samples are placed by their
        // receive time, so the count holds on a busy machine too.
        QVERIFY2(samples >= 27 && samples <= 33, qPrintable(QString::number(samples)));
        QCOMPARE(rec.out, QByteArray::number(samples) + " samples\n");

        // The head holds the controller's memory image: its settings block, as read.
        QFile f(osc);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.left(8), QByteArray("osc file"));
        QCOMPARE(bytes.mid(512, 256), QByteArray(reinterpret_cast<const char*>(sim.settings()), 256));
        // Every sample is a live reply as received: the frame's start byte and a live-data command.
        for (qint64 i = 0; i < samples; ++i) {
            QCOMPARE(bytes[4096 + i * 128], 'V');
            QCOMPARE(uint8_t(bytes[4096 + i * 128 + 3]) & 0xF0, 0x90);
        }

        const Run info = cli({QStringLiteral("osc-info"), osc});
        QCOMPARE(info.exitCode, 0);
        const QString text = QString::fromUtf8(info.out);
        QVERIFY2(text.contains(QStringLiteral("Samples:\t%1\n").arg(samples)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Duration:\t%1.%2 s\n").arg(samples / 10).arg(samples % 10)),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Controller:\tKAVELO")), qPrintable(text));

        const Run toStdout = cli({QStringLiteral("osc2csv"), osc, QStringLiteral("--lang"), QStringLiteral("en")});
        QCOMPARE(toStdout.exitCode, 0);
        const QList<QByteArray> lines = toStdout.out.split('\n');
        QVERIFY(lines[0].startsWith("sec;Revolutions;Vacuum;"));
        QCOMPARE(lines.size(), int(samples) + 2);
        QVERIFY(lines[1].startsWith("0") && lines[1].endsWith(";\r"));

        const QString csv = dir.filePath(QStringLiteral("drive.csv"));
        const Run toFile = cli({QStringLiteral("osc2csv"), osc, csv, QStringLiteral("--lang"), QStringLiteral("en")});
        QCOMPARE(toFile.exitCode, 0);
        QFile c(csv);
        QVERIFY(c.open(QIODevice::ReadOnly));
        QCOMPARE(c.readAll(), toStdout.out);
    }

    void refusedFiles()
    {
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.osc"));
        QByteArray bytes(4096 + 128, '\0');
        std::memcpy(bytes.data(), "osc file", 8);
        bytes[8] = 1;
        bytes[9] = 2;
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QString missing = dir.filePath(QStringLiteral("missing.osc"));
        struct Case {
            QStringList args;
            int exitCode;
            QByteArray message;
        };
        const QList<Case> cases = {
            {{QStringLiteral("osc-info"), bad}, 1, "Error code 133"},
            {{QStringLiteral("osc2csv"), bad}, 1, "Error code 133"},
            {{QStringLiteral("osc-info"), missing}, 1, "Error code 132"},
            {{QStringLiteral("osc2csv"), missing, dir.filePath(QStringLiteral("x.csv"))}, 1, "Error code 132"},
            {{QStringLiteral("osc2csv"), bad, QStringLiteral("--lang"), QStringLiteral("xx")}, 2, "--lang"},
            {{QStringLiteral("record"), bad}, 2, "usage"},
        };
        for (const Case& k : cases) {
            const Run r = cli(k.args);
            QCOMPARE(r.exitCode, k.exitCode);
            QVERIFY2(r.err.contains(k.message), r.err.constData());
            QVERIFY(r.out.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("x.csv"))));
    }
};

QTEST_GUILESS_MAIN(TstCliScope)
#include "tst_cli_scope.moc"
