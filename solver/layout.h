#pragma once
#include <cstdint>
#include <string>

#include "solver/position.h"

namespace solver {

// A board as the searches see it, for every size: each cell holds its tile's home cell
// (reading order, from 0), so the solved board holds each cell's own number, and the gap is
// the tile size*size-1 (at home in the last cell).
struct Layout {
    int size = 0;
    int gap = 0;
    uint8_t tile[kMaxSize * kMaxSize] = {};

    static Layout From(const Position& position);
    int Cells() const { return size * size; }
    int GapTile() const { return size * size - 1; }

    // The cell whose tile a move slides into the gap, or -1 at the board's edge.
    int Source(char move) const;
    // Slides that tile; the move must be legal.
    void Apply(char move) {
        const int from = Source(move);
        tile[gap] = tile[from];
        tile[from] = uint8_t(GapTile());
        gap = from;
    }
    bool Play(const std::string& moves);  // false at the first illegal move
    bool Solved() const;
    bool operator==(const Layout& other) const;
};

// The letter that slides the tile at `from` into the gap at `gap` (neighbouring cells).
inline char MoveLetter(int gap, int from, int size) {
    return from == gap + 1 ? 'L' : from == gap - 1 ? 'R' : from == gap + size ? 'U' : 'D';
}
inline char Opposite(char move) {
    return move == 'L' ? 'R' : move == 'R' ? 'L' : move == 'U' ? 'D' : 'U';
}

}  // namespace solver
