#include "solver/background.h"

namespace solver {

BackgroundSolver::BackgroundSolver(std::shared_ptr<TableStore> tables, SolveOptions options)
    : tables_(std::move(tables)), options_(options), thread_(&BackgroundSolver::Run, this) {}

BackgroundSolver::~BackgroundSolver() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        cancel_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

uint64_t BackgroundSolver::Start(const Position& position) {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
    pending_ = true;
    cancel_ = true;  // the search under way gives up; the thread then takes this one
    answer_ = Answer();
    answer_.job = ++job_;
    wake_.notify_all();
    return job_;
}

void BackgroundSolver::Cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = false;
    cancel_ = true;
    answer_.finished = true;
}

BackgroundSolver::Answer BackgroundSolver::Best() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return answer_;
}

void BackgroundSolver::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_) return;
        pending_ = false;
        cancel_ = false;
        const Position position = position_;
        const uint64_t job = job_;
        lock.unlock();
        const auto progress = [&](const Solution& solution) {
            std::lock_guard<std::mutex> update(mutex_);
            if (job != job_) return;
            answer_.found = true;
            answer_.optimal = solution.optimal;
            answer_.moves = solution.moves;
        };
        if (Problem(position).empty()) Solve(position, *tables_, options_, &cancel_, progress);
        lock.lock();
        if (job == job_) answer_.finished = true;
    }
}

}  // namespace solver
