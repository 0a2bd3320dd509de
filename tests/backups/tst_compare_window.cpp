// The compare window over a real memory image and a settings file's image: the lists, the heat
// map, and "Take from file" copying one setting and one region and raising their writes.
#include <QtTest/QtTest>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTreeWidget>

#include "base/TextTable.h"
#include "dialogs/CompareWindow.h"
#include "dialogs/DiffHeatMap.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"

class TstCompareWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    void takeOneSettingAndOneRegion()
    {
        // A link on the in-memory line, so that writes are raised as on a connected controller.
        TSterownik link;
        link.timer()->stop();
        link.setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link.PortOpen(1));
        MemoryImage file = link.mem;
        file.settings[3] = 77;
        file.settings[5] = 9;
        file.maps[MemoryImage::GasMap][20] = 33;
        file.block(MemoryImage::Multiplier1)[40] = 120;
        file.settings[MemoryImage::kNodesBank1 + 1] = 40;

        CompareWindow form(nullptr, link, file, QStringLiteral("old.set"), ThemePalette{});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Two settings under their page headers, two regions.
        int settings = 0;
        QTreeWidgetItem* rpmSignal = nullptr;
        for (int i = 0; i < form.ListSettings->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = form.ListSettings->topLevelItem(i);
            if (it->flags() & Qt::ItemIsSelectable) ++settings;
            if (it->text(0) == QLatin1String("RPM signal")) rpmSignal = it;
        }
        QCOMPARE(settings, 3);  // 3, 5 and the node slot
        QVERIFY(rpmSignal);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 2);

        // Select the setting with a real click and take it.
        link.writeMask = 0;
        QTest::mouseClick(form.ListSettings->viewport(), Qt::LeftButton, {},
                          form.ListSettings->visualItemRect(rpmSignal).center());
        QVERIFY(rpmSignal->isSelected());
        QTest::mouseClick(form.BtnTake, Qt::LeftButton);
        QCOMPARE(int(link.mem.settings[3]), 77);
        QCOMPARE(int(link.mem.settings[5]), 0);  // the other setting stays
        QCOMPARE(link.writeMask & 0x1, 0x1u);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 2);

        // The multiplier region brings its nodes along; the gas map stays different.
        QTreeWidgetItem* multiplier = form.ListRegions->topLevelItem(0);
        QCOMPARE(multiplier->text(0), QStringLiteral("Multiplier bank 1"));
        QTest::mouseClick(form.ListRegions->viewport(), Qt::LeftButton, {},
                          form.ListRegions->visualItemRect(multiplier).center());
        QTest::mouseClick(form.BtnTake, Qt::LeftButton);
        QCOMPARE(int(link.mem.block(MemoryImage::Multiplier1)[40]), 120);
        QCOMPARE(int(link.mem.settings[MemoryImage::kNodesBank1 + 1]), 40);
        QCOMPARE(link.writeMask & 0x3, 0x3u);
        QCOMPARE(form.ListRegions->topLevelItemCount(), 1);
        QCOMPARE(int(link.mem.maps[MemoryImage::GasMap][20]), 0);
    }

    void heatMapColours_data()
    {
        QTest::addColumn<double>("d");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("no difference") << 0.0 << QColor(Qt::white);
        QTest::newRow("largest above") << 2.0 << QColor(230, 40, 40);
        QTest::newRow("largest below") << -2.0 << QColor(40, 80, 230);
        QTest::newRow("small above, faint") << 0.1 << QColor(248, 193, 193);
    }
    void heatMapColours()
    {
        QFETCH(double, d);
        QFETCH(QColor, colour);
        QCOMPARE(DiffHeatMap::cellColour(d, 2.0, Qt::white), colour);
    }
};

QTEST_MAIN(TstCompareWindow)
#include "tst_compare_window.moc"
