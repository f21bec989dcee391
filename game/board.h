#pragma once
#include <cstdint>

class Random;

// The puzzle: an N x N board of tiles with one empty cell, the move rule, the slide
// animation and the shuffle. Cells and tiles are numbered down each column:
// index = column * N + row, and tile t's home is the cell with index t.
class Board {
public:
    static constexpr int MaxCells = 8;

    int BoardCols = 3, BoardRows = 3;
    int32_t TileGrid[MaxCells][MaxCells] = {};  // [column][row]

    // Layout in BackBuffer pixels, set by the level loader.
    int BoardLeft = 0, BoardTop = 0, BoardSize = 0, TileSize = 1;

    bool Sliding = false;
    int SlideFrom = -1, SlideTo = -1;
    int SlideOffsetX = 0, SlideOffsetY = 0;

    int32_t MoveCount = 0;

    int EmptyMarker() const { return BoardCols * BoardRows; }
    int CellIndex(int column, int row) const { return column * BoardCols + row; }
    int CellColumn(int index) const { return index / BoardCols; }
    int CellRow(int index) const { return index % BoardRows; }
    int TileAt(int index) const { return TileGrid[CellColumn(index)][CellRow(index)]; }

    int CellAtPoint(int x, int y) const;  // -1 outside the board
    int FindEmptyCell() const;            // 0 when no cell holds the empty marker

    // Starts a move of the tile at index if a neighbour is the empty cell; true if it did.
    // Counts the move; the grid changes only when the slide ends.
    bool TryMoveCell(int index);

    // The cell whose tile an arrow key moves into the gap, or -1 at the board's edge.
    enum class Arrow { Left, Right, Up, Down };
    int CellForArrow(Arrow arrow) const;

    // One animation step of `speed` pixels; true on the step that ends the slide.
    bool AdvanceSlide(int speed);
    void ClearSlide();

    // Every cell holds its own index except the last, which may hold anything.
    bool IsSolved() const;

    void ShuffleBoard(Random& random);
    void SolveBoardNow();
};
