// The tune assistant's pure parts over small hand-made maps and recordings: a known multiplier
// error comes back, thin evidence gives no proposal, the limits and the cap per pass hold, and the
// proposal applied through the link is the table it promised.
#include <QtTest/QtTest>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "base/TextTable.h"
#include "link/LoopbackBackend.h"
#include "link/Tsterownik.h"
#include "tune/MultiplierEvidence.h"
#include "tune/MultiplierProposal.h"
#include "tune/TuneApply.h"

namespace {

using Map = std::array<uint8_t, 256>;
using ErrorPoints = std::vector<std::pair<double, double>>;

// A car whose installation needs `error(t)` percent more multiplier at petrol time t (ms) than the
// flat 1.00 it has: on gas its computer injects that much longer, so the gas map lies right of the
// petrol map by the error. Cells: RPM cells 2..10, load cells 0..14, petrol time 1.8..15.2 ms.
struct Fixture {
    Map petrol{}, gas{}, table{}, slots{};
    std::function<double(double)> error = [](double) { return 0.0; };

    Fixture() { table.fill(100); }
    Fixture& learn(int rpmFrom = 2, int rpmTo = 10, int loadFrom = 0, int loadTo = 14)
    {
        for (int r = rpmFrom; r <= rpmTo; ++r)
            for (int l = loadFrom; l <= loadTo; ++l) {
                const int p = 18 + 9 * l + (r - 2);
                petrol[size_t(16 * r + l)] = uint8_t(p);
                gas[size_t(16 * r + l)] = uint8_t(std::lround(p * (1 + error(p / 10.0) / 100)));
            }
        return *this;
    }
    MultiplierEvidence::Evidence evidence() const
    {
        return MultiplierEvidence::fromMaps(petrol.data(), gas.data(), nullptr, nullptr, table.data());
    }
    MultiplierProposal::Proposal propose(MultiplierProposal::Limits limits = {}) const
    {
        Map s = slots;
        s[25] = uint8_t(limits.max);
        return MultiplierProposal::propose(evidence(), s.data(), table.data(), petrol.data(), limits);
    }
};

// Linear between the points, flat beyond: the form the installation's error takes.
std::function<double(double)> piecewise(ErrorPoints points)
{
    return [points](double t) {
        if (t <= points.front().first) return points.front().second;
        for (size_t i = 1; i < points.size(); ++i)
            if (t <= points[i].first) {
                const auto [t0, p0] = points[i - 1];
                const auto [t1, p1] = points[i];
                return p0 + (p1 - p0) * (t - t0) / (t1 - t0);
            }
        return points.back().second;
    };
}

}  // namespace

class TstTune : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The estimate per petrol time gives the error back, and the proposal's table follows it at the
    // learned times; the deviation expected afterwards is a fraction of the one now.
    void initTestCase() { programLanguage() = TextTable::English; }

    void knownErrorComesBack_data()
    {
        QTest::addColumn<ErrorPoints>("error");
        QTest::addColumn<double>("tolerance");  // percent, the maps hold 0.1 ms
        QTest::newRow("flat +8 %") << ErrorPoints{{0, 8}} << 1.5;
        QTest::newRow("flat -10 %") << ErrorPoints{{0, -10}} << 1.5;
        QTest::newRow("bent") << ErrorPoints{{3, 12}, {8, -6}, {14, 15}} << 2.5;
    }
    void knownErrorComesBack()
    {
        QFETCH(ErrorPoints, error);
        QFETCH(double, tolerance);
        Fixture f;
        f.error = piecewise(error);
        f.learn();

        for (const auto& r : MultiplierEvidence::byPetrolTime(f.evidence(), 10, 200)) {
            if (r.cells < 4 || r.from < 30) continue;  // below 3 ms one tenth is several percent
            const double mid = f.error((r.from + r.to) / 20.0);
            QVERIFY2(std::abs(r.offPercent - mid) < tolerance + 1,
                     qPrintable(QStringLiteral("%1 ms: %2 % for %3 %").arg(r.from / 10.0).arg(r.offPercent).arg(mid)));
            QCOMPARE(r.samples, 2 * r.cells);
        }

        const MultiplierProposal::Proposal p = f.propose();
        QVERIFY(p.enough);
        QVERIFY(p.changed > 0);
        QVERIFY2(p.after < p.before / 4, qPrintable(QStringLiteral("%1 -> %2").arg(p.before).arg(p.after)));
        for (int t = 25; t <= 150; t += 5) {
            const double wanted = 100 * (1 + f.error(t / 10.0) / 100);
            QVERIFY2(std::abs(p.table[size_t(t)] - wanted) <= tolerance + 1,
                     qPrintable(QStringLiteral("%1 ms: %2 for %3").arg(t / 10.0).arg(p.table[size_t(t)]).arg(wanted)));
        }
        // Nodes come in order; the start and end nodes stay where they are.
        QCOMPARE(p.nodes.front().position, 0);
        QCOMPARE(p.nodes.back().position, 200);
        for (size_t i = 1; i < p.nodes.size(); ++i) QVERIFY(p.nodes[i].position > p.nodes[i - 1].position);
    }

    // With no multiplier error there is nothing to change: no node moves more than 2 %, and a
    // straight error needs no new node.
    void noErrorNoChange()
    {
        Fixture f;
        f.learn();
        const MultiplierProposal::Proposal p = f.propose();
        QVERIFY(p.enough);
        for (const auto& n : p.nodes) QVERIFY(std::abs(n.changePercent()) <= 2);
        QCOMPARE(p.before, 0.0);

        Fixture flat;
        flat.error = [](double) { return 6.0; };
        flat.learn();
        for (const auto& n : flat.propose().nodes) QVERIFY(!n.added);
    }

    // Too few cells: no proposal at all, and the message names the petrol times to drive at. Cells
    // in one range only: the nodes far from them keep their values and say so.
    void thinEvidence()
    {
        Fixture few;
        few.error = [](double) { return 10.0; };
        few.learn(2, 2, 0, 3);  // four cells, 1.8..4.5 ms
        const MultiplierProposal::Proposal none = few.propose();
        QVERIFY(!none.enough);
        QCOMPARE(none.changed, 0);
        QCOMPARE(none.after, none.before);
        for (const auto& n : none.nodes) QCOMPARE(n.proposed, n.present);
        QVERIFY(!none.missing.empty());
        QVERIFY(MultiplierProposal::missingRanges(few.evidence(), nullptr).back().second >= 150);

        Fixture low;
        low.error = [](double) { return 10.0; };
        low.slots[23] = 50;
        low.slots[24] = 120;
        low.learn(2, 10, 0, 2);  // 1.8..4.4 ms only
        const MultiplierProposal::Proposal p = low.propose();
        QVERIFY(p.enough);
        bool sawThin = false;
        for (const auto& n : p.nodes) {
            if (n.position == 120) {
                QVERIFY(n.thin);
                QCOMPARE(n.proposed, n.present);
                QCOMPARE(TuneAssistant::evidenceText(n), QStringLiteral("too little evidence"));
                sawThin = true;
            }
            if (n.position == 50) QVERIFY(!n.thin);
        }
        QVERIFY(sawThin);
    }

    // A change never goes past 15 % of the present value in one pass, nor past the scale's limits.
    void limitsAndCap_data()
    {
        QTest::addColumn<double>("error");
        QTest::addColumn<int>("present");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("expected");
        QTest::newRow("+40 %, cut to +15 %") << 40.0 << 100 << 50 << 150 << 115;
        QTest::newRow("-30 %, cut to -15 %") << -30.0 << 100 << 50 << 150 << 85;
        QTest::newRow("+10 % at 1.45, cut to 1.50") << 10.0 << 145 << 50 << 150 << 150;
        QTest::newRow("wide scale, -12 % at 0.60") << -12.0 << 60 << 1 << 250 << 53;
    }
    void limitsAndCap()
    {
        QFETCH(double, error);
        QFETCH(int, present);
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(int, expected);
        Fixture f;
        f.table.fill(uint8_t(present));
        f.error = [error](double) { return error; };
        f.learn();
        MultiplierProposal::Limits limits;
        limits.lower = lower;
        limits.upper = upper;
        const MultiplierProposal::Proposal p = f.propose(limits);
        QVERIFY(p.enough);
        for (const auto& n : p.nodes) {
            QVERIFY(n.proposed >= lower && n.proposed <= upper);
            QVERIFY2(std::abs(n.proposed - n.present) <= std::floor(n.present * 0.15) + 1e-9,
                     qPrintable(QStringLiteral("%1: %2 -> %3").arg(n.position).arg(n.present).arg(n.proposed)));
        }
        // A flat error on a flat curve: every node with a proposal gets the value the cut allows.
        for (const auto& n : p.nodes)
            if (!n.thin) QCOMPARE(n.proposed, expected);
        QCOMPARE(int(p.table[80]), expected);
    }

    // The fuel trims learned on gas against those on petrol count beside the time maps: where they
    // say the same, the cell counts them as evidence; where the times say nothing (equal), the trims
    // still move the estimate.
    void trimsAddEvidence()
    {
        Map petrol{}, gas{}, obdPetrol{}, obdGas{}, table{};
        table.fill(100);
        petrol[0x35] = 50;
        gas[0x35] = 55;         // +10 %
        obdPetrol[0x35] = 128;  // 0 %
        obdGas[0x35] = 141;     // +10.2 %
        petrol[0x36] = 60;
        gas[0x36] = 60;
        obdPetrol[0x36] = 0;  // not learned: the times alone
        obdGas[0x36] = 141;
        const auto e =
            MultiplierEvidence::fromMaps(petrol.data(), gas.data(), obdPetrol.data(), obdGas.data(), table.data());
        QCOMPARE(int(e.cells.size()), 2);
        QCOMPARE(e.cells[0].samples, 4);
        QVERIFY(std::abs(e.cells[0].factor - 1.10) < 0.01);
        QCOMPARE(e.cells[1].samples, 2);
        QCOMPARE(e.cells[1].factor, 1.0);
        // The present multiplier counts: at 1.10 where the gas time lands, the need is 1.10 x 1.10.
        table.fill(110);
        const auto scaled = MultiplierEvidence::fromMaps(petrol.data(), gas.data(), nullptr, nullptr, table.data());
        QVERIFY(std::abs(scaled.cells[0].needed - 121) < 0.01);
        QVERIFY(std::abs(scaled.cells[0].factor - 1.10) < 0.01);
    }

    // A recording: samples on petrol and on gas in the same cells, binned; switching, mixed and
    // stopped samples do not count; a short or empty sample buffer reads nothing.
    void fromRecording()
    {
        std::vector<uint8_t> samples;
        auto add = [&](int state, int rpmCell, int loadCell, int time4us, int stft, bool turning = true) {
            std::array<uint8_t, 128> s{};
            s[10] = uint8_t(state);
            s[11] = turning ? 0x03 : 0x01;
            s[15] = uint8_t(rpmCell);
            s[16] = uint8_t(loadCell);
            s[60] = uint8_t(time4us & 0xFF);
            s[61] = uint8_t(time4us >> 8);
            s[99] = uint8_t(stft);
            s[100] = 128;
            samples.insert(samples.end(), s.begin(), s.end());
        };
        for (int i = 0; i < 10; ++i) {
            add(0, 3, 4, 1000, 128);         // 4.0 ms on petrol, trims 0
            add(6, 3, 4, 1100, 141);         // 4.4 ms on gas, short trim +10 %
            add(4, 3, 4, 2000, 200);         // switching: left out
            add(6, 3, 4, 2000, 200, false);  // stopped: left out
            add(6, 5, 5, 1500, 128);         // gas only: no cell
        }
        Map table{};
        table.fill(100);
        const int n = int(samples.size() / 128);
        const auto e = MultiplierEvidence::fromSamples(samples.data(), n, 128, table.data());
        QCOMPARE(int(e.cells.size()), 1);
        QCOMPARE(e.cells[0].cell, 0x34);
        QCOMPARE(e.cells[0].petrol, 40.0);
        QCOMPARE(e.cells[0].gas, 44.0);
        QVERIFY(std::abs(e.cells[0].factor - 1.10) < 0.01);
        QCOMPARE(e.cells[0].samples, 40);  // 20 time samples and 20 with trims
        QVERIFY(std::abs(e.deviation() - 10.0) < 1e-9);
        QVERIFY(MultiplierEvidence::fromSamples(samples.data(), n, 64, table.data()).cells.empty());
        QVERIFY(MultiplierEvidence::fromSamples(nullptr, n, 128, table.data()).cells.empty());
    }

    // Applied through the link, the proposal puts its nodes into the slots as a node edit leaves
    // them (sorted, empty slots first), the table the link recomputes is the one the proposal
    // promised, and the settings block and bank 1 are asked to be written. Without a live link
    // nothing changes.
    void applyThroughTheLink()
    {
        Fixture f;
        f.error = piecewise({{3, 12}, {8, -6}, {14, 15}});
        f.learn();
        TSterownik link;
        link.timer()->stop();
        std::copy(f.petrol.begin(), f.petrol.end(), link.mem.maps[MemoryImage::PetrolMap].begin());
        std::copy(f.gas.begin(), f.gas.end(), link.mem.maps[MemoryImage::GasMap].begin());
        const MultiplierProposal::Proposal p = TuneAssistant::fromImage(link.mem);
        QVERIFY(p.enough && p.changed > 0);

        const auto tableBefore = link.mem.blocks[0];
        QVERIFY(!TuneAssistant::apply(link, p));  // no port: no write, nothing changed
        QCOMPARE(link.mem.blocks[0], tableBefore);
        QCOMPARE(link.writeMask & 3, 0u);

        link.setBackend(std::make_unique<LoopbackBackend>());
        QVERIFY(link.PortOpen(1));
        link.timer()->stop();
        QVERIFY(TuneAssistant::apply(link, p));
        QCOMPARE(link.writeMask & 3, 3u);
        const uint8_t* slots = link.mem.settings.data() + MemoryImage::kNodesBank1;
        QCOMPARE(int(slots[0]), 0);
        QCOMPARE(int(slots[25]), 200);
        std::vector<int> used;
        for (int k = 1; k < 25; ++k)
            if (slots[k]) used.push_back(slots[k]);
            else QVERIFY2(used.empty(), "an empty slot after a used one");
        QVERIFY(std::is_sorted(used.begin(), used.end()));
        QCOMPARE(int(used.size()), int(p.nodes.size()) - 2);
        for (int t = 0; t < 256; ++t) QCOMPARE(int(link.mem.blocks[0][size_t(t)]), int(p.table[size_t(t)]));
        // The summary line keeps its fixed form for scripts.
        QVERIFY(QRegularExpression(QStringLiteral("^deviation \\d+\\.\\d % -> \\d+\\.\\d % \\(\\d+ nodes changed\\)$"))
                    .match(TuneAssistant::summaryLine(p))
                    .hasMatch());
    }
};

QTEST_GUILESS_MAIN(TstTune)
#include "tst_tune.moc"
