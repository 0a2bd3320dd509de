// The multiplier chart after the assistant's own change, in the main window with real key events on
// the offscreen platform: T shows no second push while the maps relearn, the node table's last line
// says how many cells are back, A writes nothing; once the gas map has come back, T proposes again.
#include <QtTest/QtTest>

#include <QtCore/QTemporaryDir>
#include <QtGui/QFontMetrics>

#include <cmath>

#include "base/TextTable.h"
#include "tests/charts/MapPageWindow.h"
#include "tune/TuneApply.h"

namespace {

// The short multiplier with a serial number, which the assistant keeps its record under.
void seed(TSterownik& link)
{
    seedShortMultiplier(link);
    for (int i = 22; i <= 34; ++i) link.mem.identity[size_t(i)] = uint8_t(0x40 + i);
}

}  // namespace

class TstTuneChartRelearn : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void noSecondPushOnTheChart()
    {
        QTemporaryDir documents;
        MapPageWindow w(seed);
        programLanguage() = TextTable::English;  // the window takes the stored language when it is made
        TSterownik& l = w.link();
        l.documentsFolder = documents.path();
        const ChartLayout::Plot& p = w.chart().plot();
        QTest::mouseClick(&w.chart(), Qt::LeftButton, {}, QPoint(p.left + 5, p.top() + 5));
        QVERIFY(w.chart().hasChartFocus());
        l.writeMask = 0;

        w.key(MultiplierView::kProposeKey);
        QVERIFY(w.view().proposal() && w.view().proposal()->changed > 0);
        w.key(MultiplierView::kApplyKey);
        QCOMPARE(l.writeMask & 3, 3u);
        QVERIFY(std::abs(w.table()[80] - 110) <= 1);
        const std::array<uint8_t, 256> applied = [&] {
            std::array<uint8_t, 256> t{};
            std::copy_n(w.table(), 256, t.begin());
            return t;
        }();
        l.writeMask = 0;

        // Nothing relearned yet: the table's last line says so, and A writes nothing.
        w.key(MultiplierView::kProposeKey);
        const MultiplierProposal::Proposal* waiting = w.view().proposal();
        QVERIFY(waiting);
        QVERIFY(!waiting->enough);
        QCOMPARE(waiting->changed, 0);
        const QString line = TuneAssistant::missingText(*waiting);
        QCOMPARE(line, QStringLiteral("Drive first: 0 of 135 cells relearned since the multiplier change (68 needed)"));
        const QRect table = w.view().proposalTableRect();
        QVERIFY(!table.isEmpty());
        QVERIFY(table.width() >= QFontMetrics(w.chart().chartFont()).horizontalAdvance(line));
        w.key(MultiplierView::kApplyKey);
        QCOMPARE(l.writeMask & 3, 0u);
        QVERIFY(std::equal(applied.begin(), applied.end(), w.table()));
        w.key(Qt::Key_Escape);

        // The car drives on the new multiplier: the gas map comes back to the petrol map.
        l.mem.maps[MemoryImage::GasMap] = l.mem.maps[MemoryImage::PetrolMap];
        w.key(MultiplierView::kProposeKey);
        const MultiplierProposal::Proposal* back = w.view().proposal();
        QVERIFY(back && back->enough);
        QVERIFY(!back->relearning.waiting());
        for (const auto& n : back->nodes)
            QVERIFY2(std::abs(n.changePercent()) <= 2, qPrintable(QString::number(n.position)));
    }
};

QTEST_MAIN(TstTuneChartRelearn)
#include "tst_tune_chart_relearn.moc"
