#include "game/board.h"

#include <cstdlib>
#include <limits>
#include <utility>

#include "common/random.h"

int Board::CellAtPoint(int x, int y) const {
    if (x < BoardLeft || x >= BoardLeft + BoardSize) return -1;
    if (y < BoardTop || y >= BoardTop + BoardSize) return -1;
    int column = (x - BoardLeft) / TileSize;
    int row = (y - BoardTop) / TileSize;
    // A board reduced to a multiple of N keeps its unreduced hit area only where cells are.
    if (column >= BoardCols || row >= BoardRows) return -1;
    return CellIndex(column, row);
}

int Board::FindEmptyCell() const {
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r)
            if (TileGrid[c][r] == EmptyMarker()) return CellIndex(c, r);
    return 0;
}

bool Board::TryMoveCell(int index) {
    const int c = CellColumn(index), r = CellRow(index);
    if (c < 0 || c >= BoardCols || r < 0 || r >= BoardRows) return false;
    const int neighbours[4][2] = {{c, r + 1}, {c, r - 1}, {c + 1, r}, {c - 1, r}};
    for (const auto& n : neighbours) {
        if (n[0] < 0 || n[0] > BoardCols - 1 || n[1] < 0 || n[1] > BoardRows - 1) continue;
        if (TileGrid[n[0]][n[1]] != EmptyMarker()) continue;
        // A restored game may bring any count a saved record can hold; the counter
        // stops at the largest one rather than overflow (no game gets near it in play).
        if (MoveCount < std::numeric_limits<int32_t>::max()) ++MoveCount;
        Sliding = true;
        SlideTo = CellIndex(n[0], n[1]);
        SlideFrom = index;
        return true;
    }
    return false;
}

int Board::CellForArrow(Arrow arrow) const {
    const int empty = FindEmptyCell();
    const int ec = CellColumn(empty), er = CellRow(empty);
    switch (arrow) {
    case Arrow::Left: return ec + 1 <= BoardCols - 1 ? CellIndex(ec + 1, er) : -1;
    case Arrow::Right: return ec - 1 >= 0 ? CellIndex(ec - 1, er) : -1;
    case Arrow::Up: return er + 1 <= BoardRows - 1 ? CellIndex(ec, er + 1) : -1;
    case Arrow::Down: return er - 1 >= 0 ? CellIndex(ec, er - 1) : -1;
    }
    return -1;
}

bool Board::AdvanceSlide(int speed) {
    if (!Sliding) return false;
    const int d = SlideTo - SlideFrom;
    if (d == 1) SlideOffsetY += speed;
    else if (d > 1) SlideOffsetX += speed;
    else if (d == -1) SlideOffsetY -= speed;
    else SlideOffsetX -= speed;
    if (std::abs(SlideOffsetX) < TileSize && std::abs(SlideOffsetY) < TileSize) return false;
    std::swap(TileGrid[CellColumn(SlideFrom)][CellRow(SlideFrom)],
              TileGrid[CellColumn(SlideTo)][CellRow(SlideTo)]);
    ClearSlide();
    return true;
}

void Board::ClearSlide() {
    Sliding = false;
    SlideFrom = SlideTo = -1;
    SlideOffsetX = SlideOffsetY = 0;
}

bool Board::IsSolved() const {
    int k = 0;
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r, ++k) {
            const bool last = c == BoardCols - 1 && r == BoardRows - 1;
            if (TileGrid[c][r] != k && !last) return false;
        }
    return true;
}

void Board::ShuffleBoard(Random& random) {
    const int n = BoardCols;
    SolveBoardNow();
    TileGrid[n - 1][n - 1] = EmptyMarker();
    int ec = n - 1, er = n - 1;
    // A random walk of the gap: every shuffled board stays solvable. An odd number of
    // steps means the gap never ends where it started, so the board is never solved.
    const int steps = 100 * n * n + 1;
    static auto f = [](int v) { return v == 0 ? 0 : v == 1 ? 1 : -1; };
    int dx = 0, dy = 0;
    for (int step = 0; step < steps; ++step) {
        dx = 0;
        dy = 0;
        do {
            if (random.Next(2) == 0) dx = f(random.Next(3));
            else dy = f(random.Next(3));
        } while (ec + dx < 0 || ec + dx > n - 1 || er + dy < 0 || er + dy > n - 1 ||
                 std::abs(dx) == std::abs(dy));
        std::swap(TileGrid[ec][er], TileGrid[ec + dx][er + dy]);
        ec += dx;
        er += dy;
    }
}

void Board::SolveBoardNow() {
    int k = 0;
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r) TileGrid[c][r] = k++;
}
