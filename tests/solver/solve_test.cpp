#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "solver/background.h"
#include "solver/solve.h"
#include "tests/solver/testboards.h"

namespace {

using solver::Position;
using solver::Solution;

solver::SolveOptions Quick() {
    solver::SolveOptions options;
    options.cpuSeconds = 0.05;
    options.waitForTables = true;
    return options;
}

// One of the 4 x 4 boards farthest from solved (80 moves), which a search on the Manhattan
// distance alone takes many minutes to prove.
const Position kFarthest{4, {0, 12, 9, 13, 15, 11, 10, 14, 3, 7, 5, 6, 4, 8, 2, 1}};

// Time enough for a 6 x 6 search to go on improving for an hour.
solver::SolveOptions AnHour() {
    solver::SolveOptions options;
    options.cpuSeconds = 3600;
    return options;
}

TEST(Solve, EverySizeIsAnsweredWithAReplayedSolution) {
    for (int n = 3; n <= 7; ++n) {
        for (uint32_t seed = 1; seed <= 2; ++seed) {
            const Position p = testboards::Shuffled(n, seed * 31 + uint32_t(n));
            int reports = 0;
            size_t last = SIZE_MAX;
            const Solution s = solver::Solve(p, testboards::SmallTables(), Quick(), nullptr, [&](const Solution& better) {
                EXPECT_TRUE(solver::Solves(p, better.moves));
                EXPECT_LE(better.moves.size(), last);
                last = better.moves.size();
                ++reports;
            });
            ASSERT_TRUE(s.found) << n;
            EXPECT_TRUE(solver::Solves(p, s.moves)) << n;
            EXPECT_EQ(s.optimal, n <= 4) << n;
            EXPECT_GE(int(s.moves.size()), solver::LowerBound(p));
            EXPECT_GE(reports, 1);
        }
        const Solution solved = solver::Solve(solver::Solved(n), testboards::SmallTables(), Quick());
        EXPECT_TRUE(solved.found && solved.optimal && solved.moves.empty()) << n;
    }
}

TEST(Solve, CancelledSearchStopsWithTheBestAnswerSoFar) {
    solver::TableStore manhattanOnly("", solver::TablePlan());
    for (const Position& p : {kFarthest, testboards::Shuffled(6, 1)}) {
        std::atomic<bool> cancel{false};
        const Solution s = solver::Solve(p, manhattanOnly, AnHour(), &cancel, [&](const Solution& first) {
            EXPECT_FALSE(first.optimal);
            cancel = true;  // after the first answer: the rest would take minutes
        });
        EXPECT_TRUE(s.found);
        EXPECT_FALSE(s.optimal);
        EXPECT_TRUE(solver::Solves(p, s.moves));
        const Solution none = solver::Solve(p, manhattanOnly, AnHour(), &cancel);
        EXPECT_FALSE(none.found);
    }
}

solver::BackgroundSolver::Answer WaitFor(const solver::BackgroundSolver& background, uint64_t job, bool finished) {
    for (int i = 0; i < 30000; ++i) {
        const auto answer = background.Best();
        if (answer.job == job && answer.found && (!finished || answer.finished)) return answer;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return background.Best();
}

// A new position drops the search under way (which would go on for an hour), and the
// answers that follow are the new position's; destruction does not wait for the old search.
TEST(BackgroundSolver, StartingAgainDropsTheSearchUnderWay) {
    auto manhattanOnly = std::make_shared<solver::TableStore>("", solver::TablePlan());
    auto background = std::make_unique<solver::BackgroundSolver>(manhattanOnly, AnHour());
    EXPECT_EQ(background->Best().job, 0u);
    const Position large = testboards::Shuffled(6, 2);
    const uint64_t first = background->Start(large);
    const auto answer = WaitFor(*background, first, false);
    ASSERT_TRUE(answer.found);
    EXPECT_FALSE(answer.optimal);
    EXPECT_FALSE(answer.finished);
    EXPECT_TRUE(solver::Solves(large, answer.moves));

    const Position easy = testboards::Shuffled(3, 5);
    const uint64_t next = background->Start(easy);
    EXPECT_EQ(next, first + 1);
    const auto easyAnswer = WaitFor(*background, next, true);
    EXPECT_TRUE(easyAnswer.optimal);
    EXPECT_TRUE(solver::Solves(easy, easyAnswer.moves));

    background->Start(large);
    background.reset();  // returns though the search had an hour to go
}

}  // namespace
