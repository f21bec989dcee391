#include "solver/patterndb.h"

#include "solver/bits.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <stdexcept>
#include <utility>

namespace solver {

namespace {

// The board's cells as bits, and the flood fill of the gap through free cells.
struct Grid {
    int size, cells;
    uint64_t all, notFirstColumn, notLastColumn;

    explicit Grid(int n) : size(n), cells(n * n) {
        all = (uint64_t(1) << cells) - 1;
        notFirstColumn = notLastColumn = all;
        for (int r = 0; r < n; ++r) {
            notFirstColumn &= ~(uint64_t(1) << (r * n));
            notLastColumn &= ~(uint64_t(1) << (r * n + n - 1));
        }
    }
    uint64_t Neighbours(uint64_t set) const {
        return (((set << 1) & notFirstColumn) | ((set >> 1) & notLastColumn) | (set << size) | (set >> size)) &
               all;
    }
    // Every free cell the gap reaches from `start` without moving a pattern tile.
    uint64_t Zone(int start, uint64_t free) const {
        uint64_t zone = uint64_t(1) << start;
        for (;;) {
            const uint64_t grown = (zone | Neighbours(zone)) & free;
            if (grown == zone) return zone;
            zone = grown;
        }
    }
};

// Visited (placement, free cell) pairs: one bit for each free cell of each placement, the
// free cells numbered in order. A zone is marked whole when it is first reached, so any one
// of its cells tells whether it was.
class Visited {
public:
    Visited(uint64_t placements, int freeCells)
        : free_(unsigned(freeCells)), mask_((uint64_t(1) << freeCells) - 1),
          bits_((placements * free_ + 63) / 64 + 1, 0) {}
    // The placement's bits, free cell i as bit i.
    uint64_t Load(uint64_t placement) const {
        const uint64_t b = placement * free_;
        const unsigned shift = unsigned(b & 63);
        uint64_t v = bits_[b >> 6] >> shift;
        if (shift + free_ > 64) v |= bits_[(b >> 6) + 1] << (64 - shift);
        return v & mask_;
    }
    void Prefetch(uint64_t placement) const { __builtin_prefetch(&bits_[placement * free_ >> 6]); }
    void Add(uint64_t placement, uint64_t slots) {
        const uint64_t b = placement * free_;
        const unsigned shift = unsigned(b & 63);
        bits_[b >> 6] |= slots << shift;
        if (shift + free_ > 64) bits_[(b >> 6) + 1] |= slots >> (64 - shift);
    }

private:
    unsigned free_;
    uint64_t mask_;
    std::vector<uint64_t> bits_;
};

// The free cells of `zone` numbered among all free cells.
uint64_t Slots(uint64_t zone, uint64_t free) {
    uint64_t slots = 0;
    for (unsigned slot = 0; free; free &= free - 1, ++slot)
        if (zone & free & (~free + 1)) slots |= uint64_t(1) << slot;
    return slots;
}

}  // namespace

PatternDb::PatternDb(int size, std::vector<uint8_t> tiles)
    : size_(size), cells_(size * size), tiles_(std::move(tiles)) {
    std::vector<uint8_t> sorted = tiles_;
    std::sort(sorted.begin(), sorted.end());
    if (size_ < 3 || size_ > 5 || tiles_.empty() || tiles_.size() > kMaxTiles || sorted.back() >= cells_ - 1 ||
        std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        throw std::invalid_argument("pattern does not fit the board");
    entries_ = 1;
    radix_.assign(tiles_.size(), 1);
    for (size_t i = tiles_.size(); i-- > 0;) {
        radix_[i] = entries_;
        entries_ *= uint64_t(cells_) - i;
    }
}

uint64_t PatternDb::Index(const uint8_t* cells) const {
    uint64_t index = 0;
    for (size_t i = 0; i < tiles_.size(); ++i) {
        int digit = cells[i];
        for (size_t j = 0; j < i; ++j) digit -= cells[j] < cells[i];
        index += uint64_t(digit) * radix_[i];
    }
    return index;
}

bool PatternDb::Build(const std::atomic<bool>* stop) {
    const Grid grid(size_);
    const int k = int(tiles_.size());
    // A state of the search is a placement and one cell of the gap's zone, kept as the
    // tiles' cells and the gap's cell packed into 32 bits.
    const int bits = cells_ <= 16 ? 4 : 5;
    if ((k + 1) * bits > 32) throw std::invalid_argument("pattern too large to build");
    const uint32_t cellMask = (1u << bits) - 1;
    packed_.assign(size_t((entries_ + 1) / 2), 0);
    Visited visited(entries_, cells_ - k);

    const auto manhattan = [&](const uint8_t* cells) {
        int md = 0;
        for (int i = 0; i < k; ++i) {
            const int home = tiles_[size_t(i)];
            md += std::abs(cells[i] / size_ - home / size_) + std::abs(cells[i] % size_ - home % size_);
        }
        return md;
    };
    const auto pack = [&](const uint8_t* cells, int gap) {
        uint32_t state = uint32_t(gap) << (k * bits);
        for (int i = 0; i < k; ++i) state |= uint32_t(cells[i]) << (i * bits);
        return state;
    };

    uint8_t cells[8];
    uint64_t occupied = 0;
    for (int i = 0; i < k; ++i) {
        cells[i] = tiles_[size_t(i)];
        occupied |= uint64_t(1) << cells[i];
    }
    // Layers grow to tens of millions of states: kept in chunks, not in one array that
    // doubles as it grows.
    std::deque<uint32_t> frontier, next;
    const uint64_t startFree = grid.all & ~occupied;
    visited.Add(Index(cells), Slots(grid.Zone(cells_ - 1, startFree), startFree));
    frontier.push_back(pack(cells, cells_ - 1));

    struct Move {
        uint64_t index;
        uint8_t tile, from, to;
    };
    Move moves[32];
    uint64_t work = 0;
    for (int distance = 0; !frontier.empty(); ++distance) {
        next.clear();
        for (const uint32_t state : frontier) {
            if ((++work & 0xfff) == 0 && stop && stop->load(std::memory_order_relaxed)) return false;
            occupied = 0;
            for (int i = 0; i < k; ++i) {
                cells[i] = uint8_t(state >> (i * bits) & cellMask);
                occupied |= uint64_t(1) << cells[i];
            }
            const uint64_t zone = grid.Zone(int(state >> (k * bits)), grid.all & ~occupied);
            // Every move of a pattern tile into the gap's zone, its target fetched early:
            // the visited bits are far apart and the fetches overlap.
            int count = 0;
            for (int i = 0; i < k; ++i) {
                const uint8_t from = cells[i];
                for (uint64_t to = grid.Neighbours(uint64_t(1) << from) & zone; to; to &= to - 1) {
                    cells[i] = uint8_t(LowestBit(to));
                    moves[count] = {Index(cells), uint8_t(i), from, cells[i]};
                    visited.Prefetch(moves[count++].index);
                }
                cells[i] = from;
            }
            for (int m = 0; m < count; ++m) {
                const Move& move = moves[m];
                const uint64_t movedOccupied = occupied ^ (uint64_t(1) << move.from) ^ (uint64_t(1) << move.to);
                const uint64_t movedFree = grid.all & ~movedOccupied;
                const uint64_t seen = visited.Load(move.index);
                // The gap now stands where the tile was.
                if (seen >> (move.from - PopCount(movedOccupied & ((uint64_t(1) << move.from) - 1))) & 1) continue;
                visited.Add(move.index, Slots(grid.Zone(move.from, movedFree), movedFree));
                cells[move.tile] = move.to;
                if (seen == 0) {
                    const int excess = std::min(15, (distance + 1 - manhattan(cells)) / 2);
                    packed_[move.index >> 1] |= uint8_t(excess << ((move.index & 1) * 4));
                }
                next.push_back(pack(cells, move.from));
                cells[move.tile] = move.from;
            }
        }
        std::swap(frontier, next);
    }
    return true;
}

}  // namespace solver
