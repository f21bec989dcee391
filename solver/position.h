#pragma once
#include <string>
#include <vector>

// The solver's own terms, shared by the command line and the game:
//
//   A position is size x size cells (size 3 to 7) in reading order, row by row from the
//   top-left; each cell holds its tile's number, 0 the empty cell. Solved is 1, 2, ...,
//   size*size-1, then 0 (the empty cell bottom-right).
//
//   A move is one letter, the direction the tile moves into the gap, as the arrow keys name
//   it: L (the tile right of the gap moves left), R, U (the tile below the gap moves up), D.
//
// The game keeps its grid column by column (cell index = column * N + row, tile t's home is
// cell t, N*N the empty cell); FromColumnMajor converts it. Its arrow keys mean the same as
// the letters: 'L' is Board::Arrow::Left, 'R' Right, 'U' Up, 'D' Down.
namespace solver {

constexpr int kMinSize = 3;
constexpr int kMaxSize = 7;

struct Position {
    int size = 0;
    std::vector<int> cells;  // size * size numbers, reading order
};

// The solved position of a size.
Position Solved(int size);
bool IsSolved(const Position& position);

// Why the position cannot be solved, as a short phrase ("number 9 is out of range 0..8"),
// or an empty string when it can: the size, the count of cells, each number in range and
// used once, and the permutation's parity (half of all arrangements cannot be reached).
std::string Problem(const Position& position);

// Reads one position from text: numbers separated by spaces, tabs or commas. On failure
// returns false and says why in `why` (text that is not a number, a count that is not the
// square of 3 to 7, then anything Problem finds).
bool ParsePosition(const std::string& text, Position& position, std::string& why);

// The game's grid, column by column (grid[column * size + row]), tile t at home in cell t,
// size*size the empty cell, in the solver's terms. A grid of the wrong length gives a
// position without cells, which Problem() refuses.
Position FromColumnMajor(int size, const std::vector<int>& grid);

// The cell (row by row) whose tile a move slides into the gap at `gap`, or -1 when no tile
// can move that way.
int MoveSource(int size, int gap, char move);

// Slides one tile; false (position unchanged) when no tile can move that way.
bool ApplyMove(Position& position, char move);

// Replays the moves from the position: true when every move is legal and the last one
// leaves it solved.
bool Solves(const Position& position, const std::string& moves);

// The Manhattan distance of every tile plus 2 for each linear conflict (two tiles in their
// home row or column in reversed order; counted by the fewest tiles to take out of each
// line): a lower bound on the moves of any solution.
int LowerBound(const Position& position);

}  // namespace solver
