// Counts with their nouns: each language's plural rule, and the nouns' forms in the own-text table.
#include <QtTest/QtTest>

#include "base/OwnTexts.h"
#include "base/Plural.h"

class TstPlural : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void counts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<long long>("n");
        QTest::addColumn<QString>("text");
        const struct {
            int language;
            long long n;
            const char* text;
        } kCases[] = {
            {TextTable::English, 0, "0 cells"},          {TextTable::English, 1, "1 cell"},
            {TextTable::English, 2, "2 cells"},          {TextTable::English, 21, "21 cells"},
            {TextTable::Polish, 0, "0 komórek"},         {TextTable::Polish, 1, "1 komórka"},
            {TextTable::Polish, 2, "2 komórki"},         {TextTable::Polish, 4, "4 komórki"},
            {TextTable::Polish, 5, "5 komórek"},         {TextTable::Polish, 11, "11 komórek"},
            {TextTable::Polish, 12, "12 komórek"},       {TextTable::Polish, 14, "14 komórek"},
            {TextTable::Polish, 21, "21 komórek"},       {TextTable::Polish, 22, "22 komórki"},
            {TextTable::Polish, 112, "112 komórek"},     {TextTable::Polish, 124, "124 komórki"},
            {TextTable::Russian, 1, "1 ячейка"},         {TextTable::Russian, 2, "2 ячейки"},
            {TextTable::Russian, 5, "5 ячеек"},          {TextTable::Russian, 11, "11 ячеек"},
            {TextTable::Russian, 13, "13 ячеек"},        {TextTable::Russian, 21, "21 ячейка"},
            {TextTable::Russian, 23, "23 ячейки"},       {TextTable::Russian, 111, "111 ячеек"},
            {TextTable::Spanish, 1, "1 celda"},          {TextTable::Spanish, 0, "0 celdas"},
            {TextTable::Spanish, 3, "3 celdas"},         {TextTable::Polish, -2, "-2 komórki"},
            {TextTable::Polish, 36002, "36002 komórki"},
        };
        for (const auto& c : kCases)
            QTest::addRow("%d: %lld", c.language, c.n) << c.language << c.n << QString::fromUtf8(c.text);
    }
    void counts()
    {
        QFETCH(int, language);
        QFETCH(long long, n);
        QTEST(Plural::count(n, OwnText::NounCell, language), "text");
    }

    // Every noun has its three forms in every language, none empty: a missing form would show a
    // count with the wrong noun or none.
    void nounsHaveTheirForms()
    {
        for (int noun : {OwnText::NounCell, OwnText::NounSample, OwnText::NounNode})
            for (int language : {TextTable::English, TextTable::Polish, TextTable::Russian, TextTable::Spanish}) {
                const QStringList forms = ownTexts().text(noun, language).split(QLatin1Char('|'));
                QCOMPARE(forms.size(), 3);
                for (const QString& f : forms) QVERIFY(!f.trimmed().isEmpty());
            }
        QCOMPARE(Plural::count(3, OwnText::NounSample, TextTable::Polish), QString::fromUtf8("3 próbki"));
        QCOMPARE(Plural::count(1, OwnText::NounNode, TextTable::English), QStringLiteral("1 node"));
    }
};

QTEST_GUILESS_MAIN(TstPlural)
#include "tst_plural.moc"
