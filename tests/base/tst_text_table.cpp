#include <QtCore/QFile>
#include <QtTest/QtTest>

#include "base/TextTable.h"
#include "base/Tools.h"

// The language table: its stored form, its content and the lookup with its fallbacks.
class TestTextTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void lookup_data();
    void lookup();
    void cacheSurvivesReload();
    void storedForm();
    void idsAreTheTopicTable();
    void quotedEnglishTexts();
    void damagedTables_data();
    void damagedTables();

private:
    TextTable table;
};

namespace {

QByteArray stored(const QString& rows, bool bom = true)
{
    QByteArray bytes = bom ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (QChar c : rows) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// The IDs of the table, by topic.
QList<int> topicIds()
{
    const QList<QPair<int, int>> ranges = {
        {1050, 1062}, {1080, 1083}, {1088, 1090}, {1100, 1107}, {1110, 1114}, {1117, 1133}, {1150, 1153}, {1160, 1166},
        {1170, 1173}, {1200, 1205}, {1210, 1218}, {1230, 1234}, {1240, 1252}, {1260, 1276}, {1278, 1282}, {1290, 1298},
        {1300, 1304}, {1330, 1335}, {1340, 1355}, {1360, 1370}, {1372, 1373}, {1375, 1377}, {1380, 1387}, {1400, 1413},
        {1418, 1433}, {1450, 1461}, {1501, 1508}, {1601, 1608}, {1700, 1718}, {1800, 1804}, {1811, 1817}, {1821, 1826},
        {1901, 1908}, {1911, 1915}, {1921, 1928}, {1931, 1934}, {1940, 1940}, {1950, 1950}, {1960, 1960}, {2001, 2023},
        {2100, 2107}, {3010, 3020}, {3030, 3030}, {3040, 3044}, {3050, 3052}, {3080, 3083}, {3090, 3092}, {3100, 3103},
        {3110, 3110}, {3120, 3120}, {3200, 3202}, {3210, 3210}, {3230, 3230}, {3240, 3241}, {3310, 3310}, {3400, 3404},
        {3450, 3450}, {3452, 3455}, {3460, 3460}, {3470, 3471}, {3500, 3500}, {3510, 3510}, {3520, 3520}, {3530, 3530},
        {3540, 3540}, {3550, 3551}, {3560, 3563}, {3570, 3573}, {3580, 3580}, {3590, 3590}, {3600, 3600}, {3610, 3610},
        {3620, 3620}, {3630, 3630}, {3640, 3640}, {3650, 3650}, {3660, 3660}, {3670, 3670}, {3680, 3680}, {3690, 3690},
        {3700, 3700}, {3770, 3770}, {3780, 3780}, {3790, 3790}, {3810, 3813}, {3820, 3820}, {3830, 3830}, {3850, 3850},
        {3860, 3860}, {3900, 3901}, {3960, 3964}, {3980, 3980}, {3990, 3990}, {4030, 4030}, {4040, 4040}, {4050, 4050},
        {4060, 4060}, {4070, 4070}, {4090, 4092}, {4120, 4120}, {4130, 4130}, {4140, 4141},
    };
    QList<int> ids;
    for (const auto& r : ranges)
        for (int id = r.first; id <= r.second; ++id) ids.append(id);
    return ids;
}

}  // namespace

void TestTextTable::initTestCase() { QVERIFY(table.load()); }

void TestTextTable::lookup_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("1418 English cell is empty") << 1418 << 0 << "";
    QTest::newRow("1418 Polish") << 1418 << 1 << "Lambda";
    QTest::newRow("3452 Spanish falls back to English") << 3452 << 3 << "2.2 kOhm";
    QTest::newRow("3562 Russian empty, English empty") << 3562 << 2 << "";
    QTest::newRow("3460 Spanish in Spanish") << 3460 << 3 << "Sensor temp. gas";
    QTest::newRow("1450 single text, English") << 1450 << 0 << "Fuel sys 1";
    QTest::newRow("1450 single text, Russian") << 1450 << 2 << "Fuel sys 1";
    QTest::newRow("1460 single text, Spanish") << 1460 << 3 << "LONG FT 2";
    QTest::newRow("1296 trailing blank trimmed") << 1296 << 0 << "Calculated correction:";
    QTest::newRow("1240 English") << 1240 << 0 << "NO CONNECTION";
    QTest::newRow("1719 not in the table") << 1719 << 0 << "";
    QTest::newRow("500 below the table") << 500 << 1 << "";
    QTest::newRow("language index 4") << 1240 << 4 << "";
    QTest::newRow("language index -1") << 1240 << -1 << "";
    QTest::newRow("id 0") << 0 << 0 << "";
    QTest::newRow("-33 fixed") << -33 << 3 << " kor. obr.";
    QTest::newRow("-30 fixed") << -30 << 0 << " t. ster.";
    QTest::newRow("-39 fixed") << -39 << 1 << " test";
    QTest::newRow("-29 not fixed") << -29 << 0 << "";
    QTest::newRow("-40 not fixed") << -40 << 0 << "";
}

void TestTextTable::lookup()
{
    QFETCH(int, id);
    QFETCH(int, language);
    QFETCH(QString, text);
    QCOMPARE(table.text(id, language), text);
}

void TestTextTable::cacheSurvivesReload()
{
    TextTable t;
    QVERIFY(t.load());
    const QString before = t.text(4141, 2);
    QVERIFY(!before.isEmpty());
    QVERIFY(t.load());
    QCOMPARE(t.text(4141, 2), before);
    // A different table in memory: the cached row index is checked, not trusted.
    QVERIFY(t.loadStored(stored(QStringLiteral("4141\tp\te\tr\ts\r\n"))));
    QCOMPARE(t.text(4141, 3), QStringLiteral("s"));
    QCOMPARE(t.text(1050, 0), QString());
}

void TestTextTable::storedForm()
{
    const QByteArray bytes = ResourceBytes(kResourceLanguageTable);
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    QCOMPARE(bytes.size() % 2, 0);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    const QStringList rows = text.split(QStringLiteral("\r\n"));
    QCOMPARE(rows.last(), QString());
    for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
        const QString& row = rows[i];
        QVERIFY2(!row.contains(QLatin1Char('\n')) && !row.contains(QLatin1Char('\r')), qPrintable(row));
        const int id = row.left(4).toInt();
        const int tabs = static_cast<int>(row.count(QLatin1Char('\t')));
        QCOMPARE(tabs, id >= 1450 && id <= 1461 ? 1 : 4);
    }
}

void TestTextTable::idsAreTheTopicTable()
{
    QList<int> ids;
    for (const QString& row : table.rows) {
        QCOMPARE(row.at(4), QLatin1Char('\t'));
        ids.append(row.left(4).toInt());
    }
    QCOMPARE(ids, topicIds());
    QCOMPARE(ids.size(), 448);
}

void TestTextTable::quotedEnglishTexts()
{
    QFile file(QFINDTESTDATA("quoted_english.tsv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    int checked = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        const int tab = static_cast<int>(line.indexOf(QLatin1Char('\t')));
        const int id = line.left(tab).toInt();
        const QString quoted = line.mid(tab + 1);
        QCOMPARE(table.text(id, 0), quoted.trimmed());
        // Stored blanks stay in the cell; only the lookup trims them.
        const QString row = table.rows[topicIds().indexOf(id)];
        QCOMPARE(row.section(QLatin1Char('\t'), 2, 2), quoted);
        ++checked;
    }
    QVERIFY(checked > 300);
}

void TestTextTable::damagedTables_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    const QString good = QStringLiteral("1050\t[V]\t[V]\t[В]\t[V]\r\n1080\tTak\tYes\tДа\tSí\r\n");
    QTest::newRow("intact") << stored(good) << 1080 << 3 << "Sí";
    QByteArray truncated = stored(good);
    truncated.chop(9);  // mid-row and half a character
    QTest::newRow("truncated: the cut row") << truncated << 1080 << 1 << "Tak";
    QTest::newRow("truncated: the lost cell") << truncated << 1080 << 3 << "Yes";
    QTest::newRow("no byte-order mark") << stored(good, false) << 1080 << 0 << "";
    QTest::newRow("row without TABs") << stored(QStringLiteral("1100 Device\r\n")) << 1100 << 2 << "Device";
    QTest::newRow("row stops after English")
        << stored(QStringLiteral("1100\tUrz\tDevice\r\n")) << 1100 << 3 << "Device";
    QTest::newRow("non-digit ID") << stored(QStringLiteral("10x0\ta\tb\tc\td\r\n1090\tB\tE\tR\tS\r\n")) << 1090 << 2
                                  << "R";
    QTest::newRow("row shorter than an ID") << stored(QStringLiteral("10\r\n1090")) << 1090 << 0 << "";
    QTest::newRow("empty") << QByteArray() << 1050 << 0 << "";
    QTest::newRow("only a mark") << QByteArray("\xFF\xFE", 2) << 1050 << 0 << "";
    QTest::newRow("odd byte") << QByteArray("\xFF\xFE\x31", 3) << 1050 << 0 << "";
}

void TestTextTable::damagedTables()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, id);
    QFETCH(int, language);
    QFETCH(QString, text);
    TextTable t;
    t.loadStored(bytes);
    QCOMPARE(t.text(id, language), text);
}

QTEST_GUILESS_MAIN(TestTextTable)
#include "tst_text_table.moc"
