#include "solver/position.h"

#include <algorithm>
#include <cstdlib>

namespace solver {

Position Solved(int size) {
    Position p;
    p.size = size;
    for (int i = 1; i < size * size; ++i) p.cells.push_back(i);
    p.cells.push_back(0);
    return p;
}

bool IsSolved(const Position& position) {
    const int n = position.size * position.size;
    if (n == 0 || int(position.cells.size()) != n) return false;
    for (int i = 0; i + 1 < n; ++i)
        if (position.cells[size_t(i)] != i + 1) return false;
    return position.cells[size_t(n - 1)] == 0;
}

std::string Problem(const Position& position) {
    const int size = position.size;
    if (size < kMinSize || size > kMaxSize)
        return "a board is 3 x 3 to 7 x 7, not " + std::to_string(size) + " x " + std::to_string(size);
    const int n = size * size;
    if (int(position.cells.size()) != n)
        return std::to_string(position.cells.size()) + " numbers for a " + std::to_string(size) + " x " +
               std::to_string(size) + " board of " + std::to_string(n);
    std::vector<bool> seen(size_t(n), false);
    for (int v : position.cells) {
        if (v < 0 || v >= n)
            return "number " + std::to_string(v) + " is out of range 0.." + std::to_string(n - 1);
        if (seen[size_t(v)]) return "number " + std::to_string(v) + " appears twice";
        seen[size_t(v)] = true;
    }
    // A move swaps the gap with a neighbour: one transposition, and the gap's distance from
    // its home corner changes by one. So the two parities stay equal from the solved board.
    std::vector<int> home(static_cast<size_t>(n));
    for (int cell = 0; cell < n; ++cell) {
        const int v = position.cells[size_t(cell)];
        home[size_t(cell)] = v == 0 ? n - 1 : v - 1;
    }
    int transpositions = 0;
    std::vector<bool> done(size_t(n), false);
    for (int start = 0; start < n; ++start) {
        int length = 0;
        for (int c = start; !done[size_t(c)]; c = home[size_t(c)]) {
            done[size_t(c)] = true;
            ++length;
        }
        if (length > 0) transpositions += length - 1;
    }
    const int gap = int(std::find(position.cells.begin(), position.cells.end(), 0) - position.cells.begin());
    const int gapDistance = (size - 1 - gap / size) + (size - 1 - gap % size);
    if (transpositions % 2 != gapDistance % 2)
        return "it cannot be solved: its permutation has the wrong parity (as if two tiles of a "
               "solvable board were swapped)";
    return "";
}

bool ParsePosition(const std::string& text, Position& position, std::string& why) {
    std::vector<int> numbers;
    size_t i = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !separator(text[end])) ++end;
        const std::string word = text.substr(i, end - i);
        i = end;
        const size_t sign = word[0] == '-' ? 1 : 0;
        const bool digits = word.size() > sign && std::all_of(word.begin() + long(sign), word.end(),
                                                               [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) {
            why = "\"" + word + "\" is not a number";
            return false;
        }
        if (word.size() - sign > 9) {
            why = "number " + word + " is out of range";
            return false;
        }
        numbers.push_back(std::atoi(word.c_str()));
    }
    int size = 0;
    for (int s = kMinSize; s <= kMaxSize; ++s)
        if (int(numbers.size()) == s * s) size = s;
    if (size == 0) {
        why = std::to_string(numbers.size()) + " numbers: a board has 9, 16, 25, 36 or 49 (3 x 3 to 7 x 7)";
        return false;
    }
    position.size = size;
    position.cells = numbers;
    why = Problem(position);
    return why.empty();
}

Position FromColumnMajor(int size, const std::vector<int>& grid) {
    Position p;
    p.size = size;
    if (size < kMinSize || size > kMaxSize || grid.size() != size_t(size * size)) return p;  // Problem() says why
    p.cells.assign(size_t(size * size), 0);
    for (int column = 0; column < size; ++column)
        for (int row = 0; row < size; ++row) {
            const int tile = grid[size_t(column * size + row)];
            // Tile t's home is column t / size, row t % size; the empty marker is size*size.
            const int number = tile == size * size ? 0 : (tile % size) * size + tile / size + 1;
            p.cells[size_t(row * size + column)] = number;
        }
    return p;
}

int MoveSource(int size, int gap, char move) {
    const int row = gap / size, column = gap % size;
    switch (move) {
    case 'L': return column + 1 < size ? gap + 1 : -1;
    case 'R': return column > 0 ? gap - 1 : -1;
    case 'U': return row + 1 < size ? gap + size : -1;
    case 'D': return row > 0 ? gap - size : -1;
    default: return -1;
    }
}

bool ApplyMove(Position& position, char move) {
    const auto gapAt = std::find(position.cells.begin(), position.cells.end(), 0);
    if (gapAt == position.cells.end()) return false;
    const int gap = int(gapAt - position.cells.begin());
    const int from = MoveSource(position.size, gap, move);
    if (from < 0) return false;
    std::swap(position.cells[size_t(gap)], position.cells[size_t(from)]);
    return true;
}

bool Solves(const Position& position, const std::string& moves) {
    if (!Problem(position).empty()) return false;
    Position p = position;
    for (char m : moves)
        if (!ApplyMove(p, m)) return false;
    return IsSolved(p);
}

namespace {

// Tiles to take out of a line so that the rest stand in order: the line's length less its
// longest increasing run of home positions.
int ConflictsInLine(const std::vector<int>& homes) {
    std::vector<int> tails;
    for (int h : homes) {
        auto it = std::lower_bound(tails.begin(), tails.end(), h);
        if (it == tails.end()) tails.push_back(h);
        else *it = h;
    }
    return int(homes.size() - tails.size());
}

}  // namespace

int LowerBound(const Position& position) {
    const int size = position.size;
    int bound = 0;
    std::vector<int> line;
    for (int cell = 0; cell < size * size; ++cell) {
        const int v = position.cells[size_t(cell)];
        if (v == 0) continue;
        bound += std::abs((v - 1) / size - cell / size) + std::abs((v - 1) % size - cell % size);
    }
    for (int k = 0; k < size; ++k) {
        line.clear();  // row k: tiles whose home is in row k, by column
        for (int c = 0; c < size; ++c) {
            const int v = position.cells[size_t(k * size + c)];
            if (v != 0 && (v - 1) / size == k) line.push_back((v - 1) % size);
        }
        bound += 2 * ConflictsInLine(line);
        line.clear();  // column k
        for (int r = 0; r < size; ++r) {
            const int v = position.cells[size_t(r * size + k)];
            if (v != 0 && (v - 1) % size == k) line.push_back((v - 1) / size);
        }
        bound += 2 * ConflictsInLine(line);
    }
    return bound;
}

}  // namespace solver
