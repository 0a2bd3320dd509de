#include "tune/MultiplierProposal.h"

#include <algorithm>
#include <cmath>

namespace MultiplierProposal {

using MultiplierEvidence::Evidence;

namespace {

constexpr double kSmoothness = 1.0;  // weight of the changes' second differences
constexpr double kStay = 1e-3;       // a faint pull towards the present value, so every fit solves
constexpr double kBendGain = 0.10;   // share of the misfit a new node must remove to be added
constexpr double kBendFloor = 0.3;   // misfit (x 100, root mean square) below which no node is added
constexpr int kAddStep = 5;          // candidate positions of new nodes, 0.1 ms
constexpr int kAddClearance = 8;     // nearest a new node comes to another, 0.1 ms
constexpr int kAddCells = 3;         // cells within a millisecond a new node needs
constexpr double kWorthwhile = 0.1;  // deviation (%) a proposal must remove to be made
constexpr int kSpanDefaultFrom = 20, kSpanDefaultTo = 160;

struct Knot {
    int position = 0;
    double present = 100;
    double value = 100;
    double evidence = 0;
    int cells = 0, samples = 0;
    bool added = false;
    int unknown = -1;  // index of its unknown; -1 for a knot that keeps its value
    double share = 1;  // a following end node: its value = share x its neighbour's
};

struct Point {
    double x, y;
    int samples;
};

// The hat function of knot k: 1 at the knot, falling to 0 at its neighbours.
double hat(const std::vector<Knot>& k, size_t i, double x)
{
    const double at = k[i].position;
    if (x == at) return 1;
    if (x < at) {
        if (i == 0) return 0;
        const double left = k[i - 1].position;
        return x > left ? (x - left) / (at - left) : 0;
    }
    if (i + 1 == k.size()) return 0;
    const double right = k[i + 1].position;
    return x < right ? (right - x) / (right - at) : 0;
}

double curveAt(const std::vector<Knot>& k, double x)
{
    for (size_t i = 0; i + 1 < k.size(); ++i)
        if (x <= k[i + 1].position) {
            const double f = (x - k[i].position) / (k[i + 1].position - k[i].position);
            return k[i].value + (k[i + 1].value - k[i].value) * std::clamp(f, 0.0, 1.0);
        }
    return k.back().value;
}

// Gaussian elimination with partial pivoting; false for a singular system.
bool solve(std::vector<std::vector<double>>& a, std::vector<double>& b)
{
    const size_t n = b.size();
    for (size_t c = 0; c < n; ++c) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c])) pivot = r;
        if (std::abs(a[pivot][c]) < 1e-12) return false;
        std::swap(a[c], a[pivot]);
        std::swap(b[c], b[pivot]);
        for (size_t r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (size_t j = c; j < n; ++j) a[r][j] -= f * a[c][j];
            b[r] -= f * b[c];
        }
    }
    for (size_t c = n; c-- > 0;) {
        for (size_t j = c + 1; j < n; ++j) b[c] -= a[c][j] * b[j];
        b[c] /= a[c][c];
    }
    return true;
}

// Fits the knots' values to the points; returns the sum of squared misfits.
double fit(std::vector<Knot>& k, const std::vector<Point>& points)
{
    for (size_t i = 0; i < k.size(); ++i) {
        Knot& n = k[i];
        n.evidence = 0;
        n.cells = n.samples = 0;
        n.value = n.present;
        n.unknown = -1;
        n.share = 1;
        for (const Point& p : points) {
            const double h = hat(k, i, p.x);
            n.evidence += h;
            if (h > 0) {
                ++n.cells;
                n.samples += p.samples;
            }
        }
    }
    int unknowns = 0;
    for (Knot& n : k)
        if (n.evidence >= kMinEvidence) n.unknown = unknowns++;
    if (unknowns == 0) return 0;
    // End nodes beyond the evidence move with their nearest neighbour that has a proposal: the curve
    // keeps its shape out there instead of bending towards a value nobody measured.
    for (size_t end : {size_t(0), k.size() - 1}) {
        if (k[end].unknown >= 0) continue;
        const Knot* next = nullptr;
        if (end == 0) {
            for (size_t i = 1; i < k.size() && !next; ++i)
                if (k[i].unknown >= 0) next = &k[i];
        } else {
            for (size_t i = k.size() - 1; i-- > 0 && !next;)
                if (k[i].unknown >= 0) next = &k[i];
        }
        k[end].unknown = next->unknown;
        k[end].share = k[end].present / std::max(1.0, next->present);
    }

    const size_t n = static_cast<size_t>(unknowns);
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0));
    std::vector<double> b(n, 0), present(n, 0);
    for (const Knot& kn : k)
        if (kn.unknown >= 0 && kn.share == 1 && kn.evidence >= kMinEvidence) present[size_t(kn.unknown)] = kn.present;
    std::vector<double> basis(n);
    for (const Point& p : points) {
        std::fill(basis.begin(), basis.end(), 0);
        double y = p.y;
        for (size_t i = 0; i < k.size(); ++i) {
            const double h = hat(k, i, p.x);
            if (h == 0) continue;
            if (k[i].unknown < 0) y -= k[i].present * h;
            else basis[size_t(k[i].unknown)] += k[i].share * h;
        }
        for (size_t r = 0; r < n; ++r) {
            if (basis[r] == 0) continue;
            b[r] += basis[r] * y;
            for (size_t c = 0; c < n; ++c) a[r][c] += basis[r] * basis[c];
        }
    }
    // Smooth changes: the second differences of (value - present) over neighbouring unknowns.
    for (size_t j = 1; j + 1 < n; ++j) {
        const double d[3] = {1, -2, 1};
        const size_t at[3] = {j - 1, j, j + 1};
        double rest = 0;
        for (int u = 0; u < 3; ++u) rest += d[u] * present[at[u]];
        for (int u = 0; u < 3; ++u) {
            for (int v = 0; v < 3; ++v) a[at[u]][at[v]] += kSmoothness * d[u] * d[v];
            b[at[u]] += kSmoothness * d[u] * rest;
        }
    }
    for (size_t j = 0; j < n; ++j) {
        a[j][j] += kStay;
        b[j] += kStay * present[j];
    }
    if (!solve(a, b)) return 0;
    for (Knot& kn : k)
        if (kn.unknown >= 0) kn.value = kn.share * b[size_t(kn.unknown)];
    double sse = 0;
    for (const Point& p : points) {
        const double d = curveAt(k, p.x) - p.y;
        sse += d * d;
    }
    return sse;
}

bool freeFor(const std::vector<Knot>& k, int position)
{
    for (const Knot& n : k)
        if (std::abs(n.position - position) < kAddClearance) return false;
    return true;
}

std::vector<Knot> withKnot(std::vector<Knot> k, int position, const uint8_t* table)
{
    Knot n;
    n.position = position;
    n.present = n.value = table[position];
    n.added = true;
    k.insert(std::upper_bound(k.begin(), k.end(), position, [](int p, const Knot& x) { return p < x.position; }), n);
    return k;
}

// The gas time / petrol time the car settles at in a cell once the table is `table`: the car's
// computer lengthens its time until the gas delivered meets the need.
double settledRatio(const MultiplierEvidence::Cell& c, const uint8_t* table)
{
    double ratio = c.gas / c.petrol;
    for (int i = 0; i < 20; ++i)
        ratio = c.needed / std::max(1.0, MultiplierEvidence::multiplierAt(table, c.petrol * ratio));
    return ratio;
}

}  // namespace

std::array<uint8_t, 256> tableFromNodes(const std::vector<std::pair<int, int>>& nodes, const uint8_t* table,
                                        const Limits& limits)
{
    std::array<uint8_t, 256> t{};
    std::copy(table, table + 256, t.begin());
    for (const auto& [pos, value] : nodes)
        if (pos >= 0 && pos < 256) t[size_t(pos)] = static_cast<uint8_t>(std::clamp(value, 0, 255));
    for (size_t i = 1; i < nodes.size(); ++i) {
        const int x0 = nodes[i - 1].first, x1 = nodes[i].first;
        if (x1 <= x0 || x0 < 0 || x1 > 255) continue;
        const double v0 = t[size_t(x0)];
        const double s = (v0 - t[size_t(x1)]) / (x1 - x0);
        for (int j = x0; j < x1; ++j)
            t[size_t(j)] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(v0 - (j - x0) * s), limits.lower, limits.upper));
    }
    const int max = std::clamp(limits.max, 0, 255);
    for (int j = max + 1; j < 256; ++j) t[size_t(j)] = t[size_t(max)];
    return t;
}

std::vector<std::pair<int, int>> missingRanges(const Evidence& evidence, const uint8_t* petrolMap)
{
    int from = 255, to = 0;
    if (petrolMap)
        for (int i = 0; i < MultiplierEvidence::kCells; ++i)
            if (petrolMap[i]) {
                from = std::min<int>(from, petrolMap[i]);
                to = std::max<int>(to, petrolMap[i]);
            }
    if (from > to) {
        from = kSpanDefaultFrom;
        to = kSpanDefaultTo;
    }
    std::vector<std::pair<int, int>> missing;
    for (int bin = from / 10 * 10; bin <= to; bin += 10) {
        int cells = 0;
        for (const auto& c : evidence.cells) cells += c.petrol >= bin && c.petrol < bin + 10 ? 1 : 0;
        if (cells >= 2) continue;
        if (!missing.empty() && missing.back().second == bin) missing.back().second = bin + 10;
        else missing.emplace_back(bin, bin + 10);
    }
    return missing;
}

Proposal propose(const Evidence& evidence, const uint8_t* slots, const uint8_t* table, const uint8_t* petrolMap,
                 const Limits& limits)
{
    Proposal out;
    out.before = evidence.deviation();
    std::copy(table, table + 256, out.table.begin());
    out.missing = missingRanges(evidence, petrolMap);

    // The present nodes: the start node at 0, the occupied user slots, the end node at the axis' end.
    std::vector<Knot> knots;
    auto addKnot = [&](int position) {
        position = std::clamp(position, 0, limits.max);
        for (const Knot& k : knots)
            if (k.position == position) return;
        Knot k;
        k.position = position;
        k.present = k.value = table[position];
        knots.push_back(k);
    };
    addKnot(0);
    for (int s = 1; s < kSlots - 1; ++s)
        if (slots[s]) addKnot(slots[s]);
    addKnot(limits.max);
    std::sort(knots.begin(), knots.end(), [](const Knot& a, const Knot& b) { return a.position < b.position; });
    int freeSlots = kSlots - 2;
    for (const Knot& k : knots) freeSlots -= k.position != 0 && k.position != limits.max ? 1 : 0;

    std::vector<Point> points;
    for (const auto& c : evidence.cells)
        points.push_back({std::clamp(c.petrol, 0.0, double(limits.max)), c.needed, c.samples});

    if (static_cast<int>(points.size()) >= kMinCells) {
        double sse = fit(knots, points);
        // New nodes where the evidence bends the curve between two nodes: the one that removes the
        // most misfit, again and again, while each removes a fair share of what is left.
        for (int added = 0; added < std::min(kMaxAdded, freeSlots); ++added) {
            if (std::sqrt(sse / static_cast<double>(points.size())) < kBendFloor) break;
            std::vector<Knot> best;
            double bestSse = sse;
            for (int pos = kAddStep; pos < limits.max; pos += kAddStep) {
                if (!freeFor(knots, pos)) continue;
                int near = 0;
                for (const Point& p : points) near += std::abs(p.x - pos) <= 10 ? 1 : 0;
                if (near < kAddCells) continue;
                std::vector<Knot> trial = withKnot(knots, pos, table);
                const double s = fit(trial, points);
                if (s < bestSse) {
                    bestSse = s;
                    best = std::move(trial);
                }
            }
            if (best.empty() || sse - bestSse < kBendGain * sse) break;
            knots = std::move(best);
            sse = bestSse;
        }
        fit(knots, points);
    } else {
        fit(knots, {});
    }

    std::vector<std::pair<int, int>> nodes;
    for (const Knot& k : knots) {
        Node n;
        n.position = k.position;
        n.present = static_cast<int>(std::lround(k.present));
        n.evidence = k.evidence;
        n.cells = k.cells;
        n.samples = k.samples;
        n.added = k.added;
        n.thin = k.unknown < 0;
        n.follows = !n.thin && k.evidence < kMinEvidence;
        n.proposed = n.present;
        if (!n.thin) {
            // The cut in whole table steps; the small margin keeps 100 x 1.15 at 115.
            const int lo = std::max(limits.lower, static_cast<int>(std::ceil(n.present * (1 - kMaxChange) - 1e-9)));
            const int hi = std::min(limits.upper, static_cast<int>(std::floor(n.present * (1 + kMaxChange) + 1e-9)));
            const int wanted = static_cast<int>(std::lround(k.value));
            n.proposed = std::clamp(wanted, std::min(lo, hi), std::max(lo, hi));
            n.capped = n.proposed != wanted;
            out.enough = true;
        }
        // A new node on the curve as it is changes nothing: it is not proposed.
        if (n.added && n.proposed == n.present) continue;
        if (n.added || n.proposed != n.present) ++out.changed;
        out.nodes.push_back(n);
        nodes.emplace_back(n.position, n.proposed);
    }
    out.enough = out.enough && static_cast<int>(points.size()) >= kMinCells;
    if (!out.enough) {
        for (Node& n : out.nodes) n.proposed = n.present;
        out.changed = 0;
        out.after = out.before;
        return out;
    }
    out.table = tableFromNodes(nodes, table, limits);
    double sum = 0;
    for (const auto& c : evidence.cells) {
        const double d = settledRatio(c, out.table.data()) - 1;
        sum += d * d;
    }
    out.after = evidence.cells.empty() ? 0 : 100 * std::sqrt(sum / static_cast<double>(evidence.cells.size()));
    // A curve that already fits as well as the table's whole steps allow: changes that promise no
    // gain are not worth a drive to check them.
    if (out.after > out.before - kWorthwhile) {
        for (Node& n : out.nodes) n.proposed = n.present;
        out.nodes.erase(std::remove_if(out.nodes.begin(), out.nodes.end(), [](const Node& n) { return n.added; }),
                        out.nodes.end());
        std::copy(table, table + 256, out.table.begin());
        out.changed = 0;
        out.after = out.before;
    }
    return out;
}

}  // namespace MultiplierProposal
