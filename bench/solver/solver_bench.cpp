// The solver's figures, side by side in one run (CPU time of the solving thread):
//
//   3 x 3  every one of the 181,440 solvable boards, checked against a breadth-first search
//   4 x 4  boards/4x4-random.txt (100 uniformly random boards): the solver against a plain
//          IDA* on additive 6-6-3 pattern databases with their reflection, built here
//   5 x 5  boards/5x5-known.txt (boards with their proven optimum) and 5x5-random.txt
//   6 x 6, 7 x 7  boards/6x6-random.txt, 7x7-random.txt
//
// and for each size the time to the first answer, with the tables and without any (as on
// a first start, before they are built). Every answer is replayed.
//
//   marlipan-solver-bench [--boards DIR] [--cache DIR] [--seconds S] [--only SIZES]
//                         (--cache with an empty folder measures building the tables)
//   marlipan-solver-bench --make-boards DIR   (writes the board sets; the 5 x 5 optima
//                                              take a while)
//
// The board sets come from a fixed seed through a generator of our own (SplitMix64 and a
// Fisher-Yates shuffle), so that they are the same on every platform.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "solver/fulltable.h"
#include "solver/ida.h"
#include "solver/layout.h"
#include "solver/patterndb.h"
#include "solver/position.h"
#include "solver/solve.h"
#include "solver/stopper.h"
#include "solver/tables.h"

namespace {

using solver::Position;

double Cpu() { return solver::Stopper::ThreadCpuSeconds(); }

struct SplitMix {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % uint64_t(n)); }
};

Position RandomBoard(int n, SplitMix& random) {
    Position p = solver::Solved(n);
    for (int i = n * n - 1; i > 0; --i) std::swap(p.cells[size_t(i)], p.cells[size_t(random.Below(i + 1))]);
    if (!solver::Problem(p).empty()) {
        // Two tiles swapped: the other half of all arrangements, equally likely.
        auto a = std::find_if(p.cells.begin(), p.cells.end(), [](int v) { return v != 0; });
        auto b = std::find_if(a + 1, p.cells.end(), [](int v) { return v != 0; });
        std::iter_swap(a, b);
    }
    return p;
}

Position WalkedBoard(int n, int steps, SplitMix& random) {
    Position p = solver::Solved(n);
    char last = 0;
    for (int i = 0; i < steps;) {
        const char m = "LRUD"[random.Below(4)];
        if ((last && m == solver::Opposite(last)) || !solver::ApplyMove(p, m)) continue;
        last = m;
        ++i;
    }
    return p;
}

std::string Text(const Position& p) {
    std::string s;
    for (int v : p.cells) s += (s.empty() ? "" : " ") + std::to_string(v);
    return s;
}

struct Board {
    Position position;
    int optimum = -1;  // known shortest length, -1 when unknown
};

// One board per line; "OPTIMUM : numbers" when the optimum is known.
std::vector<Board> ReadBoards(const std::string& path) {
    std::vector<Board> boards;
    std::ifstream in(path);
    if (!in) std::fprintf(stderr, "cannot read %s\n", path.c_str());
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Board b;
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            b.optimum = std::atoi(line.c_str());
            line = line.substr(colon + 1);
        }
        std::string why;
        if (!solver::ParsePosition(line, b.position, why)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
            std::exit(1);
        }
        boards.push_back(b);
    }
    return boards;
}

void MakeBoards(const std::string& folder, const std::string& cache) {
    const auto write = [&](const std::string& name, const std::vector<std::string>& lines, const char* about) {
        std::ofstream out(folder + "/" + name);
        out << "# " << about << "\n";
        for (const auto& l : lines) out << l << "\n";
        out.close();
        if (!out) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name.c_str());
            std::exit(1);
        }
        std::printf("wrote %s/%s\n", folder.c_str(), name.c_str());
    };
    const struct {
        int size, count;
        uint64_t seed;
    } sets[] = {{4, 100, 4004}, {5, 50, 5005}, {6, 30, 6006}, {7, 30, 7007}};
    for (const auto& set : sets) {
        SplitMix random{set.seed};
        std::vector<std::string> lines;
        for (int i = 0; i < set.count; ++i) lines.push_back(Text(RandomBoard(set.size, random)));
        const std::string name = std::to_string(set.size) + "x" + std::to_string(set.size) + "-random.txt";
        write(name, lines, ("uniformly random solvable boards, SplitMix64 seed " + std::to_string(set.seed)).c_str());
    }
    // 5 x 5 boards of a random walk, with the optimum proven by the optimal search.
    solver::TableStore store(cache, solver::TablePlan::Standard());
    const solver::Heuristic h = store.Wait(5, solver::TableStore::Strength::Strong, nullptr);
    SplitMix random{5550};
    std::vector<std::string> lines;
    while (lines.size() < 20) {
        const Position p = WalkedBoard(5, 100 + random.Below(80), random);
        const solver::Layout l = solver::Layout::From(p);
        solver::Stopper stopper(nullptr, 180);
        const double t = Cpu();
        const solver::SearchResult r = solver::IdaSearch(5, l.tile, h, solver::kOptimalWeight, stopper);
        std::printf("  %zu moves proven in %.1f s%s\n", r.moves.size(), Cpu() - t, r.found ? "" : " (gave up)");
        if (r.found && solver::Solves(p, r.moves) && r.moves.size() >= 40)
            lines.push_back(std::to_string(r.moves.size()) + " : " + Text(p));
    }
    write("5x5-known.txt", lines,
          "OPTIMUM : board; random walks of 100-179 moves (SplitMix64 seed 5550) whose optimum, at least "
          "40, IDA* on the 5-5-5-5-4 pattern databases proved within 3 CPU minutes");
}

struct Figures {
    double total = 0, worst = 0, firstWorst = 0, firstTotal = 0, ratioToOptimum = 0, ratioToBound = 0;
    int boards = 0, known = 0, optimal = 0, failed = 0;
};

Figures Run(const std::vector<Board>& boards, solver::TableStore& store, double seconds) {
    Figures f;
    solver::SolveOptions options;
    options.cpuSeconds = seconds;
    options.waitForTables = true;
    for (const Board& b : boards) {
        const double start = Cpu();
        double first = -1;
        const solver::Solution s = solver::Solve(b.position, store, options, nullptr, [&](const solver::Solution&) {
            if (first < 0) first = Cpu() - start;
        });
        const double t = Cpu() - start;
        if (!s.found || !solver::Solves(b.position, s.moves) ||
            (b.optimum >= 0 && int(s.moves.size()) < b.optimum)) {
            ++f.failed;
            continue;
        }
        ++f.boards;
        f.total += t;
        f.worst = std::max(f.worst, t);
        f.firstTotal += first;
        f.firstWorst = std::max(f.firstWorst, first);
        f.optimal += s.optimal;
        f.ratioToBound += double(s.moves.size()) / solver::LowerBound(b.position);
        if (b.optimum > 0) {
            f.ratioToOptimum += double(s.moves.size()) / b.optimum;
            ++f.known;
        }
    }
    return f;
}

// The first answer only: the search is cancelled as soon as it comes.
Figures FirstAnswers(const std::vector<Board>& boards, solver::TableStore& store) {
    Figures f;
    solver::SolveOptions options;
    for (const Board& b : boards) {
        std::atomic<bool> cancel{false};
        const double start = Cpu();
        double first = -1;
        solver::Solve(b.position, store, options, &cancel, [&](const solver::Solution&) {
            if (first < 0) first = Cpu() - start;
            cancel = true;
        });
        if (first < 0) {
            ++f.failed;
            continue;
        }
        ++f.boards;
        f.firstTotal += first;
        f.firstWorst = std::max(f.firstWorst, first);
    }
    return f;
}

void ThreeByThree() {
    // The truth: a breadth-first search from the solved board, over boards packed in 36 bits.
    std::unordered_map<uint64_t, uint8_t> truth;
    {
        const auto pack = [](const std::string& s) {
            uint64_t v = 0;
            for (char c : s) v = v * 16 + uint64_t(c - '0');
            return v;
        };
        std::vector<std::string> frontier{"123456780"};
        truth[pack(frontier[0])] = 0;
        for (int depth = 1; !frontier.empty(); ++depth) {
            std::vector<std::string> next;
            for (const std::string& s : frontier) {
                const int gap = int(s.find('0'));
                for (int from : {gap - 3, gap + 3, gap % 3 ? gap - 1 : -1, gap % 3 < 2 ? gap + 1 : -1}) {
                    if (from < 0 || from > 8) continue;
                    std::string t = s;
                    std::swap(t[size_t(gap)], t[size_t(from)]);
                    if (truth.emplace(pack(t), uint8_t(depth)).second) next.push_back(t);
                }
            }
            frontier.swap(next);
        }
    }
    std::vector<Position> boards;
    std::vector<int> distances;
    for (const auto& [packed, distance] : truth) {
        Position p{3, std::vector<int>(9)};
        for (int i = 8; i >= 0; --i) p.cells[size_t(8 - i)] = int(packed >> (4 * i) & 15);
        boards.push_back(p);
        distances.push_back(distance);
    }
    solver::TableStore none("", solver::TablePlan());
    const double start = Cpu();
    std::vector<solver::Solution> answers;
    answers.reserve(boards.size());
    for (const Position& p : boards) answers.push_back(solver::Solve(p, none, solver::SolveOptions()));
    const double t = Cpu() - start;
    size_t wrong = 0;
    for (size_t i = 0; i < boards.size(); ++i)
        wrong += !answers[i].optimal || int(answers[i].moves.size()) != distances[i] ||
                 !solver::Solves(boards[i], answers[i].moves);
    std::printf("3x3  %zu boards (all solvable ones), answered through Solve() in %.3f s CPU in all "
                "(table built on the first); %zu differ from breadth-first truth\n",
                boards.size(), t, wrong);
}

void FourByFour(const std::vector<Board>& boards, solver::TableStore& store) {
    // The baseline: a plain IDA* on additive 6-6-3 pattern databases (the left and right
    // halves of the top three rows, the bottom row) and their reflection, in the same
    // search code and table format as ours, built here in memory.
    const double buildStart = Cpu();
    solver::Heuristic baseline;
    baseline.size = 4;
    size_t baselineBytes = 0;
    for (const std::vector<uint8_t>& tiles :
         std::vector<std::vector<uint8_t>>{{0, 1, 4, 5, 8, 9}, {2, 3, 6, 7, 10, 11}, {12, 13, 14}}) {
        auto db = std::make_shared<solver::PatternDb>(4, tiles);
        db->Build();
        baselineBytes += db->Packed().size();
        baseline.patterns.push_back(db);
    }
    const double baselineBuild = Cpu() - buildStart;

    // Loaded or built on the store's threads: wall time.
    const auto loadStart = std::chrono::steady_clock::now();
    const solver::Heuristic ours = store.Wait(4, solver::TableStore::Strength::Strong, nullptr);
    const double load = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    bool built = false;
    for (const std::string& note : store.TakeNotes()) built = built || note.find("building") != std::string::npos;
    size_t ourBytes = 0;
    for (const auto& db : ours.patterns) ourBytes += db->Packed().size();

    double baseTotal = 0, baseWorst = 0, ourTotal = 0, ourWorst = 0, firstWorst = 0;
    uint64_t baseNodes = 0;
    int disagree = 0;
    solver::SolveOptions options;
    options.waitForTables = true;
    for (const Board& b : boards) {
        const solver::Layout l = solver::Layout::From(b.position);
        solver::Stopper stopper;
        double start = Cpu();
        const solver::SearchResult base = solver::IdaSearch(4, l.tile, baseline, solver::kOptimalWeight, stopper);
        double t = Cpu() - start;
        baseTotal += t;
        baseWorst = std::max(baseWorst, t);
        baseNodes += base.nodes;
        start = Cpu();
        double first = -1;
        const solver::Solution s = solver::Solve(b.position, store, options, nullptr, [&](const solver::Solution&) {
            if (first < 0) first = Cpu() - start;
        });
        t = Cpu() - start;
        ourTotal += t;
        ourWorst = std::max(ourWorst, t);
        firstWorst = std::max(firstWorst, first);
        disagree += !s.optimal || s.moves.size() != base.moves.size() || !solver::Solves(b.position, s.moves) ||
                    !solver::Solves(b.position, base.moves);
    }
    std::printf("4x4  %zu random boards, every answer optimal: %s\n", boards.size(), disagree ? "NO" : "yes");
    std::printf("     %-34s %9s %9s %10s %12s\n", "", "total s", "worst s", "tables MiB", "tables s");
    std::printf("     %-34s %9.2f %9.3f %10.1f %12.2f (built)\n", "baseline IDA* 6-6-3 + reflection", baseTotal,
                baseWorst, baselineBytes / 1048576.0, baselineBuild);
    std::printf("     %-34s %9.2f %9.3f %10.1f %12.2f (%s)\n", "ours (Solve: 7-7-1 + reflection)", ourTotal, ourWorst,
                ourBytes / 1048576.0, load, built ? "built, wall time, kept in the cache" : "read from the cache, wall");
    std::printf("     ours / baseline CPU: %.3f; first answer at most %.4f s; baseline nodes %" PRIu64 "\n",
                ourTotal / baseTotal, firstWorst, baseNodes);
}

void Report(const char* name, const Figures& f) {
    std::printf("%-5s %3d boards: worst %.3f s, mean %.3f s; first answer mean %.4f s, worst %.4f s; "
                "length / (Manhattan + conflicts) %.3f",
                name, f.boards, f.worst, f.total / std::max(1, f.boards), f.firstTotal / std::max(1, f.boards),
                f.firstWorst, f.ratioToBound / std::max(1, f.boards));
    if (f.known) std::printf("; length / optimum %.3f over %d", f.ratioToOptimum / f.known, f.known);
    if (f.failed) std::printf("; %d FAILED", f.failed);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string boards = MARLIPAN_SOLVER_BOARDS, cache = solver::TableStore::DefaultCacheFolder(), only = "34567";
    double seconds = 1.0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--boards" && value) boards = argv[++i];
        else if (a == "--cache" && value) cache = argv[++i];
        else if (a == "--seconds" && value) seconds = std::atof(argv[++i]);
        else if (a == "--only" && value) only = argv[++i];
        else if (a == "--make-boards" && value) {
            MakeBoards(argv[++i], cache);
            return 0;
        } else {
            std::fprintf(stderr, "usage: marlipan-solver-bench [--boards DIR] [--cache DIR] [--seconds S] [--only 34567]\n"
                                 "       marlipan-solver-bench --make-boards DIR\n");
            return 2;
        }
    }
    solver::TablePlan plan = solver::TablePlan::Standard();
    plan.buildThreads = 2;
    solver::TableStore store(cache, plan);
    solver::TableStore bare("", solver::TablePlan());  // no tables at all: a first start
    const auto has = [&](char size) { return only.find(size) != std::string::npos; };
    if (has('3')) ThreeByThree();
    if (has('4')) FourByFour(ReadBoards(boards + "/4x4-random.txt"), store);
    store.Wait(5, solver::TableStore::Strength::Strong, nullptr);
    for (const std::string set : {"5x5-known", "5x5-random", "6x6-random", "7x7-random"}) {
        if (!has(set[0])) continue;
        const std::vector<Board> b = ReadBoards(boards + "/" + set + ".txt");
        if (!b.empty()) Report(set.c_str(), Run(b, store, seconds));
    }
    std::printf("first answer without any tables (a first start):\n");
    for (const std::string set : {"4x4-random", "5x5-random", "6x6-random", "7x7-random"}) {
        if (!has(set[0])) continue;
        const Figures f = FirstAnswers(ReadBoards(boards + "/" + set + ".txt"), bare);
        std::printf("  %s: mean %.4f s, worst %.4f s%s\n", set.c_str(), f.firstTotal / std::max(1, f.boards),
                    f.firstWorst, f.failed ? " (SOME NOT ANSWERED)" : "");
    }
    for (const std::string& note : store.TakeNotes()) std::printf("note: %s\n", note.c_str());
    return 0;
}
