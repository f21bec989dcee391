#include "solver/ida.h"

#include "solver/layout.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace solver {

namespace {

constexpr int kUnit = kOptimalWeight;

template <int N>
class Ida {
public:
    static constexpr int kCells = N * N;

    Ida(const uint8_t* cells, const Heuristic& heuristic) {
        for (int c = 0; c < kCells; ++c) {
            const int r = c / N, col = c % N;
            mirror_[c] = uint8_t(col * N + r);
            for (int t = 0; t < kCells; ++t)
                manhattan_[t][c] = uint8_t(std::abs(t / N - r) + std::abs(t % N - col));
            int count = 0;
            if (col + 1 < N) neighbours_[c][count++] = uint8_t(c + 1);
            if (col > 0) neighbours_[c][count++] = uint8_t(c - 1);
            if (r + 1 < N) neighbours_[c][count++] = uint8_t(c + N);
            if (r > 0) neighbours_[c][count++] = uint8_t(c - N);
            neighbourCount_[c] = uint8_t(count);
        }
        std::fill(std::begin(patternOf_), std::end(patternOf_), -1);
        for (const auto& db : heuristic.patterns) AddPattern(db.get(), db->Tiles());
        for (int t = 0; t + 1 < kCells; ++t)
            if (patternOf_[t] < 0) AddPattern(nullptr, {uint8_t(t)});
        for (int p = 0; p < int(patterns_.size()); ++p)
            for (int i = 0; i < patterns_[size_t(p)].count; ++i)
                mirrorPatternOf_[mirror_[patterns_[size_t(p)].tiles[i]]] = p;
        for (int c = 0; c < kCells; ++c) {
            board_[c] = cells[c];
            position_[cells[c]] = uint8_t(c);
        }
        blank_ = position_[kCells - 1];
        regularSum_ = mirroredSum_ = 0;
        for (int p = 0; p < int(patterns_.size()); ++p) {
            regularSum_ += regular_[p] = Regular(p);
            mirroredSum_ += mirrored_[p] = Mirrored(p);
        }
    }

    int H() const { return std::max(regularSum_, mirroredSum_); }

    SearchResult Run(int weight, Stopper& stopper, int shorterThan) {
        stopper_ = &stopper;
        weight_ = weight;
        shorterThan_ = shorterThan;
        SearchResult result;
        if (H() == 0) {
            result.found = true;
            return result;
        }
        int bound = weight * H();
        for (;;) {
            next_ = INT_MAX;
            path_.clear();
            if (Search(0, -1, bound)) {
                result.found = true;
                result.moves.assign(path_.rbegin(), path_.rend());
                break;
            }
            if (stopper.Stopped() || next_ == INT_MAX) break;
            bound = next_;
        }
        result.nodes = nodes_;
        return result;
    }

private:
    struct Pattern {
        const uint8_t* packed = nullptr;  // none: the tile's Manhattan distance alone
        int count = 0;
        uint8_t tiles[8] = {};
        uint64_t radix[8] = {};
    };

    void AddPattern(const PatternDb* db, const std::vector<uint8_t>& tiles) {
        Pattern p;
        p.packed = db ? db->Packed().data() : nullptr;
        p.count = int(tiles.size());
        for (int i = 0; i < p.count; ++i) {
            p.tiles[i] = tiles[size_t(i)];
            p.radix[i] = db ? db->Radix()[size_t(i)] : 0;
            patternOf_[tiles[size_t(i)]] = int(patterns_.size());
        }
        patterns_.push_back(p);
    }

    int Lookup(const Pattern& p, const uint8_t* cells) const {
        int md = 0;
        for (int i = 0; i < p.count; ++i) md += manhattan_[p.tiles[i]][cells[i]];
        if (!p.packed) return md;
        // Each tile's digit: its cell less the earlier tiles' cells before it.
        uint64_t index = 0;
        for (int i = 0; i < p.count; ++i) {
            int digit = cells[i];
            for (int j = 0; j < i; ++j) digit -= cells[j] < cells[i];
            index += uint64_t(digit) * p.radix[i];
        }
        return md + 2 * (p.packed[index >> 1] >> ((index & 1) * 4) & 15);
    }

    int Regular(int p) const {
        const Pattern& pattern = patterns_[size_t(p)];
        uint8_t cells[8];
        for (int i = 0; i < pattern.count; ++i) cells[i] = position_[pattern.tiles[i]];
        return Lookup(pattern, cells);
    }
    // The pattern's bound on the mirrored board, where tile t stands on the mirror image of
    // the cell that holds tile mirror(t) here.
    int Mirrored(int p) const {
        const Pattern& pattern = patterns_[size_t(p)];
        uint8_t cells[8];
        for (int i = 0; i < pattern.count; ++i) cells[i] = mirror_[position_[mirror_[pattern.tiles[i]]]];
        return Lookup(pattern, cells);
    }

    // One step deeper: the children are tried the most promising (smallest bound) first,
    // which finds the solution sooner in the last, deciding pass.
    bool Search(int g, int previous, int bound) {
        if ((++nodes_ & 4095) == 0 && stopper_->Check()) return false;
        const int blank = blank_;
        struct Child {
            int from, h, regular, mirrored;
        } children[4];
        int count = 0;
        for (int m = 0; m < neighbourCount_[blank]; ++m) {
            const int from = neighbours_[blank][m];
            if (from == previous) continue;
            const int tile = board_[from];
            const int p = patternOf_[tile], q = mirrorPatternOf_[tile];
            position_[tile] = uint8_t(blank);
            Child child{from, 0, Regular(p), Mirrored(q)};
            position_[tile] = uint8_t(from);
            child.h = std::max(regularSum_ + child.regular - regular_[p], mirroredSum_ + child.mirrored - mirrored_[q]);
            int i = count++;
            for (; i > 0 && children[i - 1].h > child.h; --i) children[i] = children[i - 1];
            children[i] = child;
        }
        for (int c = 0; c < count; ++c) {
            const Child& child = children[c];
            const int from = child.from, h = child.h;
            if (g + 1 + h >= shorterThan_) continue;  // no shorter solution lies this way
            const int f = kUnit * (g + 1) + weight_ * h;
            if (f > bound) {
                next_ = std::min(next_, f);
                continue;
            }
            const int tile = board_[from];
            if (h == 0) {
                path_.push_back(MoveLetter(blank, from, N));
                return true;
            }
            const int p = patternOf_[tile], q = mirrorPatternOf_[tile];
            const int oldRegular = regular_[p], oldMirrored = mirrored_[q];
            board_[blank] = uint8_t(tile);
            board_[from] = uint8_t(kCells - 1);
            position_[tile] = uint8_t(blank);
            position_[kCells - 1] = uint8_t(from);
            blank_ = from;
            regularSum_ += (regular_[p] = child.regular) - oldRegular;
            mirroredSum_ += (mirrored_[q] = child.mirrored) - oldMirrored;
            const bool found = Search(g + 1, blank, bound);
            board_[from] = uint8_t(tile);
            board_[blank] = uint8_t(kCells - 1);
            position_[tile] = uint8_t(from);
            position_[kCells - 1] = uint8_t(blank);
            blank_ = blank;
            regularSum_ += oldRegular - regular_[p];
            mirroredSum_ += oldMirrored - mirrored_[q];
            regular_[p] = oldRegular;
            mirrored_[q] = oldMirrored;
            if (found) {
                path_.push_back(MoveLetter(blank, from, N));
                return true;
            }
            if (stopper_->Stopped()) return false;
        }
        return false;
    }

    uint8_t mirror_[kCells];
    uint8_t manhattan_[kCells][kCells];
    uint8_t neighbours_[kCells][4];
    uint8_t neighbourCount_[kCells];
    std::vector<Pattern> patterns_;
    int patternOf_[kCells];
    int mirrorPatternOf_[kCells];
    uint8_t board_[kCells], position_[kCells];
    int blank_;
    int regular_[kCells], mirrored_[kCells];
    int regularSum_, mirroredSum_;
    Stopper* stopper_ = nullptr;
    int weight_ = kUnit;
    int shorterThan_ = 1 << 30;
    int next_ = INT_MAX;
    uint64_t nodes_ = 0;
    std::string path_;
};

}  // namespace

SearchResult IdaSearch(int size, const uint8_t* cells, const Heuristic& heuristic, int weight, Stopper& stopper,
                       int shorterThan) {
    // Only disjoint tables of this size add up to a lower bound.
    bool fits = heuristic.size == size;
    uint32_t covered = 0;
    for (const auto& db : heuristic.patterns) {
        fits = fits && db->Size() == size;
        for (uint8_t t : db->Tiles()) {
            fits = fits && !(covered >> t & 1);
            covered |= 1u << t;
        }
    }
    const Heuristic manhattan{size, {}};
    const Heuristic& used = fits ? heuristic : manhattan;
    if (size == 4) return Ida<4>(cells, used).Run(weight, stopper, shorterThan);
    return Ida<5>(cells, used).Run(weight, stopper, shorterThan);
}

}  // namespace solver
