#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace solver {

// An additive pattern database for a few tiles of a size x size board (size 3 to 5).
// Inside the solver a tile is named by its home cell (reading order, from 0), so the solved
// board holds cell i's own number in every cell and the gap is the last cell.
//
// For each placement of the pattern's tiles it holds the fewest moves *of those tiles* that
// bring them all home while the other tiles move freely (a move of another tile costs nothing).
// Databases over disjoint patterns therefore add up to a lower bound on the whole solution.
// Every such count has the parity of the pattern's Manhattan distance, so an entry keeps only
// (moves - manhattan) / 2 in four bits; a larger excess saturates at 15, which still
// underestimates.
class PatternDb {
public:
    static constexpr size_t kMaxTiles = 7;

    // Throws std::invalid_argument unless the tiles are 1 to kMaxTiles distinct tiles of the
    // board (not the gap).
    PatternDb(int size, std::vector<uint8_t> tiles);

    int Size() const { return size_; }
    const std::vector<uint8_t>& Tiles() const { return tiles_; }
    // Number of placements: cells! / (cells - tiles)!.
    uint64_t Entries() const { return entries_; }
    // Multiplier of each tile's digit in a placement's index (tile i's digit is its cell
    // less the cells of earlier tiles before it).
    const std::vector<uint64_t>& Radix() const { return radix_; }

    // Index of a placement: cells[i] is where Tiles()[i] stands.
    uint64_t Index(const uint8_t* cells) const;
    // Lower bound for a placement, given that placement's Manhattan distance.
    int Value(uint64_t index, int manhattan) const { return manhattan + 2 * Excess(index); }
    int Excess(uint64_t index) const { return packed_[index >> 1] >> ((index & 1) * 4) & 15; }

    // Fills the table by a breadth-first search from the solved placement (up to 7 tiles on
    // 4 x 4, 5 on 5 x 5, so that a state packs into 32 bits). Returns false, leaving the
    // table unusable, when `stop` is set before it finishes.
    bool Build(const std::atomic<bool>* stop = nullptr);

    // The packed entries, two to a byte, low nibble first: what a cache file holds.
    std::vector<uint8_t>& Packed() { return packed_; }
    const std::vector<uint8_t>& Packed() const { return packed_; }

private:
    int size_;
    int cells_;
    std::vector<uint8_t> tiles_;
    uint64_t entries_;
    std::vector<uint64_t> radix_;
    std::vector<uint8_t> packed_;
};

}  // namespace solver
