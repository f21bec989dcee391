#include "solver/stopper.h"

#include <chrono>
#include <ctime>

namespace solver {

double Stopper::ThreadCpuSeconds() {
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec t;
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0) return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
#endif
    // Without a per-thread clock, wall time is the safe stand-in: it never runs slower.
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace solver
