#include "tune/MultiplierChange.h"

#include <algorithm>
#include <cmath>

#include "tune/MultiplierEvidence.h"

namespace MultiplierChange {

namespace {

constexpr char kMagic[4] = {'K', 'V', 'M', 'C'};
constexpr char kVersion = 1;
constexpr int kSize = 4 + 1 + 1 + kNodeSlots + 6 * 256;

// Whether cell i's gas value is still the one learned before the change.
bool stale(const Record& r, const Learned& maps, int i)
{
    return maps.gas[size_t(i)] != 0 && maps.gas[size_t(i)] == r.at.gas[size_t(i)] && moves(r, r.at.gas[size_t(i)]);
}

Status statusOf(const Record& r, const Learned& maps)
{
    Status s;
    for (int i = 0; i < 256; ++i) {
        const size_t c = size_t(i);
        if (r.at.petrol[c] != 0 && r.at.gas[c] != 0 && moves(r, r.at.gas[c])) ++s.stale;
        if (maps.petrol[c] != 0 && maps.gas[c] != 0 && maps.gas[c] != r.at.gas[c]) ++s.relearned;
    }
    s.needed = (s.stale + 1) / 2;
    s.state = s.relearned >= s.needed ? State::Counts : State::Relearning;
    return s;
}

Learned usableOf(const Record& r, const Learned& maps)
{
    Learned u = maps;
    for (int i = 0; i < 256; ++i) {
        const size_t c = size_t(i);
        // A stale gas time goes, and so does a trim on gas unchanged since the change.
        if (stale(r, maps, i)) u.gas[c] = 0;
        if (u.obdGas[c] != 0 && u.obdGas[c] == r.at.obdGas[c] && r.at.gas[c] != 0 && moves(r, r.at.gas[c]))
            u.obdGas[c] = 0;
    }
    return u;
}

}  // namespace

Record changed(const Map& before, const Multiplier& now, const Learned& maps)
{
    Record r;
    r.since = now;
    r.before = before;
    r.at = maps;
    return r;
}

bool moves(const Record& r, int gas)
{
    if (gas <= 0) return false;
    if (!r.beforeKnown) return true;
    const double was = std::max(1.0, MultiplierEvidence::multiplierAt(r.before.data(), gas));
    const double is = std::max(1.0, MultiplierEvidence::multiplierAt(r.since.table.data(), gas));
    // On the new multiplier the car's computer settles on gas x was / is.
    return std::abs(was / is - 1) * gas >= 0.5;
}

Check check(Stored stored, const Record& record, const Multiplier& now, const Learned& maps)
{
    Check c;
    if (stored == Stored::None) {
        // Nothing known of a change: the maps count, and from here on a change elsewhere is seen.
        c.save = changed(now.table, now, maps);
        c.usable = maps;
        return c;
    }
    if (stored == Stored::Ok && record.since == now) {
        c.status = statusOf(record, maps);
        c.usable = usableOf(record, maps);
        return c;
    }
    // Changed elsewhere (or the record is lost): relearning is counted from now, against the
    // multiplier of the record when there is one.
    Record fresh = changed(record.since.table, now, maps);
    fresh.beforeKnown = stored == Stored::Ok;
    c.status = statusOf(fresh, maps);
    if (c.status.waiting()) c.status.state = State::Unknown;
    c.usable = usableOf(fresh, maps);
    c.save = fresh;
    return c;
}

QByteArray encode(const Record& r)
{
    QByteArray b;
    b.reserve(kSize);
    b.append(kMagic, 4);
    b.append(kVersion);
    b.append(char(r.beforeKnown ? 1 : 0));
    auto add = [&b](const auto& bytes) {
        b.append(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    };
    add(r.since.nodes);
    add(r.since.table);
    add(r.before);
    add(r.at.petrol);
    add(r.at.gas);
    add(r.at.obdPetrol);
    add(r.at.obdGas);
    return b;
}

bool decode(const QByteArray& b, Record& r)
{
    if (b.size() != kSize || !b.startsWith(QByteArray(kMagic, 4)) || b[4] != kVersion || uchar(b[5]) > 1) return false;
    qsizetype at = 6;
    auto take = [&b, &at](auto& bytes) {
        std::copy_n(reinterpret_cast<const uint8_t*>(b.constData()) + at, bytes.size(), bytes.begin());
        at += qsizetype(bytes.size());
    };
    Record d;
    d.beforeKnown = b[5] == 1;
    take(d.since.nodes);
    take(d.since.table);
    take(d.before);
    take(d.at.petrol);
    take(d.at.gas);
    take(d.at.obdPetrol);
    take(d.at.obdGas);
    r = d;
    return true;
}

}  // namespace MultiplierChange
