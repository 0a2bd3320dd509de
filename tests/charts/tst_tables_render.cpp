// kavelo --render for the correction curves and the table views: each view drawn from a settings
// file without a display, the grids included, with the numbers where the layout puts them.
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtTest/QtTest>

#include <cstring>

#include "charts/CorrectionCurve.h"
#include "charts/GridGeometry.h"
#include "link/SettingsFile.h"

namespace {

constexpr int kW = 900, kH = 560;

// The program with no display at all.
int kavelo(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KAVELO_BIN), args);
    if (!p.waitForFinished(60000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

}  // namespace

class TstTablesRender : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString settings_;

private Q_SLOTS:
    void initTestCase()
    {
        MemoryImage mem;
        for (int k = 0; k < 16; ++k) mem.settings[240 + k] = uint8_t(12 + 6 * k);
        for (int l = 0; l < 16; ++l) mem.settings[224 + l] = uint8_t(10 + 10 * l);
        std::memset(mem.block(MemoryImage::RpmCorrection1), 100, 256);
        mem.block(MemoryImage::RpmCorrection1)[16 * 3 + 5] = 110;
        std::memset(mem.block(MemoryImage::GasInjectionDelay), 30, 256);
        std::memset(mem.block(MemoryImage::Enrichment), 128, 256);
        for (int b : {8, 9, 10}) ReferenceTables::defaultCorrectionCurve(mem.block(b), b);
        settings_ = dir_.filePath(QStringLiteral("car.set"));
        QFile f(settings_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(SettingsFile::encode(mem));
    }

    void everyViewWithoutADisplay_data()
    {
        QTest::addColumn<int>("view");
        for (int v = 1; v <= 7; ++v) QTest::addRow("view %d", v) << v;
    }
    void everyViewWithoutADisplay()
    {
        QFETCH(int, view);
        const QString out = dir_.filePath(QStringLiteral("v%1.png").arg(view));
        QCOMPARE(
            kavelo({QStringLiteral("--render"), QString::number(view), QStringLiteral("--settings"), settings_,
                    QStringLiteral("--out"), out, QStringLiteral("--size"), QStringLiteral("%1x%2").arg(kW).arg(kH)}),
            0);
        const QImage img(out);
        QCOMPARE(img.size(), QSize(kW, kH));
        if (const CorrectionCurve::Axis* a = CorrectionCurve::axisOfView(view)) {
            // The flat default curve in the light theme's curve colour.
            const ChartLayout::Plot p = ChartLayout::plotFor(kW, kH, ChartLayout::kMarginNormal);
            const int x = CorrectionCurve::xToPixel(p, *a, (a->xLo + a->xHi) / 2 + 7);
            QCOMPARE(img.pixelColor(x, CorrectionCurve::yToPixel(p, 128)), QColor(128, 0, 128));
            return;
        }
        // The table grid below (views 1 and 5 show the map grid above it), its cells in their colours:
        // RPM cell 3, load cell 5 holds +10 %.
        const bool two = view == 1 || view == 5;
        const GridGeometry::Layout g = GridGeometry::compute(kW, kH, 0, 0, two);
        auto inside = [&](int top, int column, int row) {
            return img.pixelColor(g.left + column * g.column + 2, top + row * g.row + 2);
        };
        const GridGeometry::Cell c = GridGeometry::cellOfLive(3, 5);
        QCOMPARE(inside(g.tableTop, c.column, c.row), two ? QColor(255, 225, 225) : QColor(255, 255, 255));
        QCOMPARE(inside(g.tableTop, 1, 0), QColor(225, 225, 225));
        if (two) QCOMPARE(inside(g.mapTop, 1, 1), QColor(235, 235, 235));
    }
};

QTEST_GUILESS_MAIN(TstTablesRender)
#include "tst_tables_render.moc"
