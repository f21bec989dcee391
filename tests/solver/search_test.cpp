#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "solver/fulltable.h"
#include "solver/ida.h"
#include "solver/layout.h"
#include "solver/patterndb.h"
#include "solver/reduce.h"
#include "solver/shorten.h"
#include "tests/solver/testboards.h"

namespace {

using solver::Layout;
using solver::Position;

// Every 3 x 3 board's distance by a breadth-first search of our own, on the boards as text.
const std::unordered_map<std::string, int>& Truth() {
    static const std::unordered_map<std::string, int> truth = [] {
        std::unordered_map<std::string, int> d;
        std::vector<std::string> frontier{"123456780"};
        d[frontier[0]] = 0;
        for (int depth = 1; !frontier.empty(); ++depth) {
            std::vector<std::string> next;
            for (const std::string& s : frontier) {
                const int gap = int(s.find('0'));
                for (int from : {gap - 3, gap + 3, gap % 3 ? gap - 1 : -1, gap % 3 < 2 ? gap + 1 : -1}) {
                    if (from < 0 || from > 8) continue;
                    std::string t = s;
                    std::swap(t[size_t(gap)], t[size_t(from)]);
                    if (d.emplace(t, depth).second) next.push_back(t);
                }
            }
            frontier.swap(next);
        }
        return d;
    }();
    return truth;
}

Position FromText(const std::string& s) {
    Position p{3, {}};
    for (char c : s) p.cells.push_back(c - '0');
    return p;
}

TEST(FullTable, EveryBoardAnsweredWithItsTrueDistance) {
    static const solver::FullTable table;
    ASSERT_EQ(Truth().size(), 181440u);
    int replayed = 0;
    for (const auto& [text, distance] : Truth()) {
        const Position p = FromText(text);
        ASSERT_EQ(table.Distance(p), distance) << text;
        if (std::hash<std::string>()(text) % 64 == 0) {
            const std::string moves = table.Solve(p);
            ASSERT_EQ(int(moves.size()), distance) << text;
            ASSERT_TRUE(solver::Solves(p, moves)) << text;
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 2000);
}

// Pattern databases over disjoint patterns add up to a bound that never exceeds the true
// distance, and that is stronger than the Manhattan distance on some boards.
TEST(PatternDb, DisjointTablesAddUpToAnAdmissibleBound) {
    solver::PatternDb first(3, {0, 1, 2, 3}), second(3, {4, 5, 6, 7});
    ASSERT_TRUE(first.Build());
    ASSERT_TRUE(second.Build());
    int stronger = 0;
    for (const auto& [text, distance] : Truth()) {
        const Layout l = Layout::From(FromText(text));
        int bound = 0, manhattan = 0;
        for (const solver::PatternDb* db : {&first, &second}) {
            uint8_t cells[4];
            int md = 0;
            for (size_t i = 0; i < 4; ++i) {
                const int tile = db->Tiles()[i];
                cells[i] = uint8_t(std::find(l.tile, l.tile + 9, tile) - l.tile);
                md += std::abs(cells[i] / 3 - tile / 3) + std::abs(cells[i] % 3 - tile % 3);
            }
            bound += db->Value(db->Index(cells), md);
            manhattan += md;
        }
        ASSERT_LE(bound, distance) << text;
        stronger += bound > manhattan;
    }
    EXPECT_GT(stronger, 10000);
}

TEST(PatternDb, IndexNumbersEveryPlacementOnce) {
    const solver::PatternDb db(4, {5, 0, 9});
    std::set<uint64_t> seen;
    uint8_t cells[3];
    for (cells[0] = 0; cells[0] < 16; ++cells[0])
        for (cells[1] = 0; cells[1] < 16; ++cells[1])
            for (cells[2] = 0; cells[2] < 16; ++cells[2]) {
                if (cells[0] == cells[1] || cells[0] == cells[2] || cells[1] == cells[2]) continue;
                const uint64_t index = db.Index(cells);
                ASSERT_LT(index, db.Entries());
                ASSERT_TRUE(seen.insert(index).second);
            }
    EXPECT_EQ(seen.size(), db.Entries());
}

solver::Heuristic SmallHeuristic() {
    static const solver::Heuristic h = [] {
        solver::Heuristic h;
        h.size = 4;
        for (const auto& tiles : testboards::SmallPlan().strong[0]) {
            auto db = std::make_shared<solver::PatternDb>(4, tiles);
            db->Build();
            h.patterns.push_back(db);
        }
        return h;
    }();
    return h;
}

// The pattern-database search finds solutions as short as a plain Manhattan-distance
// iterative deepening (written separately) does; the weighted one at most twice as long.
TEST(Ida, PatternSearchIsAsShortAsPlainManhattanSearch) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const Position p = testboards::Walk(4, 34, seed);
        const Layout l = Layout::From(p);
        solver::Stopper stopper(nullptr, 10);  // a wrong bound may never reach the goal
        std::string plain;
        ASSERT_TRUE(solver::ShortestBetween(l, Layout::From(solver::Solved(4)), 80, plain, stopper));
        const solver::SearchResult optimal = solver::IdaSearch(4, l.tile, SmallHeuristic(), solver::kOptimalWeight, stopper);
        ASSERT_TRUE(optimal.found);
        EXPECT_EQ(optimal.moves.size(), plain.size()) << seed;
        EXPECT_TRUE(solver::Solves(p, optimal.moves));
        const solver::SearchResult weighted = solver::IdaSearch(4, l.tile, SmallHeuristic(), 2 * solver::kOptimalWeight, stopper);
        ASSERT_TRUE(weighted.found);
        EXPECT_LE(weighted.moves.size(), 2 * plain.size());
        EXPECT_TRUE(solver::Solves(p, weighted.moves));
    }
}

TEST(Shorten, LoopsAndDetoursAreTakenOut) {
    static const solver::FullTable table;
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        Position p = testboards::Shuffled(3, seed);
        // Turning the gap once round a 2 x 2 block next to it cycles three tiles: three turns
        // are a loop back to the same board, two turns (8 moves) do what one turn the other
        // way (4 moves) does.
        const int gap = int(std::find(p.cells.begin(), p.cells.end(), 0) - p.cells.begin());
        const char h = gap % 3 < 2 ? 'L' : 'R', v = gap / 3 < 2 ? 'U' : 'D';
        const std::string turn = {h, v, solver::Opposite(h), solver::Opposite(v)};
        Position detoured = p;
        for (char m : turn + turn) ASSERT_TRUE(solver::ApplyMove(detoured, m));
        const std::string padded = turn + turn + turn + turn + turn + table.Solve(detoured);
        ASSERT_TRUE(solver::Solves(p, padded));
        solver::Stopper stopper;
        const std::string shorter = solver::Shorten(Layout::From(p), padded, 12, stopper);
        EXPECT_TRUE(solver::Solves(p, shorter));
        EXPECT_LE(shorter.size(), padded.size() - 16) << seed;
        EXPECT_GE(int(shorter.size()), table.Distance(p));
    }
}

// A reduction brings the region's top row and left column home and never moves a tile
// outside the region.
TEST(Reduce, BringsRowAndColumnHomeWithinTheRegion) {
    Layout board = Layout::From(testboards::Shuffled(6, 3));
    solver::Stopper stopper;
    for (int offset = 0; offset < 2; ++offset) {
        std::string moves;
        ASSERT_TRUE(solver::ReduceRegion(board, offset, 64, stopper, moves));
        ASSERT_FALSE(moves.empty());
        for (char m : moves) {
            board.Apply(m);
            ASSERT_GE(board.gap / 6, offset);
            ASSERT_GE(board.gap % 6, offset);
        }
        for (int i = 0; i <= offset; ++i)
            for (int j = i; j < 6; ++j) {
                EXPECT_EQ(board.tile[i * 6 + j], i * 6 + j);
                EXPECT_EQ(board.tile[j * 6 + i], j * 6 + i);
            }
    }
}

}  // namespace
