#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "solver/position.h"
#include "solver/tables.h"

namespace solver {

struct Solution {
    bool found = false;    // false: stopped before any answer
    bool optimal = false;  // proven to be a shortest solution
    std::string moves;     // letters L R U D (see position.h)
};

struct SolveOptions {
    // CPU time for a board of 5 x 5 or more, whose answers are bounded, not proven: the
    // first comes within milliseconds, better ones while time is left. 3 x 3 and 4 x 4
    // boards are always solved to the proven optimum, however long that takes.
    double cpuSeconds = 1.0;
    // Wait for the strong tables, building them on first use (a command-line run), rather
    // than search with what is ready and let them be made in the background (a game).
    bool waitForTables = false;
};

// Solves one position (it must be solvable: Problem(position) empty). Every solution
// returned or passed to `progress` has been replayed on the position and ends solved;
// `progress` sees each better one as it is found, on the calling thread. Returns the best,
// or a solution not found when `cancel` was set before the first.
Solution Solve(const Position& position, TableStore& tables, const SolveOptions& options,
               const std::atomic<bool>* cancel = nullptr,
               const std::function<void(const Solution&)>& progress = {});

}  // namespace solver
