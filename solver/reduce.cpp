#include "solver/reduce.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace solver {

namespace {

constexpr int kMaxTargets = 2 * kMaxSize - 1;

struct Node {
    uint64_t hash;
    int parent;  // index in the previous step's beam
    int score;
    uint8_t cell[kMaxTargets];
    uint8_t gap;
    char move;
};

struct Keys {
    uint64_t tile[kMaxTargets + 1][kMaxSize * kMaxSize];
    Keys() {
        std::mt19937_64 random(0x5eed);
        for (auto& row : tile)
            for (auto& key : row) key = random();
    }
};

const Keys& ZobristKeys() {
    static const Keys keys;
    return keys;
}

// A set of 64-bit fingerprints, open addressing; 0 is never stored (a fingerprint of 0 is
// taken as 1, at worst skipping one board).
class Seen {
public:
    explicit Seen(size_t expected) {
        size_t capacity = 1024;
        while (capacity < expected * 2) capacity *= 2;
        slots_.assign(capacity, 0);
    }
    bool Contains(uint64_t key) const {
        key = key ? key : 1;
        for (size_t i = key & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == key) return true;
            if (slots_[i] == 0) return false;
        }
    }
    void Insert(uint64_t key) {
        key = key ? key : 1;
        if (2 * (count_ + 1) > slots_.size()) Grow();
        for (size_t i = key & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == key) return;
            if (slots_[i] == 0) {
                slots_[i] = key;
                ++count_;
                return;
            }
        }
    }

private:
    void Grow() {
        std::vector<uint64_t> old(slots_.size() * 2, 0);
        old.swap(slots_);
        count_ = 0;
        for (uint64_t key : old)
            if (key) Insert(key);
    }
    std::vector<uint64_t> slots_;
    size_t count_ = 0;
};

}  // namespace

bool ReduceRegion(const Layout& board, int offset, int width, Stopper& stopper, std::string& moves) {
    moves.clear();
    const int n = board.size;
    const Keys& keys = ZobristKeys();
    // The targets: the region's top row, then its left column below it.
    int home[kMaxTargets];
    int targets = 0;
    for (int c = offset; c < n; ++c) home[targets++] = offset * n + c;
    for (int r = offset + 1; r < n; ++r) home[targets++] = r * n + offset;
    int targetOf[kMaxSize * kMaxSize];
    std::fill(std::begin(targetOf), std::end(targetOf), -1);
    for (int i = 0; i < targets; ++i) targetOf[home[i]] = i;

    int distance[kMaxTargets][kMaxSize * kMaxSize];
    for (int i = 0; i < targets; ++i)
        for (int c = 0; c < n * n; ++c)
            distance[i][c] = std::abs(c / n - home[i] / n) + std::abs(c % n - home[i] % n);

    const auto score = [&](const Node& node) {
        int s = 0, nearest = 1000;
        for (int i = 0; i < targets; ++i) {
            const int d = distance[i][node.cell[i]];
            s += d;
            if (d > 0) {
                const int g = std::abs(node.cell[i] / n - node.gap / n) + std::abs(node.cell[i] % n - node.gap % n);
                nearest = std::min(nearest, g);
            }
        }
        if (s == 0) return 0;
        return 4 * s + (nearest - 1);
    };

    Node start{};
    start.parent = -1;
    start.gap = uint8_t(board.gap);
    start.hash = keys.tile[kMaxTargets][board.gap];
    for (int c = 0; c < n * n; ++c) {
        const int i = targetOf[board.tile[c]];
        if (i < 0) continue;
        start.cell[i] = uint8_t(c);
        start.hash ^= keys.tile[i][c];
    }
    start.score = score(start);
    if (start.score == 0) return true;

    std::vector<std::vector<Node>> steps(1, std::vector<Node>(1, start));
    Seen seen(size_t(width) * 64);
    seen.Insert(start.hash);
    std::vector<Node> candidates;
    for (;;) {
        candidates.clear();
        const std::vector<Node>& beam = steps.back();
        for (int b = 0; b < int(beam.size()); ++b) {
            if (stopper.ShouldStop()) return false;
            const Node& node = beam[size_t(b)];
            const int gap = node.gap, row = gap / n, column = gap % n;
            int sources[4], count = 0;
            if (column + 1 < n) sources[count++] = gap + 1;
            if (column > offset) sources[count++] = gap - 1;
            if (row + 1 < n) sources[count++] = gap + n;
            if (row > offset) sources[count++] = gap - n;
            for (int s = 0; s < count; ++s) {
                const int from = sources[s];
                Node next = node;
                next.parent = b;
                next.gap = uint8_t(from);
                next.move = MoveLetter(gap, from, n);
                next.hash ^= keys.tile[kMaxTargets][gap] ^ keys.tile[kMaxTargets][from];
                for (int i = 0; i < targets; ++i)
                    if (next.cell[i] == from) {
                        next.cell[i] = uint8_t(gap);
                        next.hash ^= keys.tile[i][from] ^ keys.tile[i][gap];
                        break;
                    }
                if (seen.Contains(next.hash)) continue;
                next.score = score(next);
                if (next.score == 0) {
                    moves.assign(1, next.move);
                    for (int step = int(steps.size()) - 1, p = b; step > 0; --step) {
                        moves += steps[size_t(step)][size_t(p)].move;
                        p = steps[size_t(step)][size_t(p)].parent;
                    }
                    std::reverse(moves.begin(), moves.end());
                    return true;
                }
                candidates.push_back(next);
            }
        }
        // The same board reached from two places of the beam counts once; only the boards
        // kept are marked seen, so one dropped now may still be reached later.
        std::sort(candidates.begin(), candidates.end(),
                  [](const Node& a, const Node& b) { return a.hash < b.hash; });
        candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                     [](const Node& a, const Node& b) { return a.hash == b.hash; }),
                         candidates.end());
        // Every board of the region stays reachable, so the beam never runs dry before the
        // goal; were it to, giving up is the safe answer.
        if (candidates.empty()) return false;
        if (int(candidates.size()) > width) {
            std::nth_element(candidates.begin(), candidates.begin() + width, candidates.end(),
                             [](const Node& a, const Node& b) {
                                 return a.score != b.score ? a.score < b.score : a.hash < b.hash;
                             });
            candidates.resize(size_t(width));
        }
        for (const Node& node : candidates) seen.Insert(node.hash);
        steps.push_back(candidates);
    }
}

}  // namespace solver
