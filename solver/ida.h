#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "solver/patterndb.h"
#include "solver/stopper.h"

namespace solver {

// The lower bound an iterative-deepening search steers by: disjoint pattern databases added
// up (a tile in none of them counts its Manhattan distance), and the same bound of the board
// mirrored about its main diagonal (which leaves the solved board as it is), the larger of
// the two taken.
struct Heuristic {
    int size = 4;
    std::vector<std::shared_ptr<const PatternDb>> patterns;
};

// Weights are in sixteenths: this one finds a shortest solution.
constexpr int kOptimalWeight = 16;

struct SearchResult {
    bool found = false;
    std::string moves;
    uint64_t nodes = 0;
};

// Iterative-deepening A* from `cells` (size*size numbers in the solver's internal naming:
// each tile named by its home cell, the gap size*size-1), for boards of 4 x 4 and 5 x 5.
// Tables made for another size are not used (the Manhattan distance stands in).
// `weight` in sixteenths: kOptimalWeight finds a shortest solution; twice that steers by
// twice the lower bound and finds a solution at most twice as long, much sooner. Only solutions shorter than `shorterThan`
// are looked for (found false when there is none). Gives up (found false) when the stopper
// says so.
SearchResult IdaSearch(int size, const uint8_t* cells, const Heuristic& heuristic, int weight, Stopper& stopper,
                       int shorterThan = 1 << 30);

}  // namespace solver
