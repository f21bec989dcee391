#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "solver/position.h"

namespace solver {

// Every one of the 181,440 reachable 3 x 3 positions with its distance from the solved one
// and a move that starts a shortest way there, found by a breadth-first search from the solved
// position. Built in a few milliseconds; an answer is one lookup per move.
class FullTable {
public:
    FullTable();

    // The shortest solution of a solvable 3 x 3 position.
    std::string Solve(const Position& position) const;
    // Its length, or -1 for a position the table does not hold.
    int Distance(const Position& position) const;

    static uint32_t Rank(const uint8_t cells[9]);

private:
    // Per permutation rank: the distance (low 5 bits) and the best move's index in "LRUD"
    // (bits 5-6); 0xff marks an unreachable arrangement.
    std::vector<uint8_t> entries_;
};

}  // namespace solver
