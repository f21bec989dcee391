#include "app/solverhelp.h"

#include <vector>

#include "game/board.h"

namespace {

// A hint search's answers keep improving for this long on the boards that are not solved
// to the proven optimum (5 x 5 and up).
constexpr double kHintSeconds = 1.0;

bool Same(const solver::Position& a, const solver::Position& b) { return a.size == b.size && a.cells == b.cells; }

}  // namespace

solver::Position BoardPosition(const Board& board) {
    const int n = board.BoardCols;
    if (n < 1 || n > Board::MaxCells || board.BoardRows != n) return solver::FromColumnMajor(n, {});
    std::vector<int> grid(size_t(n * n));
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r) grid[size_t(c * n + r)] = board.TileGrid[c][r];
    return solver::FromColumnMajor(n, grid);
}

int MoveCell(const Board& board, char move) {
    const Board::Arrow arrow = move == 'L'   ? Board::Arrow::Left
                               : move == 'R' ? Board::Arrow::Right
                               : move == 'U' ? Board::Arrow::Up
                                             : Board::Arrow::Down;
    return board.CellForArrow(arrow);
}

SolverHelp::SolverHelp(std::shared_ptr<solver::TableStore> tables) : tables_(std::move(tables)) {}

SolverHelp::~SolverHelp() {
    // The searches go before the tables they read.
    hints_.reset();
    fewest_.reset();
}

std::shared_ptr<solver::TableStore> SolverHelp::Tables() {
    if (!tables_) tables_ = std::make_shared<solver::TableStore>(solver::TableStore::DefaultCacheFolder());
    return tables_;
}

SolverHelp::Known SolverHelp::BestKnown() const {
    Known search;
    if (hints_) {
        const solver::BackgroundSolver::Answer a = hints_->Best();
        if (a.job == hintJob_) search = {a.found, a.optimal, a.finished, a.moves};
    }
    const Known& carried = carried_;
    if (!carried.found) return search;
    // The proven one, else the shorter; the search's when both are alike (it may yet improve).
    if (search.found && (search.optimal || (!carried.optimal && search.moves.size() <= carried.moves.size())))
        return search;
    Known best = carried;
    best.finished = search.finished;
    return best;
}

void SolverHelp::FollowBoard(const Board& board) {
    if (!following_) return;
    const solver::Position now = BoardPosition(board);
    if (hints_ && hintJob_ != 0 && Same(now, searched_)) return;
    Known next;
    const Known before = BestKnown();
    if (hintJob_ != 0 && before.found && !before.moves.empty()) {
        solver::Position after = searched_;
        if (solver::ApplyMove(after, before.moves[0]) && Same(after, now))
            next = {true, before.optimal, false, before.moves.substr(1)};
    }
    carried_ = next;
    searched_ = now;
    if (!hints_) {
        solver::SolveOptions options;
        options.cpuSeconds = kHintSeconds;
        hints_ = std::make_unique<solver::BackgroundSolver>(Tables(), options);
    }
    hintJob_ = hints_->Start(now);
}

void SolverHelp::WantHints(const Board& board) {
    following_ = true;
    FollowBoard(board);
}

SolverHelp::Hint SolverHelp::HintFor(const Board& board, bool unproven) {
    if (!following_) return {Hint::None, 0};
    FollowBoard(board);
    const Known best = BestKnown();
    if (!best.found) return {best.finished ? Hint::None : Hint::Wait, 0};
    if (!best.optimal && !best.finished && !unproven) return {Hint::Wait, 0};
    if (best.moves.empty()) return {Hint::None, 0};  // solved already
    return {Hint::Move, best.moves[0]};
}

void SolverHelp::StopHints() {
    following_ = false;
    hintJob_ = 0;
    carried_ = Known();
    if (hints_) hints_->Cancel();
}

void SolverHelp::StartLevel(const Board& board, bool solve) {
    levelStart_ = BoardPosition(board);
    levelStartMoves_ = board.MoveCount;
    levelJob_ = 0;
    SolveLevel(solve);
}

void SolverHelp::SolveLevel(bool solve) {
    if (!solve) {
        levelJob_ = 0;
        if (fewest_) fewest_->Cancel();
        return;
    }
    if (levelJob_ != 0) return;  // under way, or done, for this start
    if (!fewest_) {
        solver::SolveOptions options;
        options.cpuSeconds = fewestSeconds;
        fewest_ = std::make_unique<solver::BackgroundSolver>(Tables(), options);
    }
    levelJob_ = fewest_->Start(levelStart_);
}

int32_t SolverHelp::LevelMoves(const Board& board) const { return board.MoveCount - levelStartMoves_; }

SolverHelp::Fewest SolverHelp::LevelFewest() const {
    if (!fewest_ || levelJob_ == 0) return {};
    const solver::BackgroundSolver::Answer a = fewest_->Best();
    if (a.job != levelJob_ || !a.finished || !a.found) return {};
    return {int(a.moves.size()), a.optimal};
}

bool SolverHelp::LevelSearching() const {
    if (!fewest_ || levelJob_ == 0) return false;
    const solver::BackgroundSolver::Answer a = fewest_->Best();
    return a.job == levelJob_ && !a.finished;
}
