#include "solver/solve.h"

#include <algorithm>
#include <climits>

#include "solver/fulltable.h"
#include "solver/ida.h"
#include "solver/layout.h"
#include "solver/reduce.h"
#include "solver/shorten.h"

namespace solver {

namespace {

const FullTable& ThreeByThree() {
    static const FullTable table;
    return table;
}

// A weighted search's first answer gets this long before the other way is taken.
constexpr double kFirstSearchSeconds = 0.03;
// The share of the time budget the searches plan to use: the rest covers the last checks.
constexpr double kBudgetShare = 0.98;

// The square region from (offset, offset) of a board whose other tiles are home, as a
// board of its own.
Layout Region(const Layout& board, int offset) {
    Layout region;
    region.size = board.size - offset;
    const int n = board.size, m = region.size;
    for (int r = 0; r < m; ++r)
        for (int c = 0; c < m; ++c) {
            const int t = board.tile[(r + offset) * n + c + offset];
            region.tile[r * m + c] = uint8_t((t / n - offset) * m + t % n - offset);
            if (region.tile[r * m + c] == m * m - 1) region.gap = r * m + c;
        }
    return region;
}

// One Solve call: the position, the tables, the time, and the best answer so far, each
// replayed on the position before it is kept, so that no search fault can reach an answer.
class Solving {
public:
    Solving(const Position& position, TableStore& tables, const SolveOptions& options,
            const std::atomic<bool>* cancel, const std::function<void(const Solution&)>& progress)
        : position_(position), tables_(tables), options_(options), cancel_(cancel), progress_(progress) {}

    Solution Run() {
        if (!Problem(position_).empty()) return best_;
        if (IsSolved(position_)) {
            Offer("", true);
            return best_;
        }
        const Layout layout = Layout::From(position_);
        switch (position_.size) {
        case 3: Offer(ThreeByThree().Solve(position_), true); break;
        case 4: Four(layout); break;
        case 5: {
            Stopper stopper(cancel_, options_.cpuSeconds * kBudgetShare);
            AnytimeFive(layout, stopper, true, [this](const std::string& moves) { Offer(moves, false); });
            break;
        }
        default: AnytimeLarge(layout); break;
        }
        return best_;
    }

private:
    void Offer(const std::string& moves, bool optimal) {
        if (best_.found && (moves.size() > best_.moves.size() || (moves.size() == best_.moves.size() && !optimal)))
            return;
        if (!Solves(position_, moves)) return;
        best_.found = true;
        best_.optimal = optimal;
        best_.moves = moves;
        if (progress_) progress_(best_);
    }

    Heuristic Tables(int size, TableStore::Strength* strength = nullptr) {
        return options_.waitForTables ? tables_.Wait(size, TableStore::Strength::Strong, cancel_, strength)
                                      : tables_.Ready(size, strength);
    }

    // The weight of a first 4 x 4 answer: twice the bound steers, three times the Manhattan
    // distance alone (which is weaker, so that twice is slower by far on some boards).
    static int QuickWeight(TableStore::Strength strength) {
        return strength == TableStore::Strength::Manhattan ? 3 * kOptimalWeight : 2 * kOptimalWeight;
    }

    // A first answer at once, then the proven one.
    void Four(const Layout& board) {
        TableStore::Strength strength;
        Heuristic heuristic = Tables(4, &strength);
        Stopper stopper(cancel_);
        const SearchResult quick = IdaSearch(4, board.tile, heuristic, QuickWeight(strength), stopper);
        if (quick.found) Offer(quick.moves, false);
        // The Manhattan distance alone could take minutes: the quick tables are worth a second.
        if (strength == TableStore::Strength::Manhattan)
            heuristic = tables_.Wait(4, TableStore::Strength::Quick, cancel_);
        const SearchResult optimal = IdaSearch(4, board.tile, heuristic, kOptimalWeight, stopper);
        if (optimal.found) Offer(optimal.moves, true);
    }

    // A 5 x 5 answer within milliseconds whatever the tables: a search steered by twice the
    // bound for a moment, else the top row and left column by a narrow beam and the 4 x 4
    // rest by a weighted search (fast even on the Manhattan distance alone). "" if cancelled.
    std::string FirstFive(const Layout& board, const Heuristic& heuristic) {
        Stopper brief(cancel_, kFirstSearchSeconds);
        const SearchResult first = IdaSearch(5, board.tile, heuristic, 2 * kOptimalWeight, brief);
        if (first.found) return first.moves;
        Stopper untimed(cancel_);
        Layout reduced = board;
        std::string step;
        if (!ReduceRegion(reduced, 0, 256, untimed, step)) return "";
        reduced.Play(step);
        TableStore::Strength strength;
        const Heuristic four = tables_.Ready(4, &strength, false);
        const SearchResult rest = IdaSearch(4, Region(reduced, 1).tile, four, QuickWeight(strength), untimed);
        return rest.found ? step + rest.moves : "";
    }

    // A 5 x 5 board: weighted searches on the pattern databases, heavier weights first
    // (fast, longer answers), each answer then shortened stretch by stretch. With
    // `mustAnswer`, the first answer comes whatever the time.
    void AnytimeFive(const Layout& board, Stopper& stopper, bool mustAnswer,
                     const std::function<void(const std::string&)>& better) {
        const Heuristic heuristic = Tables(5);
        size_t best = SIZE_MAX;
        const auto offer = [&](const std::string& moves) {
            if (moves.size() >= best) return;
            best = moves.size();
            better(moves);
        };
        if (mustAnswer) {
            const std::string first = FirstFive(board, heuristic);
            if (first.empty()) return;
            offer(first);
            offer(Shorten(board, first, 40, stopper));
        }
        // Weights 2 (unless the first answer came from it), 1.75, 1.5, 1.375, 1.25, 1.125.
        for (int weight : {32, 28, 24, 22, 20, 18}) {
            if (stopper.Check()) break;
            if (weight == 2 * kOptimalWeight && mustAnswer) continue;
            const SearchResult result = IdaSearch(5, board.tile, heuristic, weight, stopper,
                                                  best == SIZE_MAX ? INT_MAX : int(best));
            if (!result.found) continue;
            offer(result.moves);
            offer(Shorten(board, result.moves, 40, stopper));
        }
    }

    // A board of 6 x 6 or 7 x 7: its top row and left column brought home by a beam search,
    // again until 5 x 5 is left, which the 5 x 5 search finishes. A narrow beam and the first
    // 5 x 5 answer give the first solution within milliseconds; then a wide beam (as wide as
    // the time allows) with most of the time left for its 5 x 5 part, and the rest to
    // shorten the best whole solution; then wider beams while time is left.
    void AnytimeLarge(const Layout& start) {
        Stopper stopper(cancel_, options_.cpuSeconds * kBudgetShare);
        Stopper untimed(cancel_);
        // False when stopped before a solution.
        const auto attempt = [&](int width, bool first) {
            Stopper& reducing = first ? untimed : stopper;
            Layout board = start;
            std::string moves;
            for (int offset = 0; offset + 5 < board.size; ++offset) {
                std::string step;
                if (!ReduceRegion(board, offset, width, reducing, step)) return false;
                board.Play(step);
                moves += step;
            }
            const Layout five = Region(board, board.size - 5);
            Stopper finishing(cancel_, first ? std::min(0.02, options_.cpuSeconds / 20) : stopper.Left() * 0.7);
            std::string finish;
            if (!five.Solved()) AnytimeFive(five, finishing, first, [&](const std::string& m) { finish = m; });
            if (finish.empty() && !five.Solved()) return false;
            Offer(moves + finish, false);
            return true;
        };
        if (!attempt(128, true)) return;
        // About 0.2 s of beam for each second of the budget, then wider, up to a beam whose
        // steps hold some 80 MB; what time is left after that shortens the best.
        constexpr int kWidest = 16384;
        const double base = (start.size == 6 ? 4096 : 2048) * options_.cpuSeconds;
        for (int width = int(std::min<double>(kWidest, std::max(512.0, base))); width <= kWidest; width *= 2) {
            if (stopper.Check() || !attempt(width, false)) return;
            Offer(Shorten(start, best_.moves, 30, stopper), false);
        }
        Offer(Shorten(start, best_.moves, 40, stopper, 2000000), false);
    }

    const Position& position_;
    TableStore& tables_;
    const SolveOptions& options_;
    const std::atomic<bool>* cancel_;
    const std::function<void(const Solution&)>& progress_;
    Solution best_;
};

}  // namespace

Solution Solve(const Position& position, TableStore& tables, const SolveOptions& options,
               const std::atomic<bool>* cancel, const std::function<void(const Solution&)>& progress) {
    return Solving(position, tables, options, cancel, progress).Run();
}

}  // namespace solver
