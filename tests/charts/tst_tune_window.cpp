// The tune assistant in the main window connected to the simulated car: the car has driven with a
// multiplier error, the window reads its maps, T shows the proposal on the multiplier chart, A
// writes it to the controller, and as the car drives on the learned maps come together.
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolButton>

#include "charts/MultiplierView.h"
#include "charts/Tgrafika.h"
#include "shell/TabRows.h"
#include "shell/WorkPages.h"
#include "sim/car/CarModel.h"
#include "tests/WindowSimRig.h"
#include "tune/MultiplierEvidence.h"

namespace {

struct CarWindow : WindowSimRig {
    std::unique_ptr<CarModel> car;
    ~CarWindow() { car.reset(); }  // the car goes before the controller it drives
    TGrafika& chart() { return *form.pages()->Grafika1(); }
    MultiplierView& view() { return *static_cast<MultiplierView*>(chart().viewAt(0)); }
    double deviation()
    {
        const auto& m = link().mem.maps;
        return MultiplierEvidence::fromMaps(m[MemoryImage::PetrolMap].data(), m[MemoryImage::GasMap].data(), nullptr,
                                            nullptr, link().mem.block(MemoryImage::Multiplier1))
            .deviation();
    }
    void key(int key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
        QTest::keyClick(target, Qt::Key(key));
    }
};

}  // namespace

class TstTuneWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void proposalAppliedAndTheMapsComeTogether()
    {
        CarWindow w;
        w.car = std::make_unique<CarModel>(w.sim, nullptr);
        w.car->setMultiplierError({{3, 12}, {8, -6}, {14, 15}});
        w.car->setTimeScale(100);
        for (int i = 0; i < 3 * w.car->lapSteps(); ++i) w.car->step();
        w.start(QSize(1000, 700), true);
        // The assistant keeps its record of the change in the documents folder: the test's own.
        w.link().documentsFolder = w.dir.filePath(QStringLiteral("Documents"));
        programLanguage() = TextTable::English;
        QVERIFY(w.settled());
        const double before = w.deviation();
        QVERIFY2(before > 6, qPrintable(QString::number(before)));

        QTest::mouseClick(w.form.tabs()->row1()[2], Qt::LeftButton);
        QVERIFY(w.chart().isVisible());
        QCOMPARE(w.chart().view(), 0);
        const ChartLayout::Plot& p = w.chart().plot();
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, QPoint(p.left + 5, p.top() + 5));
        QVERIFY(w.chart().hasChartFocus());

        w.key(MultiplierView::kProposeKey);
        QVERIFY(w.view().proposal());
        QVERIFY(w.view().proposal()->changed > 0);
        QVERIFY(!w.view().proposalTableRect().isEmpty());
        w.key(MultiplierView::kApplyKey);
        QVERIFY(!w.view().proposal());
        QVERIFY(w.run([&] { return w.link().writeMask == 0; }));
        // The controller has the new curve.
        QVERIFY2(std::abs(w.sim.region(0xE9)[80] - 94) <= 2, qPrintable(QString::number(w.sim.region(0xE9)[80])));

        // Driving on: the learned cells come in with the live frames and the maps come together.
        w.ticks(4000);
        const double after = w.deviation();
        QVERIFY2(after < before / 4, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    }
};

QTEST_MAIN(TstTuneWindow)
#include "tst_tune_window.moc"
