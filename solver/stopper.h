#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>

namespace solver {

// When a search must give up: a cancel flag set by another thread, or a budget of this
// thread's CPU time. Searches ask every few thousand steps, so stopping takes well under a
// millisecond.
class Stopper {
public:
    // No time limit: only the cancel flag (if any) stops.
    explicit Stopper(const std::atomic<bool>* cancel = nullptr) : cancel_(cancel), deadline_(kNever) {}
    // At most `cpuSeconds` of this thread's CPU time from now (none when it is not above 0).
    Stopper(const std::atomic<bool>* cancel, double cpuSeconds)
        : cancel_(cancel), deadline_(ThreadCpuSeconds() + std::max(0.0, cpuSeconds)) {}

    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
    // True once cancelled or out of time; cheap enough to call every step.
    bool ShouldStop() {
        if (stopped_) return true;
        if ((++calls_ & 1023) != 0) return false;
        return Check();
    }
    bool Check() {
        if (Cancelled() || (deadline_ < kNever && ThreadCpuSeconds() >= deadline_)) stopped_ = true;
        return stopped_;
    }
    bool Stopped() const { return stopped_; }
    // CPU seconds left in the budget (a large number when there is none).
    double Left() const { return deadline_ < kNever ? deadline_ - ThreadCpuSeconds() : kNever; }
    const std::atomic<bool>* CancelFlag() const { return cancel_; }

    // The CPU time this thread has used.
    static double ThreadCpuSeconds();

private:
    static constexpr double kNever = 1e300;
    const std::atomic<bool>* cancel_;
    double deadline_;
    uint32_t calls_ = 0;
    bool stopped_ = false;
};

}  // namespace solver
