#pragma once

#include <QtCore/QByteArray>

#include <array>
#include <cstdint>
#include <optional>

// Which learned cells still speak for the multiplier in force. A gas map cell holds the petrol time
// the car's computer settled on under the multiplier of the moment it was learned; after a change of
// the multiplier it shows the old multiplier's error until the car drives that cell again. A record
// kept per controller at each change (the multiplier set, the one before it and the learned maps of
// that moment) tells the cells relearned since (their gas value differs from the record's) from the
// stale ones. A cell whose multiplier the change moved by less than half a step of the map is not
// stale: it would learn the same value again.
//
// Enough to propose again: half of the cells that held stale evidence at the change relearned
// (rounded up). Fewer, and the proposal would stand on a handful of cells while the rest of the
// curve waits; the cells not yet relearned never take part in a proposal.
namespace MultiplierChange {

using Map = std::array<uint8_t, 256>;
constexpr int kNodeSlots = 26;

// The multiplier in force: bank 1's node slots and its table.
struct Multiplier {
    std::array<uint8_t, kNodeSlots> nodes{};
    Map table{};
    bool operator==(const Multiplier&) const = default;
};

// The learned maps: petrol time on petrol and on gas (0.1 ms), the OBD correction maps of bank 1.
struct Learned {
    Map petrol{}, gas{}, obdPetrol{}, obdGas{};
};

// What is kept at a change.
struct Record {
    Multiplier since;         // the multiplier set by the change
    Map before{};             // bank 1 before it
    bool beforeKnown = true;  // false: every learned cell counts as stale
    Learned at;               // the learned maps at the change
};

enum class State {
    Counts,      // the learned cells speak for the multiplier in force
    Relearning,  // too few cells relearned since the assistant's change
    Unknown,     // the multiplier was changed elsewhere: what was learned since is unknown
};

struct Status {
    State state = State::Counts;
    int relearned = 0;  // cells learned on both fuels whose gas value came after the change
    int stale = 0;      // cells that held evidence at the change and whose multiplier it moved
    int needed = 0;     // relearned cells before a proposal
    bool waiting() const { return state != State::Counts; }
};

// How the record on file was found.
enum class Stored { None, Ok, Unreadable };

struct Check {
    Status status;
    Learned usable;              // the maps with the stale cells taken out (gas and OBD gas = 0)
    std::optional<Record> save;  // the record to keep from now on, when it is new
};

// The record of a change made now, from `before` to `now`, with the maps as they are.
Record changed(const Map& before, const Multiplier& now, const Learned& maps);

// True when the change in `record` moves the multiplier at gas value `gas` (0.1 ms) by half a step
// of the map or more.
bool moves(const Record& record, int gas);

// The status of the maps under the multiplier `now`. Without a record the maps count as they are
// and a record of the present multiplier is started (so a later change elsewhere is seen); a record
// of another multiplier than `now` (or one that cannot be read) is replaced by one made now, and the
// status is Unknown while relearning.
Check check(Stored stored, const Record& record, const Multiplier& now, const Learned& maps);

// The record as kept on disk, and back; false for anything that is not a whole record.
QByteArray encode(const Record& record);
bool decode(const QByteArray& bytes, Record& record);

}  // namespace MultiplierChange
