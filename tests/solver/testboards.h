#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "solver/position.h"
#include "solver/tables.h"

namespace testboards {

// A board made by a random walk of the gap (never straight back), so solvable, with an
// optimum of at most `steps`.
inline solver::Position Walk(int size, int steps, uint32_t seed) {
    std::mt19937 random(seed);
    solver::Position p = solver::Solved(size);
    char last = 0;
    for (int i = 0; i < steps;) {
        const char move = "LRUD"[random() % 4];
        const char back = last == 'L' ? 'R' : last == 'R' ? 'L' : last == 'U' ? 'D' : last == 'D' ? 'U' : 0;
        if (move == back || !solver::ApplyMove(p, move)) continue;
        last = move;
        ++i;
    }
    return p;
}

// A uniformly random solvable board: a shuffle, with two tiles swapped when its parity is wrong.
inline solver::Position Shuffled(int size, uint32_t seed) {
    std::mt19937 random(seed);
    solver::Position p = solver::Solved(size);
    std::shuffle(p.cells.begin(), p.cells.end(), random);
    if (!solver::Problem(p).empty()) {
        auto first = std::find_if(p.cells.begin(), p.cells.end(), [](int v) { return v != 0; });
        auto second = std::find_if(first + 1, p.cells.end(), [](int v) { return v != 0; });
        std::iter_swap(first, second);
    }
    return p;
}

// Pattern databases that build in milliseconds: 4-4-4-3 on 4 x 4, groups of three on 5 x 5.
inline solver::TablePlan SmallPlan() {
    solver::TablePlan plan;
    plan.strong[0] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}, {12, 13, 14}};
    plan.strong[1] = {{0, 1, 2}, {3, 4, 9}, {5, 6, 7}, {8, 13, 14}, {10, 11, 12}, {15, 16, 20}, {17, 21, 22},
                      {18, 19, 23}};
    return plan;
}

// A fresh folder under the system's temporary folder, removed with the object.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::random_device random;
        path_ = (std::filesystem::temp_directory_path() / ("marlipan-solver-test-" + std::to_string(random())))
                    .string();
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The small tables, built in memory once for the whole test program.
inline solver::TableStore& SmallTables() {
    static solver::TableStore store("", SmallPlan());
    return store;
}

}  // namespace testboards
