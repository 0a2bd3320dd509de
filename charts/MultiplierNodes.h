#pragma once

#include <cstdint>

// The nodes of the multiplier curve: 26 slots holding positions on the petrol-time axis (0.1 ms).
// Slot 0 is the start node at 0, slot 25 the end node at the time-axis maximum, slots 1..24 user
// nodes (position 0 = empty). A node's value is the multiplier table entry at its position. Pure
// functions over the slots the view takes from the settings (`NamedSettings::multiplierNodes`) and
// the table; the view stores the slots back, writes and draws.
namespace MultiplierNodes {

constexpr int kSlots = 26;
constexpr int kEnd = 25;

// What an edit asks the view to do afterwards.
enum class Outcome { Nothing, Render, Recompute, Beep };

// The slots and table of one edit, with the selected slot (-1 none) and the time-axis maximum.
struct Nodes {
    uint8_t* slots;
    uint8_t* table;
    int& selected;
    int max;
    bool occupied(int k) const { return k == 0 || slots[k] != 0; }
};

// Value limits of the multiplier table: wide scale 1..250, normal 50..150.
inline int lowerLimit(bool wide) { return wide ? 1 : 50; }
inline int upperLimit(bool wide) { return wide ? 250 : 150; }

// Recompute steps 1..3: start and end nodes in place, nothing above the maximum, slots sorted by
// position with the selection following its node, no two nodes on one position. A tie moves the
// lower slot's node up by one; where that would reach the end node (or the maximum) the user node
// moves down to the nearest free position instead, so the end node stays at the end and no node
// ever lands above the maximum. A node with no free position left is removed.
void Normalise(Nodes& n);

// Keys of the chart with the focus (Page Up/Down = next/previous, Home/End, Left/Right, Insert,
// Delete); Up/Down are ChangeValue.
Outcome Next(Nodes& n);
Outcome Previous(Nodes& n);
Outcome First(Nodes& n);
Outcome Last(Nodes& n);
Outcome Left(Nodes& n);
// The end node stays at the end: the node next to it selects it instead of moving onto it.
Outcome Right(Nodes& n);
Outcome Insert(Nodes& n);
Outcome Delete(Nodes& n);
// Right click at time t: a new node in the first empty user slot, selected. A t outside 1..max-1
// (the start or end node's place or beyond the axis) beeps and adds nothing.
Outcome AddAt(Nodes& n, int t);
// Adds `delta` to the selected node's value, or to every node's value with none selected, within
// the scale's limits.
Outcome ChangeValue(Nodes& n, int delta, bool wide);

// The node picked by a press at time t with value v under the pointer (values as drawn, i.e. with
// the adaptation offset `offset` added to the table): the node whose position is nearest to t (the
// first on a tie) if it lies within 4 in time and 4 in value; -1 otherwise.
int Pick(const Nodes& n, int t, int v, int offset);

}  // namespace MultiplierNodes
