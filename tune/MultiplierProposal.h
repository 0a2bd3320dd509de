#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "tune/MultiplierChange.h"
#include "tune/MultiplierEvidence.h"

// New node values for the multiplier curve from the cells' evidence: a least-squares fit of the
// piecewise-linear curve through the nodes to the multiplier each cell needs, the changes kept
// smooth from node to node. Nodes are added only where the evidence bends the curve between two
// existing ones; a node with too little evidence under it keeps its value. Every change stays within
// the scale's limits and within kMaxChange of the present value, so one pass never moves the curve
// further than the fitter can see on the chart and check by driving.
namespace MultiplierProposal {

constexpr int kSlots = 26;            // node slots: 0 the start node, 25 the end node
constexpr double kMaxChange = 0.15;   // per node and pass, of the present value
constexpr double kMinEvidence = 1.5;  // cells (weighted by nearness) a node needs for a proposal
constexpr int kMinCells = 6;          // cells learned on both fuels before anything is proposed
constexpr int kMaxAdded = 8;          // nodes one pass may add

struct Limits {
    int lower = 50;  // table values, x 100
    int upper = 150;
    int max = 200;  // the time axis' end, 0.1 ms: the end node's position
};

struct Node {
    int position = 0;     // 0.1 ms
    int present = 100;    // the table's value there now, x 100
    int proposed = 100;   // the value proposed (the present one when there is no proposal)
    double evidence = 0;  // cells under the node, weighted by nearness
    int cells = 0;        // cells between its neighbours
    int samples = 0;
    bool added = false;    // a new node
    bool thin = false;     // too little evidence: no proposal
    bool follows = false;  // an end node beyond the evidence, moved with its neighbour
    bool capped = false;   // the change was cut to kMaxChange or to the scale's limits
    int change() const { return proposed - present; }
    double changePercent() const { return present > 0 ? 100.0 * (proposed - present) / present : 0; }
};

struct Proposal {
    std::vector<Node> nodes;  // by position
    double before = 0;        // deviation now (gas time / petrol time - 1, root mean square, %)
    double after = 0;         // the deviation expected once the car has driven on the proposal
    int changed = 0;          // nodes added or changed
    bool enough = false;      // evidence for at least one node
    // Petrol-time ranges (0.1 ms, from inclusive, to exclusive) of the driven span that lack cells.
    std::vector<std::pair<int, int>> missing;
    std::array<uint8_t, 256> table{};  // multiplier bank 1 as the proposal makes it
    // Waiting while the maps relearn after a change of the multiplier: nothing is proposed then.
    MultiplierChange::Status relearning;
};

// `slots`: the 26 node slots (settings bytes 190..215), `table`: multiplier bank 1, `petrolMap`:
// the learned petrol map (for the span the car drives; may be null).
Proposal propose(const MultiplierEvidence::Evidence& evidence, const uint8_t* slots, const uint8_t* table,
                 const uint8_t* petrolMap, const Limits& limits);

// The table through the nodes (positions ascending, the first at 0 and the last at limits.max) the
// way the controller link recomputes it: straight lines truncated toward zero, limited, and the
// entries beyond the end node equal to it. Entries at the nodes take the nodes' values.
std::array<uint8_t, 256> tableFromNodes(const std::vector<std::pair<int, int>>& nodes, const uint8_t* table,
                                        const Limits& limits);

// The 1 ms ranges of the span the car drives (from the shortest to the longest petrol time of the
// petrol map; 2..16 ms when it holds none) with fewer than two cells learned on both fuels, joined
// where they touch.
std::vector<std::pair<int, int>> missingRanges(const MultiplierEvidence::Evidence& evidence, const uint8_t* petrolMap);

}  // namespace MultiplierProposal
