// Evidence learned under the multiplier in force: after a change, the cells whose gas value is still
// the one from before it are left out, nothing is proposed until half of them are relearned, a
// change made elsewhere is noticed, and the record of the change survives on disk between runs.
#include <QtTest/QtTest>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>

#include <array>
#include <cmath>

#include "base/OwnTexts.h"
#include "base/TextTable.h"
#include "link/MemoryImage.h"
#include "tune/MultiplierChange.h"
#include "tune/MultiplierChangeFile.h"
#include "tune/TuneApply.h"

using namespace MultiplierChange;

namespace {

// Eight cells learned on both fuels at 2.0..9.0 ms, the gas map 10 % right of the petrol map: the
// multiplier (flat 1.00) is 10 % short. The change sets a flat 1.10.
Learned learnedBefore()
{
    Learned l;
    for (int k = 0; k < 8; ++k) {
        const int p = 20 + 10 * k;
        l.petrol[size_t(0x30 + k)] = uint8_t(p);
        l.gas[size_t(0x30 + k)] = uint8_t(std::lround(p * 1.10));
    }
    return l;
}

Multiplier flat(int value)
{
    Multiplier m;
    m.table.fill(uint8_t(value));
    m.nodes[25] = 200;
    return m;
}

// The first `n` cells driven again on the new multiplier: the gas map comes back to the petrol map.
Learned relearn(Learned l, int n)
{
    for (int k = 0; k < n; ++k) l.gas[size_t(0x30 + k)] = l.petrol[size_t(0x30 + k)];
    return l;
}

int gasCells(const Learned& l)
{
    int n = 0;
    for (uint8_t g : l.gas) n += g != 0;
    return n;
}

}  // namespace

Q_DECLARE_METATYPE(MultiplierChange::Stored)
Q_DECLARE_METATYPE(MultiplierChange::State)

class TstMultiplierChange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(programTexts().load());
        programLanguage() = TextTable::English;
    }

    // The rule over one change from 1.00 to 1.10 (or a foreign one to 1.20), the maps as learned since.
    void status_data()
    {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<int>("inForce");    // the flat multiplier the controller has now
        QTest::addColumn<int>("relearned");  // cells driven again since the change
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("counted");  // relearned cells reported
        QTest::addColumn<int>("stale");
        QTest::addColumn<int>("usable");  // gas cells left for the evidence
        QTest::addColumn<bool>("saves");  // a new record is kept
        QTest::newRow("no record: the maps count") << Stored::None << 100 << 0 << State::Counts << 0 << 0 << 8 << true;
        QTest::newRow("right after the change") << Stored::Ok << 110 << 0 << State::Relearning << 0 << 8 << 0 << false;
        QTest::newRow("3 of 8 relearned") << Stored::Ok << 110 << 3 << State::Relearning << 3 << 8 << 3 << false;
        QTest::newRow("half relearned: counts") << Stored::Ok << 110 << 4 << State::Counts << 4 << 8 << 4 << false;
        QTest::newRow("all relearned") << Stored::Ok << 110 << 8 << State::Counts << 8 << 8 << 8 << false;
        QTest::newRow("changed elsewhere") << Stored::Ok << 120 << 3 << State::Unknown << 0 << 8 << 0 << true;
        QTest::newRow("record unreadable") << Stored::Unreadable << 110 << 3 << State::Unknown << 0 << 8 << 0 << true;
    }
    void status()
    {
        QFETCH(Stored, stored);
        QFETCH(int, inForce);
        QFETCH(int, relearned);
        QFETCH(State, state);
        QFETCH(int, counted);
        QFETCH(int, stale);
        QFETCH(int, usable);
        QFETCH(bool, saves);
        const Record record = changed(flat(100).table, flat(110), learnedBefore());
        const Learned now = relearn(learnedBefore(), relearned);
        const Check c = check(stored, record, flat(inForce), now);
        QCOMPARE(c.status.state, state);
        QCOMPARE(c.status.relearned, counted);
        QCOMPARE(c.status.stale, stale);
        QCOMPARE(c.status.needed, (stale + 1) / 2);
        QCOMPARE(gasCells(c.usable), usable);
        QCOMPARE(c.usable.petrol, now.petrol);
        QCOMPARE(bool(c.save), saves);
        if (!c.save) return;
        // A new record starts from the maps as they are now, under the multiplier in force.
        QVERIFY(c.save->since == flat(inForce));
        QCOMPARE(c.save->at.gas, now.gas);
        // A change found elsewhere is measured against the multiplier recorded before it.
        if (stored == Stored::Ok) QCOMPARE(c.save->before, flat(110).table);
        QCOMPARE(c.save->beforeKnown, stored != Stored::Unreadable);
        // Once the record is kept, the next look counts from it.
        const Check next = check(Stored::Ok, *c.save, flat(inForce), relearn(now, 8));
        QCOMPARE(next.status.state, State::Counts);
    }

    // A change too small to show in the map (half a step at the cell's time) leaves the cell's
    // evidence standing; where it moves the multiplier, the cell is stale. The OBD trim on gas goes
    // with a stale cell unless it changed too.
    void onlyMovedCellsAreStale()
    {
        Learned maps;
        maps.petrol[1] = 20;
        maps.gas[1] = 22;  // 2.2 ms: 1 % there is 0.2 of a step
        maps.petrol[2] = 100;
        maps.gas[2] = 110;  // 11 ms: 1 % there is 1.1 steps
        maps.obdGas[1] = maps.obdGas[2] = 150;
        const Multiplier after = flat(101);
        const Record r = changed(flat(100).table, after, maps);
        QVERIFY(!moves(r, 22));
        QVERIFY(moves(r, 110));
        Check c = check(Stored::Ok, r, after, maps);
        QCOMPARE(c.status.stale, 1);
        QCOMPARE(int(c.usable.gas[1]), 22);
        QCOMPARE(int(c.usable.gas[2]), 0);
        QCOMPARE(int(c.usable.obdGas[1]), 150);
        QCOMPARE(int(c.usable.obdGas[2]), 0);
        // Relearned with a trim that did not move: the time counts, the trim does not.
        maps.gas[2] = 109;
        c = check(Stored::Ok, r, after, maps);
        QCOMPARE(int(c.usable.gas[2]), 109);
        QCOMPARE(int(c.usable.obdGas[2]), 0);
        QCOMPARE(c.status.relearned, 1);
        QVERIFY(!c.status.waiting());
    }

    // The record on disk: back as it was saved; missing, cut short, foreign or in a folder's place it
    // reads as none or unreadable, and a save onto a folder fails without touching it.
    void recordOnDisk()
    {
        QTemporaryDir dir;
        const QString root = MultiplierChangeFile::rootFolder(dir.path());
        QVERIFY(MultiplierChangeFile::rootFolder(QString()).isEmpty());
        const QString serial = QStringLiteral("4B563230323430333037303031");
        Record r = changed(flat(100).table, flat(112), learnedBefore());
        r.at.obdGas[7] = 131;
        r.since.nodes[3] = 45;
        Record back;
        QCOMPARE(MultiplierChangeFile::load(root, serial, back), Stored::None);
        QVERIFY(MultiplierChangeFile::save(root, serial, r));
        QCOMPARE(MultiplierChangeFile::load(root, serial, back), Stored::Ok);
        QVERIFY(back.since == r.since);
        QCOMPARE(back.before, r.before);
        QCOMPARE(back.at.gas, r.at.gas);
        QCOMPARE(back.at.obdGas, r.at.obdGas);
        QCOMPARE(back.beforeKnown, true);

        const QByteArray whole = encode(r);
        QVERIFY(decode(whole, back));
        for (const QByteArray& bad : {whole.left(whole.size() - 1), whole + 'x', QByteArray("KVMC"), QByteArray(),
                                      QByteArray("XXXX") + whole.mid(4), whole.left(4) + '\x09' + whole.mid(5)}) {
            QFile f(MultiplierChangeFile::pathOf(root, serial));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bad);
            f.close();
            QCOMPARE(MultiplierChangeFile::load(root, serial, back), Stored::Unreadable);
        }
        const QString other = QStringLiteral("0102030405060708090A0B0C0D");
        QVERIFY(QDir().mkpath(MultiplierChangeFile::pathOf(root, other)));
        QCOMPARE(MultiplierChangeFile::load(root, other, back), Stored::Unreadable);
        QVERIFY(!MultiplierChangeFile::save(root, other, r));
        QVERIFY(QFileInfo(MultiplierChangeFile::pathOf(root, other)).isDir());
    }

    // Through the image as the command line and the chart use it: the first look proposes and starts
    // the record; after an apply nothing is proposed and the line says how many cells are back; once
    // half are, the proposal stands on the relearned cells only and pushes no further.
    void proposalWaitsForRelearning()
    {
        QTemporaryDir dir;
        const QString root = MultiplierChangeFile::rootFolder(dir.path());
        MemoryImage mem;
        mem.timeAxisMax = 200;
        for (int i = 22; i <= 34; ++i) mem.identity[size_t(i)] = uint8_t(i);
        uint8_t* table = mem.block(MemoryImage::Multiplier1);
        std::fill(table, table + 256, uint8_t(100));
        mem.settingsBlock()[MemoryImage::kNodesBank1 + 25] = 200;
        // 24 cells, 2.0..13.5 ms, 13 % short of gas.
        auto& petrol = mem.maps[MemoryImage::PetrolMap];
        auto& gas = mem.maps[MemoryImage::GasMap];
        for (int k = 0; k < 24; ++k) {
            petrol[size_t(0x20 + k)] = uint8_t(20 + 5 * k);
            gas[size_t(0x20 + k)] = uint8_t(std::lround((20 + 5 * k) * 1.13));
        }
        bool kept = false;
        const MultiplierProposal::Proposal first = TuneAssistant::forController(mem, root, kept);
        QVERIFY(kept);
        QVERIFY(first.enough && first.changed > 0);
        QVERIFY(!first.relearning.waiting());

        // The apply: the table the proposal made, the record of the change.
        std::array<uint8_t, 256> before{};
        std::copy_n(table, 256, before.begin());
        std::copy(first.table.begin(), first.table.end(), table);
        QVERIFY(TuneAssistant::recordChange(root, mem, before));

        const MultiplierProposal::Proposal again = TuneAssistant::forController(mem, root, kept);
        QVERIFY(!again.enough);
        QCOMPARE(again.changed, 0);
        QCOMPARE(again.after, again.before);
        QCOMPARE(again.table, first.table);
        for (const auto& n : again.nodes) QVERIFY(n.thin && n.proposed == n.present && !n.added);
        QCOMPARE(TuneAssistant::missingText(again),
                 QStringLiteral("Drive first: 0 of 24 cells relearned since the multiplier change (12 needed)"));

        // Relearned on the new table: 11 cells are not enough, 12 are; the other 12 still hold the
        // old error and take no part.
        for (int k = 0; k < 11; ++k) gas[size_t(0x20 + 2 * k)] = petrol[size_t(0x20 + 2 * k)];
        QCOMPARE(TuneAssistant::missingText(TuneAssistant::forController(mem, root, kept)),
                 QStringLiteral("Drive first: 11 of 24 cells relearned since the multiplier change (12 needed)"));
        gas[size_t(0x20 + 22)] = petrol[size_t(0x20 + 22)];
        const MultiplierProposal::Proposal settled = TuneAssistant::forController(mem, root, kept);
        QVERIFY(!settled.relearning.waiting());
        QVERIFY(settled.enough);
        QCOMPARE(settled.before, 0.0);
        for (const auto& n : settled.nodes)
            QVERIFY2(std::abs(n.changePercent()) <= 2, qPrintable(QString::number(n.position)));

        // Someone else changes the multiplier: the assistant says so once, and counts from there.
        std::fill(table, table + 256, uint8_t(105));
        const QString elsewhere = TuneAssistant::missingText(TuneAssistant::forController(mem, root, kept));
        QVERIFY2(elsewhere.startsWith(QStringLiteral("The multiplier was changed outside the assistant; ")),
                 qPrintable(elsewhere));
        QVERIFY2(elsewhere.endsWith(QStringLiteral("Drive first: 0 of 24 cells relearned since the multiplier change "
                                                   "(12 needed)")),
                 qPrintable(elsewhere));
        QVERIFY(
            TuneAssistant::missingText(TuneAssistant::forController(mem, root, kept)).startsWith("Drive first: 0 of"));

        // No folder or no serial: nothing is kept and the maps count as they are.
        QVERIFY(TuneAssistant::forController(mem, QString(), kept).enough);
        mem.identity.fill(0);
        QVERIFY(TuneAssistant::forController(mem, root, kept).enough);
        QVERIFY(kept);
    }

    // The line in each language, the noun after "of N" in its form.
    void relearningLine_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("stale");
        QTest::addColumn<QString>("expected");
        const int en = TextTable::English, pl = TextTable::Polish, ru = TextTable::Russian, es = TextTable::Spanish;
        QTest::newRow("en 1") << en << 1 << "Drive first: 0 of 1 cell relearned since the multiplier change (1 needed)";
        QTest::newRow("en 21") << en << 21
                               << "Drive first: 0 of 21 cells relearned since the multiplier change (11 needed)";
        QTest::newRow("pl 1") << pl << 1
                              << "Najpierw jedź: od zmiany mnożnika nauczono na nowo 0 z 1 komórki (potrzeba 1)";
        QTest::newRow("pl 22") << pl << 22
                               << "Najpierw jedź: od zmiany mnożnika nauczono na nowo 0 z 22 komórek (potrzeba 11)";
        QTest::newRow("ru 1") << ru << 1
                              << "Сначала поездите: после изменения множителя заново изучено 0 из 1 ячейки (нужно 1)";
        QTest::newRow("ru 21")
            << ru << 21 << "Сначала поездите: после изменения множителя заново изучено 0 из 21 ячейки (нужно 11)";
        QTest::newRow("ru 11") << ru << 11
                               << "Сначала поездите: после изменения множителя заново изучено 0 из 11 ячеек (нужно 6)";
        QTest::newRow("ru 24") << ru << 24
                               << "Сначала поездите: после изменения множителя заново изучено 0 из 24 ячеек (нужно 12)";
        QTest::newRow("es 1") << es << 1
                              << "Conduzca primero: 0 de 1 celda aprendida de nuevo desde el cambio del multiplicador "
                                 "(mínimo 1)";
        QTest::newRow("es 5") << es << 5
                              << "Conduzca primero: 0 de 5 celdas aprendidas de nuevo desde el cambio del "
                                 "multiplicador (mínimo 3)";
    }
    void relearningLine()
    {
        QFETCH(int, language);
        QFETCH(int, stale);
        QFETCH(QString, expected);
        Status s;
        s.state = State::Relearning;
        s.stale = stale;
        s.needed = (stale + 1) / 2;
        programLanguage() = language;
        const QString line = TuneAssistant::relearningText(s);
        s.state = State::Unknown;
        const QString elsewhere = TuneAssistant::relearningText(s);
        programLanguage() = TextTable::English;
        QCOMPARE(line, expected);
        QVERIFY(elsewhere.endsWith(QLatin1Char(' ') + expected));
        QVERIFY(elsewhere.size() > expected.size() + 20);
    }
};

QTEST_GUILESS_MAIN(TstMultiplierChange)
#include "tst_multiplier_change.moc"
