#pragma once
#include <string>

#include "solver/layout.h"
#include "solver/stopper.h"

namespace solver {

// Brings home the top row and the left column of the square region of the board from
// (offset, offset) to the bottom-right corner, moving only inside that region, so that the
// rest is a board one size smaller. The tiles outside the region must be home already, and
// so the region holds exactly its own tiles.
//
// A beam search over the tiles that matter (where the row's and column's tiles and the gap
// stand; every other tile is alike): each step keeps the `width` most promising boards by
// how far those tiles are from home. A wider beam finds shorter ways and takes longer.
// True with the moves in `moves` (none when the row and column are home already); false
// when the stopper stopped it.
bool ReduceRegion(const Layout& board, int offset, int width, Stopper& stopper, std::string& moves);

}  // namespace solver
