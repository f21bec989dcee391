#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "solver/position.h"
#include "solver/solve.h"
#include "solver/tables.h"

namespace solver {

// Solves positions on a thread of its own, so that a caller with a frame loop never waits:
// Start hands over a position and returns at once; Best says, at any time and from any
// thread, the best solution known so far. Starting again drops the position before.
//
// For a game: convert the board with FromColumnMajor (position.h), Start it, and poll Best
// once a frame. An answer's first move is a hint; after playing it, the rest of the moves
// still solve the new board (until the new board's own answer comes).
class BackgroundSolver {
public:
    // `tables` is shared by every solver of the process; `options` as for Solve (in a game,
    // leave waitForTables false: the first answer then comes within milliseconds).
    explicit BackgroundSolver(std::shared_ptr<TableStore> tables, SolveOptions options = {});
    // Cancels the search and waits for its thread, which stops within milliseconds.
    ~BackgroundSolver();
    BackgroundSolver(const BackgroundSolver&) = delete;
    BackgroundSolver& operator=(const BackgroundSolver&) = delete;

    // Starts solving `position`, dropping any search under way; a position Problem() refuses
    // finishes at once without a solution. Returns the job's number, which Best's answers
    // carry.
    uint64_t Start(const Position& position);
    // Stops the search under way; its best answer stays.
    void Cancel();

    struct Answer {
        uint64_t job = 0;       // the Start this answers (0: none yet)
        bool found = false;     // a solution is known
        bool optimal = false;   // and proven shortest
        bool finished = false;  // the search is over: no better answer will come
        std::string moves;
    };
    Answer Best() const;

private:
    void Run();

    std::shared_ptr<TableStore> tables_;
    const SolveOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    Position position_;
    bool pending_ = false;
    bool quit_ = false;
    uint64_t job_ = 0;
    Answer answer_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

}  // namespace solver
