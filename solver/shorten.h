#pragma once
#include <cstdint>
#include <string>

#include "solver/layout.h"
#include "solver/stopper.h"

namespace solver {

// The fewest moves from `from` to `to` if there is a way of at most `limit` moves (found by
// iterative deepening on the Manhattan distance between the two): true and the moves in
// `moves`; false when there is none that short, when the search would look at more than
// `nodes` boards, or when the stopper says stop.
bool ShortestBetween(const Layout& from, const Layout& to, int limit, std::string& moves, Stopper& stopper,
                     uint64_t nodes = UINT64_MAX);

// A solution of `start` made shorter where it can be: a walk that comes back to a board it
// has seen is cut out, and each stretch of up to `window` moves is replaced by a shorter way
// between its two ends where one exists. Stops early (with what it has so far) when told.
// A stretch whose search would look at more than `nodes` boards is left as it is.
std::string Shorten(const Layout& start, const std::string& moves, int window, Stopper& stopper,
                    uint64_t nodes = 200000);

}  // namespace solver
