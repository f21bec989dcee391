#include "solver/shorten.h"

#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace solver {

namespace {

class Between {
public:
    Between(const Layout& from, const Layout& to, Stopper& stopper, uint64_t nodes)
        : board_(from), stopper_(stopper), nodesLeft_(nodes) {
        const int n = from.size;
        int target[kMaxSize * kMaxSize];
        for (int c = 0; c < to.Cells(); ++c) target[to.tile[c]] = c;
        for (int t = 0; t < from.Cells(); ++t)
            for (int c = 0; c < from.Cells(); ++c)
                distance_[t][c] = t == from.GapTile()
                                      ? 0
                                      : uint8_t(std::abs(c / n - target[t] / n) + std::abs(c % n - target[t] % n));
        h_ = 0;
        for (int c = 0; c < from.Cells(); ++c) h_ += distance_[board_.tile[c]][c];
    }

    bool Run(int limit, std::string& moves) {
        for (int bound = h_; bound <= limit; bound += 2) {
            path_.clear();
            if (Search(0, -1, bound)) {
                moves.assign(path_.rbegin(), path_.rend());
                return true;
            }
            if (stopper_.Stopped() || nodesLeft_ == 0) return false;
        }
        return false;
    }

private:
    bool Search(int g, int previous, int bound) {
        if (h_ == 0) return true;
        if (nodesLeft_ == 0 || stopper_.ShouldStop()) return false;
        --nodesLeft_;
        const int n = board_.size, gap = board_.gap;
        const int row = gap / n, column = gap % n;
        int sources[4], count = 0;
        if (column + 1 < n) sources[count++] = gap + 1;
        if (column > 0) sources[count++] = gap - 1;
        if (row + 1 < n) sources[count++] = gap + n;
        if (row > 0) sources[count++] = gap - n;
        for (int i = 0; i < count; ++i) {
            const int from = sources[i];
            if (from == previous) continue;
            const int tile = board_.tile[from];
            const int delta = distance_[tile][gap] - distance_[tile][from];
            if (g + 1 + h_ + delta > bound) continue;
            board_.tile[gap] = uint8_t(tile);
            board_.tile[from] = uint8_t(board_.GapTile());
            board_.gap = from;
            h_ += delta;
            const bool found = Search(g + 1, gap, bound);
            h_ -= delta;
            board_.tile[from] = uint8_t(tile);
            board_.tile[gap] = uint8_t(board_.GapTile());
            board_.gap = gap;
            if (found) {
                path_.push_back(MoveLetter(gap, from, n));
                return true;
            }
        }
        return false;
    }

    Layout board_;
    Stopper& stopper_;
    uint8_t distance_[kMaxSize * kMaxSize][kMaxSize * kMaxSize];
    uint64_t nodesLeft_;
    int h_ = 0;
    std::string path_;
};

// The boards along a solution: boards[i] is the board after i moves.
std::vector<Layout> Boards(const Layout& start, const std::string& moves) {
    std::vector<Layout> boards(1, start);
    boards.reserve(moves.size() + 1);
    for (char m : moves) {
        boards.push_back(boards.back());
        boards.back().Apply(m);
    }
    return boards;
}

uint64_t Fingerprint(const Layout& l) {
    uint64_t h = 1469598103934665603ull;
    for (int c = 0; c < l.Cells(); ++c) h = (h ^ l.tile[c]) * 1099511628211ull;
    return h;
}

// Cuts every walk that returns to a board seen before.
std::string CutLoops(const Layout& start, const std::string& moves) {
    const std::vector<Layout> boards = Boards(start, moves);
    std::unordered_map<uint64_t, size_t> last;  // the latest step at which each board stands
    for (size_t i = 0; i < boards.size(); ++i) last[Fingerprint(boards[i])] = i;
    std::string kept;
    for (size_t i = 0; i < moves.size();) {
        const size_t j = last[Fingerprint(boards[i])];
        if (j > i && boards[j] == boards[i]) {
            i = j;
            continue;
        }
        kept += moves[i++];
    }
    return kept;
}

}  // namespace

bool ShortestBetween(const Layout& from, const Layout& to, int limit, std::string& moves, Stopper& stopper,
                     uint64_t nodes) {
    return Between(from, to, stopper, nodes).Run(limit, moves);
}

std::string Shorten(const Layout& start, const std::string& moves, int window, Stopper& stopper, uint64_t nodes) {
    std::string best = CutLoops(start, moves);
    std::vector<Layout> boards = Boards(start, best);
    for (size_t i = 0; i + 2 < boards.size() && !stopper.Stopped();) {
        const size_t j = std::min(boards.size() - 1, i + size_t(window));
        std::string shorter;
        if (ShortestBetween(boards[i], boards[j], int(j - i) - 2, shorter, stopper, nodes)) {
            best = best.substr(0, i) + shorter + best.substr(j);
            boards = Boards(start, best);
            continue;  // the new stretch may shorten again
        }
        i += std::max<size_t>(1, size_t(window) / 4);
    }
    return best;
}

}  // namespace solver
