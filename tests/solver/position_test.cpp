#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/random.h"
#include "game/board.h"
#include "solver/fulltable.h"
#include "solver/position.h"
#include "tests/solver/testboards.h"

namespace {

using solver::Position;

std::string Why(const std::string& text) {
    Position p;
    std::string why;
    EXPECT_FALSE(solver::ParsePosition(text, p, why)) << text;
    return why;
}

TEST(Position, EachKindOfBadBoardIsNamedWithItsReason) {
    EXPECT_NE(Why("1 2 3 4 5 6 7 0").find("8 numbers"), std::string::npos);
    EXPECT_NE(Why("1 2 3 4 5 6 7 9 0").find("number 9 is out of range 0..8"), std::string::npos);
    EXPECT_NE(Why("1 2 3 4 5 6 7 -1 0").find("number -1 is out of range"), std::string::npos);
    EXPECT_NE(Why("1 2 3 4 5 5 7 8 0").find("number 5 appears twice"), std::string::npos);
    EXPECT_NE(Why("2 1 3 4 5 6 7 8 0").find("cannot be solved"), std::string::npos);
    EXPECT_NE(Why("1 2 3 4 five 6 7 8 0").find("\"five\" is not a number"), std::string::npos);
    EXPECT_NE(Why("1 2 3 4 5 6 7 8 99999999999").find("out of range"), std::string::npos);
    Position p;
    std::string why;
    EXPECT_TRUE(solver::ParsePosition(" 1,2,3\t4 5,6 , 0 7 8 ", p, why)) << why;
    EXPECT_EQ(p.size, 3);
    EXPECT_EQ(p.cells, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 7, 8}));
}

// The parity rule against the truth: on 3 x 3 the boards reachable from the solved one are
// exactly those a breadth-first search finds; on 4 x 4 (even width, where the gap's row
// counts) a walk is reachable and the same walk with two tiles swapped is not.
TEST(Position, SolvableExactlyWhenReachable) {
    static const solver::FullTable reachable;
    for (uint32_t seed = 0; seed < 400; ++seed) {
        std::mt19937 random(seed);
        Position p = solver::Solved(3);
        std::shuffle(p.cells.begin(), p.cells.end(), random);
        EXPECT_EQ(solver::Problem(p).empty(), reachable.Distance(p) >= 0) << seed;
    }
    for (uint32_t seed = 0; seed < 40; ++seed) {
        Position p = testboards::Walk(4, 25 + int(seed), seed);
        EXPECT_EQ(solver::Problem(p), "");
        const auto a = std::find(p.cells.begin(), p.cells.end(), 1 + int(seed % 7));
        const auto b = std::find(p.cells.begin(), p.cells.end(), 9 + int(seed % 5));
        std::iter_swap(a, b);
        EXPECT_NE(solver::Problem(p), "");
    }
}

TEST(Position, LowerBoundNeverExceedsTheTruthAndCountsConflicts) {
    static const solver::FullTable truth;
    for (uint32_t seed = 0; seed < 300; ++seed) {
        const Position p = testboards::Shuffled(3, seed);
        EXPECT_LE(solver::LowerBound(p), truth.Distance(p)) << seed;
    }
    // 2 and 1 swapped in their home row: Manhattan distance 2, one conflict.
    EXPECT_EQ(solver::LowerBound(Position{3, {2, 1, 3, 4, 5, 6, 7, 8, 0}}), 4);
    // Four tiles one step from home; 3 before 2 in their home row, 4 over 1 in their home
    // column: one conflict each.
    EXPECT_EQ(solver::LowerBound(Position{3, {4, 3, 2, 1, 5, 6, 7, 8, 0}}), 4 + 2 + 2);
}

// The game's board, column by column, converts to the same position after every arrow key
// as the solver's letter for it gives; and a solver's answer, played with the game's own
// arrow keys, solves the game's board.
TEST(Position, GameGridAndArrowKeysMeanTheSameAsTheLetters) {
    static const solver::FullTable table;
    const auto grid = [](const Board& b) {
        std::vector<int> cells;
        for (int c = 0; c < b.BoardCols; ++c)
            for (int r = 0; r < b.BoardRows; ++r) cells.push_back(b.TileGrid[c][r]);
        return solver::FromColumnMajor(b.BoardCols, cells);
    };
    const auto press = [](Board& b, char letter) {
        const Board::Arrow arrow = letter == 'L' ? Board::Arrow::Left
                                   : letter == 'R' ? Board::Arrow::Right
                                   : letter == 'U' ? Board::Arrow::Up
                                                   : Board::Arrow::Down;
        const int cell = b.CellForArrow(arrow);
        if (cell < 0 || !b.TryMoveCell(cell)) return false;
        while (!b.AdvanceSlide(b.TileSize)) {
        }
        return true;
    };
    for (int n : {3, 4, 5}) {
        Board b;
        b.BoardCols = b.BoardRows = n;
        b.TileSize = 10;
        Random random;
        random.Seed(uint32_t(n));
        b.ShuffleBoard(random);
        Position p = grid(b);
        ASSERT_EQ(solver::Problem(p), "");
        for (char letter : std::string("LURDDLLUURRDLU")) {
            const bool moved = press(b, letter);
            EXPECT_EQ(solver::ApplyMove(p, letter), moved);
            EXPECT_EQ(grid(b).cells, p.cells);
        }
        EXPECT_TRUE(solver::IsSolved(grid([&] {
            Board solved = b;
            solved.SolveBoardNow();
            solved.TileGrid[n - 1][n - 1] = solved.EmptyMarker();
            return solved;
        }())));
        if (n == 3) {
            for (char letter : table.Solve(p)) ASSERT_TRUE(press(b, letter));
            EXPECT_TRUE(b.IsSolved());
            EXPECT_TRUE(solver::IsSolved(grid(b)));
        }
    }
}

}  // namespace
