// kavelo --render: a chart view drawn from a settings file without a display, its exit codes and
// errors, and the picture itself (where the curve and the plot are).
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtTest/QtTest>

#include "charts/MultiplierGeometry.h"
#include "link/SettingsFile.h"

namespace {

// A settings file with a pressure scale, three multiplier nodes and learned map cells.
QByteArray learnedInstallation(MemoryImage& mem)
{
    uint8_t* s = mem.settingsBlock();
    for (int l = 0; l < 16; ++l) s[224 + l] = uint8_t(10 + 6 * l);
    s[239] = 100;
    s[190 + 24] = 100;
    s[190 + 25] = 200;
    uint8_t* table = mem.block(MemoryImage::Multiplier1);
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(i <= 100 ? 90 + i / 5 : 110);
    mem.identity[66] = mem.identity[67] = 128;
    for (int r = 0; r < 16; ++r)
        for (int l = 0; l < 16; ++l) mem.maps[MemoryImage::PetrolMap][16 * r + l] = uint8_t(20 + 8 * l + r);
    return SettingsFile::encode(mem);
}

struct Run {
    int code;
    QString err;
};

// The program with no display at all: no DISPLAY, no WAYLAND_DISPLAY, no platform chosen.
Run kavelo(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KAVELO_BIN), args);
    if (!p.waitForFinished(60000)) return {-1, QStringLiteral("no end")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace

class TstChartRender : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString settings_;
    MemoryImage mem_;

private Q_SLOTS:
    void initTestCase()
    {
        settings_ = dir_.filePath(QStringLiteral("car.set"));
        QFile f(settings_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(learnedInstallation(mem_));
    }

    void multiplierChartWithoutADisplay()
    {
        const QString out = dir_.filePath(QStringLiteral("map.png"));
        const Run r =
            kavelo({QStringLiteral("--render"), QStringLiteral("0"), QStringLiteral("--settings"), settings_,
                    QStringLiteral("--out"), out, QStringLiteral("--size"), QStringLiteral("900x500"),
                    QStringLiteral("--theme"), QStringLiteral("5"), QStringLiteral("--lang"), QStringLiteral("pl")});
        QCOMPARE(r.code, 0);
        QImage img(out);
        QCOMPARE(img.size(), QSize(900, 500));
        // Theme 5: black window, dark plot, the dark curve colour.
        ChartLayout::Plot p = ChartLayout::plotFor(900, 500, ChartLayout::kMarginWide);
        QCOMPARE(img.pixelColor(2, 2), QColor(0, 0, 0));
        QCOMPARE(img.pixelColor(p.left + 5, p.bottom - 3), QColor(50, 50, 50));
        const QColor curve(209, 1, 254);
        QCOMPARE(img.pixelColor(MultiplierGeometry::nodeX(p, 100, 200), MultiplierGeometry::nodeY(p, 110, false)),
                 curve);
        QCOMPARE(img.pixelColor(MultiplierGeometry::nodeX(p, 50, 200), MultiplierGeometry::nodeY(p, 100, false)),
                 curve);
        // Petrol points are drawn in red where the mapping puts them.
        int x = 0, y = 0;
        QVERIFY(MultiplierGeometry::mapPoint(p, mem_.maps[0][16 * 15 + 0], mem_.settings[224], 100, 15, 200, x, y));
        QCOMPARE(img.pixelColor(x, y), QColor(255, 0, 0));
    }

    void backgroundOnly()
    {
        const QString out = dir_.filePath(QStringLiteral("none.png"));
        const Run r = kavelo({QStringLiteral("--render"), QStringLiteral("-1"), QStringLiteral("--settings"), settings_,
                              QStringLiteral("--out"), out, QStringLiteral("--theme"), QStringLiteral("5")});
        QCOMPARE(r.code, 0);
        const QImage img(out);
        QCOMPARE(img.size(), QSize(1024, 600));
        for (int y = 0; y < img.height(); y += 9)
            for (int x = 0; x < img.width(); x += 11) QCOMPARE(img.pixelColor(x, y), QColor(0, 0, 0));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString missing = QStringLiteral("/nonexistent/car.set");
        QTest::newRow("file missing") << QStringList{"--render", "0", "--settings", missing, "--out", "OUT"} << 1
                                      << "Error code 122";
        QTest::newRow("not a settings file")
            << QStringList{"--render", "0", "--settings", "GARBAGE", "--out", "OUT"} << 1 << "Error code 123";
        QTest::newRow("cut short") << QStringList{"--render", "0", "--settings", "SHORT", "--out", "OUT"} << 1
                                   << "Error code 123";
        QTest::newRow("picture cannot be written")
            << QStringList{"--render", "0", "--settings", "GOOD", "--out", "/nonexistent/dir/x.png"} << 1
            << "cannot write";
        QTest::newRow("no such view") << QStringList{"--render", "9", "--settings", "GOOD", "--out", "OUT"} << 2
                                      << "no chart view 9";
        QTest::newRow("view not a number")
            << QStringList{"--render", "zero", "--settings", "GOOD", "--out", "OUT"} << 2 << "no chart view";
        QTest::newRow("no settings") << QStringList{"--render", "0", "--out", "OUT"} << 2 << "--settings";
        QTest::newRow("no picture") << QStringList{"--render", "0", "--settings", "GOOD"} << 2 << "--out";
        QTest::newRow("bad size") << QStringList{"--render", "0", "--settings", "GOOD", "--out", "OUT", "--size", "0x5"}
                                  << 2 << "--size";
        QTest::newRow("bad theme") << QStringList{"--render", "0", "--settings", "GOOD", "--out", "OUT", "--theme", "6"}
                                   << 2 << "--theme";
        QTest::newRow("bad language") << QStringList{"--render", "0",   "--settings", "GOOD",
                                                     "--out",    "OUT", "--lang",     "de"}
                                      << 2 << "--lang";
        QTest::newRow("unknown option") << QStringList{"--render", "0", "--colour", "red"} << 2 << "colour";
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        const QString out = dir_.filePath(QStringLiteral("refused.png"));
        QFile garbage(dir_.filePath(QStringLiteral("garbage.set")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, '\x5A'));
        garbage.close();
        QFile shortFile(dir_.filePath(QStringLiteral("short.set")));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        QFile good(settings_);
        QVERIFY(good.open(QIODevice::ReadOnly));
        shortFile.write(good.read(10));
        shortFile.close();
        args.replaceInStrings(QStringLiteral("GARBAGE"), garbage.fileName());
        args.replaceInStrings(QStringLiteral("SHORT"), shortFile.fileName());
        args.replaceInStrings(QStringLiteral("GOOD"), settings_);
        args.replaceInStrings(QStringLiteral("OUT"), out);
        const Run r = kavelo(args);
        QTEST(r.code, "code");
        QFETCH(QString, message);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(TstChartRender)
#include "tst_chart_render.moc"
