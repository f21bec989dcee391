#include "solver/layout.h"

#include <cstring>

namespace solver {

Layout Layout::From(const Position& position) {
    Layout l;
    l.size = position.size;
    for (int c = 0; c < l.Cells(); ++c) {
        const int v = position.cells[size_t(c)];
        l.tile[c] = uint8_t(v == 0 ? l.GapTile() : v - 1);
        if (v == 0) l.gap = c;
    }
    return l;
}

int Layout::Source(char move) const { return MoveSource(size, gap, move); }

bool Layout::Play(const std::string& moves) {
    for (char m : moves) {
        if (Source(m) < 0) return false;
        Apply(m);
    }
    return true;
}

bool Layout::Solved() const {
    for (int c = 0; c < Cells(); ++c)
        if (tile[c] != c) return false;
    return true;
}

bool Layout::operator==(const Layout& other) const {
    return size == other.size && std::memcmp(tile, other.tile, size_t(Cells())) == 0;
}

}  // namespace solver
