#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/random.h"
#include "game/board.h"

namespace {

Board MakeBoard(int n, int tileSize = 0) {
    Board b;
    b.BoardCols = b.BoardRows = n;
    b.TileSize = tileSize ? tileSize : 245 / n;
    b.BoardSize = b.TileSize * n;
    b.BoardLeft = 35;
    b.BoardTop = 50;
    b.SolveBoardNow();
    b.TileGrid[n - 1][n - 1] = b.EmptyMarker();
    return b;
}

// The 15-puzzle invariant: a position is reachable from the solved one exactly when the
// parity of the permutation (gap included) equals the parity of the gap's distance home.
bool Solvable(const Board& b) {
    const int n = b.BoardCols;
    std::vector<int> cells;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) cells.push_back(b.TileGrid[c][r]);
    int inversions = 0;
    for (size_t i = 0; i < cells.size(); ++i)
        for (size_t j = i + 1; j < cells.size(); ++j) inversions += cells[i] > cells[j];
    const int empty = b.FindEmptyCell();
    const int distance = (n - 1 - b.CellColumn(empty)) + (n - 1 - b.CellRow(empty));
    return inversions % 2 == distance % 2;
}

bool IsPermutation(const Board& b) {
    const int n = b.BoardCols;
    std::vector<int> cells;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) cells.push_back(b.TileGrid[c][r]);
    std::sort(cells.begin(), cells.end());
    for (int i = 0; i < n * n; ++i)
        if (cells[size_t(i)] != i + (i == n * n - 1 ? 1 : 0)) return false;
    return true;
}

// The shuffle as its rule reads, step by step, for a board solved with the gap last: a
// walk of the gap of 100 N^2 + 1 steps; within a step, draws repeat until exactly one of
// dx, dy is non-zero and the gap stays on the board, and the component a draw does not set
// keeps the value it had from the step's earlier draws.
void WalkTheGap(Board& b, Random& random) {
    const int n = b.BoardCols;
    const int f[3] = {0, +1, -1};
    int ec = n - 1, er = n - 1;
    for (int step = 0; step < 100 * n * n + 1; ++step) {
        int dx = 0, dy = 0;
        for (;;) {
            if (random.Next(2) == 0) dx = f[random.Next(3)];
            else dy = f[random.Next(3)];
            const bool onBoard = ec + dx >= 0 && ec + dx < n && er + dy >= 0 && er + dy < n;
            if (onBoard && std::abs(dx) != std::abs(dy)) break;
        }
        std::swap(b.TileGrid[ec][er], b.TileGrid[ec + dx][er + dy]);
        ec += dx;
        er += dy;
    }
}

int FramesOfSlide(Board& b, int index, int speed) {
    EXPECT_TRUE(b.TryMoveCell(index));
    int frames = 1;
    while (!b.AdvanceSlide(speed)) ++frames;
    return frames;
}

}  // namespace

TEST(Board, ShuffledBoardIsNeverSolvedAndAlwaysSolvable) {
    Random random;
    for (int n = 3; n <= 7; ++n) {
        for (uint32_t seed = 0; seed < 60; ++seed) {
            random.Seed(seed);
            Board b = MakeBoard(n);
            b.ShuffleBoard(random);
            ASSERT_FALSE(b.IsSolved()) << "n=" << n << " seed=" << seed;
            // An odd number of steps leaves the gap an odd distance from its home.
            const int empty = b.FindEmptyCell();
            ASSERT_EQ((2 * n - 2 - b.CellColumn(empty) - b.CellRow(empty)) % 2, 1) << "n=" << n << " seed=" << seed;
            ASSERT_TRUE(IsPermutation(b)) << "n=" << n << " seed=" << seed;
            ASSERT_TRUE(Solvable(b)) << "n=" << n << " seed=" << seed;
        }
    }
}

TEST(Board, ShuffleDependsOnTheSeedOnlyAndWalksTheGapDrawForDraw) {
    Random a, b;
    a.Seed(7);
    b.Seed(7);
    Board x = MakeBoard(5), y = MakeBoard(5);
    x.ShuffleBoard(a);
    y.ShuffleBoard(b);
    EXPECT_TRUE(std::equal(&x.TileGrid[0][0], &x.TileGrid[0][0] + 64, &y.TileGrid[0][0]));
    // The same board as the rule's walk, from a generator seeded alike.
    for (int n = 3; n <= 7; ++n) {
        for (uint32_t seed = 0; seed < 20; ++seed) {
            a.Seed(seed);
            b.Seed(seed);
            Board shuffled = MakeBoard(n), walked = MakeBoard(n);
            shuffled.ShuffleBoard(a);
            WalkTheGap(walked, b);
            ASSERT_TRUE(std::equal(&shuffled.TileGrid[0][0], &shuffled.TileGrid[0][0] + 64, &walked.TileGrid[0][0]))
                << "n=" << n << " seed=" << seed;
            EXPECT_EQ(a.Next(1 << 30), b.Next(1 << 30)) << "as many draws";
        }
    }
}

TEST(Board, HitTestExcludesTheRightAndBottomBoundary) {
    Board b = MakeBoard(3, 81);  // 35..277 x 50..292
    EXPECT_EQ(b.CellAtPoint(35, 50), 0);
    EXPECT_EQ(b.CellAtPoint(34, 50), -1);
    EXPECT_EQ(b.CellAtPoint(35, 49), -1);
    EXPECT_EQ(b.CellAtPoint(35 + 243 - 1, 50 + 243 - 1), 8);
    EXPECT_EQ(b.CellAtPoint(35 + 243, 100), -1);
    EXPECT_EQ(b.CellAtPoint(100, 50 + 243), -1);
    EXPECT_EQ(b.CellAtPoint(35 + 81, 50), 3);   // column 1, row 0
    EXPECT_EQ(b.CellAtPoint(35, 50 + 81), 1);   // column 0, row 1
}

TEST(Board, SlideLastsCeilOfTileSizeOverSpeedFrames) {
    for (int tile : {81, 61, 49, 40, 35, 143}) {
        for (int speed : {1, 7, 10, 24}) {
            Board b = MakeBoard(3, tile);
            // The gap is the last cell; the tile above it moves down into it.
            const int frames = FramesOfSlide(b, b.CellIndex(2, 1), speed);
            EXPECT_EQ(frames, (tile + speed - 1) / speed) << "tile " << tile << " speed " << speed;
        }
    }
}

TEST(Board, SlideEndsByExchangingTheTwoCellsAndGoingIdle) {
    Board b = MakeBoard(3, 81);
    const int from = b.CellIndex(1, 2), to = b.CellIndex(2, 2);
    const int tile = b.TileAt(from);
    EXPECT_TRUE(b.TryMoveCell(from));
    EXPECT_EQ(b.SlideFrom, from);
    EXPECT_EQ(b.SlideTo, to);
    EXPECT_EQ(b.TileAt(from), tile) << "the grid changes only when the slide ends";
    b.AdvanceSlide(10);
    EXPECT_EQ(b.SlideOffsetX, 10);
    EXPECT_EQ(b.SlideOffsetY, 0);
    while (!b.AdvanceSlide(10)) {}
    EXPECT_EQ(b.TileAt(to), tile);
    EXPECT_EQ(b.TileAt(from), b.EmptyMarker());
    EXPECT_FALSE(b.Sliding);
    EXPECT_EQ(b.SlideFrom, -1);
    EXPECT_EQ(b.SlideTo, -1);
    EXPECT_EQ(b.SlideOffsetX, 0);
}

TEST(Board, OnlyMovesThatStartAreCounted) {
    Board b = MakeBoard(4);
    EXPECT_FALSE(b.TryMoveCell(b.CellIndex(3, 3)));  // the gap itself
    EXPECT_FALSE(b.TryMoveCell(b.CellIndex(0, 0)));  // no empty neighbour
    EXPECT_EQ(b.MoveCount, 0);
    EXPECT_TRUE(b.TryMoveCell(b.CellIndex(3, 2)));
    EXPECT_EQ(b.MoveCount, 1);
    // A restored count at the largest 32-bit value stays there: the move still happens.
    b.ClearSlide();
    b.MoveCount = INT32_MAX;
    EXPECT_TRUE(b.TryMoveCell(b.CellIndex(3, 2)));
    EXPECT_EQ(b.MoveCount, INT32_MAX);
}

TEST(Board, EachArrowMovesTheTileOnItsSideOfTheGapAndNothingAtTheEdge) {
    Board b = MakeBoard(3);
    // Gap in the bottom-right corner: nothing is right of it or below it.
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Left), -1);
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Up), -1);
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Right), b.CellIndex(1, 2));
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Down), b.CellIndex(2, 1));
    // Gap in the top-left corner.
    std::swap(b.TileGrid[0][0], b.TileGrid[2][2]);
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Right), -1);
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Down), -1);
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Left), b.CellIndex(1, 0));
    EXPECT_EQ(b.CellForArrow(Board::Arrow::Up), b.CellIndex(0, 1));
}

TEST(Board, SolveNowShowsTheLastTileAndCountsAsSolved) {
    Random random;
    random.Seed(3);
    Board b = MakeBoard(6);
    b.ShuffleBoard(random);
    b.SolveBoardNow();
    EXPECT_EQ(b.TileGrid[5][5], 35);
    EXPECT_TRUE(b.IsSolved());
}

TEST(Board, EmptyCellSearchFallsBackToZero) {
    Board b = MakeBoard(3);
    EXPECT_EQ(b.FindEmptyCell(), 8);
    b.SolveBoardNow();
    EXPECT_EQ(b.FindEmptyCell(), 0);
}
