// The service reminder's mark: gas hours, the current hour's seconds and the distance chosen.
#include <QtTest/QtTest>

#include "dialogs/ServiceMark.h"

class TstMenuRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serviceMark_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("mark");
        QTest::newRow("10000 km, more than half an hour") << 120 << 1900 << 9 << 321;
        QTest::newRow("exactly half an hour does not round") << 120 << 1800 << 9 << 320;
        QTest::newRow("new controller, 1000 km") << 0 << 0 << 0 << 20;
        QTest::newRow("25000 km") << 7 << 3599 << 24 << 508;
        QTest::newRow("index below the list") << 5 << 0 << -3 << 25;
        QTest::newRow("index past the list") << 5 << 0 << 40 << 505;
        QTest::newRow("near the counter's end stays in two bytes") << 65400 << 2000 << 9 << 65535;
        QTest::newRow("just fits") << 65335 << 0 << 9 << 65535;
    }
    void serviceMark()
    {
        QFETCH(int, hours);
        QFETCH(int, seconds);
        QFETCH(int, index);
        QFETCH(int, mark);
        QCOMPARE(ServiceMark::mark(hours, seconds, index), mark);
    }
};

QTEST_APPLESS_MAIN(TstMenuRules)
#include "tst_menu_rules.moc"
