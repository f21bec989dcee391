// The solver's help apart from the window: what a hint takes right after a move.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/solverhelp.h"
#include "game/board.h"
#include "solver/solve.h"
#include "tests/solver/testboards.h"

namespace {

// The solver's position as the game's board.
Board BoardOf(const solver::Position& p) {
    Board b;
    const int n = p.size;
    b.BoardCols = b.BoardRows = n;
    b.TileSize = 10;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const int k = p.cells[size_t(r * n + c)];
            b.TileGrid[c][r] = k == 0 ? n * n : ((k - 1) % n) * n + (k - 1) / n;
        }
    return b;
}

void Slide(Board& b, char move) {
    const Board::Arrow arrow = move == 'L' ? Board::Arrow::Left : move == 'R' ? Board::Arrow::Right
                               : move == 'U' ? Board::Arrow::Up : Board::Arrow::Down;
    ASSERT_TRUE(b.TryMoveCell(b.CellForArrow(arrow)));
    while (!b.AdvanceSlide(b.TileSize)) {}
}

size_t Shortest(const Board& b, solver::TableStore& tables) {
    const solver::Solution s = solver::Solve(BoardPosition(b), tables, {});
    EXPECT_TRUE(s.optimal);
    return s.moves.size();
}

}  // namespace

TEST(SolverHelp, TheRestOfAProvenSolutionServesAtOnceAfterItsFirstMoveOnly) {
    auto tables = std::make_shared<solver::TableStore>("", testboards::SmallPlan());
    SolverHelp help(tables);
    Board b = BoardOf(testboards::Walk(4, 30, 7));
    ASSERT_EQ(BoardPosition(b).cells, testboards::Walk(4, 30, 7).cells);
    help.WantHints(b);
    SolverHelp::Hint first;
    for (int i = 0; i < 1000 && first.kind == SolverHelp::Hint::Wait; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        first = help.HintFor(b, false);
    }
    ASSERT_EQ(first.kind, SolverHelp::Hint::Move);
    const size_t shortest = Shortest(b, *tables);

    // The hinted move played: a proven next move is there before the new search could be.
    Slide(b, first.move);
    help.FollowBoard(b);
    const SolverHelp::Hint next = help.HintFor(b, false);
    ASSERT_EQ(next.kind, SolverHelp::Hint::Move);
    Board after = b;
    Slide(after, next.move);
    EXPECT_EQ(Shortest(after, *tables), shortest - 2);

    // Another move played: the old solution does not solve this board.
    const char other = next.move == 'L' || next.move == 'R' ? (b.CellForArrow(Board::Arrow::Up) >= 0 ? 'U' : 'D')
                                                            : (b.CellForArrow(Board::Arrow::Left) >= 0 ? 'L' : 'R');
    Slide(b, other);
    help.FollowBoard(b);
    const SolverHelp::Hint third = help.HintFor(b, false);
    const size_t now = Shortest(b, *tables);
    if (third.kind == SolverHelp::Hint::Move) {
        Slide(b, third.move);
        EXPECT_EQ(Shortest(b, *tables), now - 1) << "only a move of this board's own shortest solution";
    }
}
