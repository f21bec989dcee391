#pragma once
// The solver's help in the game: the hint (the next move of the best solution known for the
// board as it is now) and the fewest moves a level could have taken from its shuffled start.
// Each search runs on a thread of its own and is started only once its answer is wanted, so
// a player who asks for no help pays nothing for it. Everything here is called on the
// window's thread and never waits for a search.
#include <cstdint>
#include <memory>
#include <string>

#include "solver/background.h"

class Board;

// The game's board in the solver's terms.
solver::Position BoardPosition(const Board& board);
// The cell of the tile a solver's move ('L', 'R', 'U', 'D', as the arrow keys) slides, or
// -1 where none can.
int MoveCell(const Board& board, char move);

class SolverHelp {
public:
    // `tables` is the process's; without one, a store on the player's cache folder is made
    // at the first search.
    explicit SolverHelp(std::shared_ptr<solver::TableStore> tables);
    // Stops both searches and waits for their threads, which takes milliseconds.
    ~SolverHelp();
    SolverHelp(const SolverHelp&) = delete;
    SolverHelp& operator=(const SolverHelp&) = delete;

    // What a hint can do for the board now.
    struct Hint {
        enum Kind { Wait, Move, None };  // no answer yet; slide `move`; no answer will come
        Kind kind = Wait;
        char move = 0;  // a direction as the arrow keys name it: 'L', 'R', 'U', 'D'
    };
    // A hint is asked for: the hint search starts on `board` (unless it is on it already)
    // and from now on follows the board, until StopHints.
    void WantHints(const Board& board);
    // The first move of the best solution known for `board`. One not proven shortest is
    // taken once `unproven` is set, or when no better one will come.
    Hint HintFor(const Board& board, bool unproven);
    // While hints are followed, a board unlike the one searched starts a new search. When
    // the move that made it was the first of the best solution known, the rest of that
    // solution still solves it and serves until the search finds as good a one.
    void FollowBoard(const Board& board);
    // A new game: no hint search until the next hint.
    void StopHints();

    // A level starts, loaded or restored: its board and the move counter are remembered,
    // and with `solve` the search for the fewest moves from it starts.
    void StartLevel(const Board& board, bool solve);
    // The Fewest moves option switched during a level: the search from the remembered start
    // starts, or stops.
    void SolveLevel(bool solve);
    // The moves taken since the level started.
    int32_t LevelMoves(const Board& board) const;
    // The fewest moves from the level's start, once the search for them is over (moves < 0
    // until then, and when no search ran or found none).
    struct Fewest {
        int moves = -1;
        bool proven = false;
    };
    Fewest LevelFewest() const;
    // A search for the level's fewest moves is under way.
    bool LevelSearching() const;
    // The CPU time the fewest moves of a level of 5 x 5 or more get (smaller levels are
    // solved to the proven fewest); read when the first such search starts. The level is
    // played meanwhile, so they get longer than a hint.
    double fewestSeconds = 3.0;

private:
    std::shared_ptr<solver::TableStore> Tables();
    // The better of the search's answer for searched_ and the solution carried over to it.
    struct Known {
        bool found = false, optimal = false, finished = false;
        std::string moves;
    };
    Known BestKnown() const;

    std::shared_ptr<solver::TableStore> tables_;
    std::unique_ptr<solver::BackgroundSolver> hints_, fewest_;

    bool following_ = false;
    solver::Position searched_;  // the board of the hint search under way
    uint64_t hintJob_ = 0;
    Known carried_;              // solves searched_: the rest of an earlier solution

    solver::Position levelStart_;
    int32_t levelStartMoves_ = 0;
    uint64_t levelJob_ = 0;      // 0: no search for this level
};
