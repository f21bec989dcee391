#include "solver/fulltable.h"

#include <utility>

namespace solver {

namespace {

constexpr int kFactorial[9] = {1, 1, 2, 6, 24, 120, 720, 5040, 40320};
constexpr uint8_t kUnseen = 0xff;
constexpr char kMoves[4] = {'L', 'R', 'U', 'D'};
// Where a tile comes from for each move, relative to the gap: L takes the tile on the right.
constexpr int kRowStep[4] = {0, 0, 1, -1};
constexpr int kColumnStep[4] = {1, -1, 0, 0};
// The move that undoes each.
constexpr int kOpposite[4] = {1, 0, 3, 2};

int GapOf(const uint8_t cells[9]) {
    for (int i = 0; i < 9; ++i)
        if (cells[i] == 0) return i;
    return -1;
}

// The cell of the tile that `move` slides into the gap, or -1 at the edge.
int Source(int gap, int move) {
    const int row = gap / 3 + kRowStep[move], column = gap % 3 + kColumnStep[move];
    if (row < 0 || row > 2 || column < 0 || column > 2) return -1;
    return row * 3 + column;
}

}  // namespace

uint32_t FullTable::Rank(const uint8_t cells[9]) {
    uint32_t rank = 0;
    for (int i = 0; i < 9; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < 9; ++j) smaller += cells[j] < cells[i];
        rank += uint32_t(smaller * kFactorial[8 - i]);
    }
    return rank;
}

FullTable::FullTable() : entries_(362880, kUnseen) {
    // Breadth first from the solved position; a position's best move undoes the move that
    // reached it.
    std::vector<std::array<uint8_t, 9>> frontier(1), next;
    frontier[0] = {1, 2, 3, 4, 5, 6, 7, 8, 0};
    entries_[Rank(frontier[0].data())] = 0;
    for (int distance = 1; !frontier.empty(); ++distance) {
        next.clear();
        for (const auto& cells : frontier) {
            const int gap = GapOf(cells.data());
            for (int move = 0; move < 4; ++move) {
                const int from = Source(gap, move);
                if (from < 0) continue;
                auto moved = cells;
                std::swap(moved[size_t(gap)], moved[size_t(from)]);
                uint8_t& entry = entries_[Rank(moved.data())];
                if (entry != kUnseen) continue;
                entry = uint8_t(distance | kOpposite[move] << 5);
                next.push_back(moved);
            }
        }
        std::swap(frontier, next);
    }
}

int FullTable::Distance(const Position& position) const {
    if (position.size != 3 || position.cells.size() != 9) return -1;
    uint8_t cells[9];
    for (int i = 0; i < 9; ++i) {
        const int v = position.cells[size_t(i)];
        if (v < 0 || v > 8) return -1;
        cells[i] = uint8_t(v);
    }
    const uint8_t entry = entries_[Rank(cells)];
    return entry == kUnseen ? -1 : entry & 31;
}

std::string FullTable::Solve(const Position& position) const {
    std::string moves;
    if (Distance(position) < 0) return moves;
    uint8_t cells[9];
    for (int i = 0; i < 9; ++i) cells[i] = uint8_t(position.cells[size_t(i)]);
    int gap = GapOf(cells);
    // Each move goes one step nearer: at most 31 (the farthest 3 x 3 board).
    for (int step = 0; step < 32; ++step) {
        const uint8_t entry = entries_[Rank(cells)];
        if ((entry & 31) == 0) break;
        const int move = entry >> 5;
        const int from = Source(gap, move);
        std::swap(cells[gap], cells[from]);
        gap = from;
        moves += kMoves[move];
    }
    return moves;
}

}  // namespace solver
