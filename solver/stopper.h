#pragma once
#include <atomic>
#include <cstdint>

namespace solver {

// When a search must give up: a cancel flag set by another thread, or a budget of this
// thread's CPU time. Searches ask every few thousand steps, so stopping takes well under a
// millisecond.
class Stopper {
public:
    Stopper(const std::atomic<bool>* cancel = nullptr, double cpuSeconds = 0)
        : cancel_(cancel), deadline_(cpuSeconds > 0 ? ThreadCpuSeconds() + cpuSeconds : 0) {}

    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
    // True once cancelled or out of time; cheap enough to call every step.
    bool ShouldStop() {
        if (stopped_) return true;
        if ((++calls_ & 1023) != 0) return false;
        return Check();
    }
    bool Check() {
        if (Cancelled() || (deadline_ > 0 && ThreadCpuSeconds() >= deadline_)) stopped_ = true;
        return stopped_;
    }
    bool Stopped() const { return stopped_; }
    // CPU seconds left in the budget (a large number when there is none).
    double Left() const { return deadline_ > 0 ? deadline_ - ThreadCpuSeconds() : 1e9; }
    const std::atomic<bool>* CancelFlag() const { return cancel_; }

    // The CPU time this thread has used.
    static double ThreadCpuSeconds();

private:
    const std::atomic<bool>* cancel_;
    double deadline_;
    uint32_t calls_ = 0;
    bool stopped_ = false;
};

}  // namespace solver
