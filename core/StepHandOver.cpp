#include "StepHandOver.h"

#include <thread>

namespace tarvolin {

// The waiter says it waits before it looks at the count once more, and the one that moves the
// count looks whether anyone waits after it moved it: one of them sees the other, so no wake-up
// is lost, and while nobody waits a step costs no system call.
void StepCounter::Reach(int step) {
    through_.store(step);
    if (waiting_.load())
        through_.notify_one();
}

void StepCounter::WaitFor(int step) {
    int seen = through_.load(std::memory_order_acquire);
    if (seen >= step)
        return;
    waiting_.store(true);
    while ((seen = through_.load()) < step)
        through_.wait(seen);
    waiting_.store(false);
}

void RunSteps(int count, bool twoThreads, const std::function<bool(int)>& take,
              const std::function<bool(int)>& follow) {
    if (!twoThreads) {
        for (int step = 0; step < count; ++step) {
            const bool goesOn = take(step);
            if (!follow(step) || !goesOn)
                return;
        }
        return;
    }
    StepCounter taken;
    StepCounter followed;
    const std::jthread taker([&] {
        for (int step = 0; step < count; ++step) {
            followed.WaitFor(step - kStepsAhead);
            const bool goesOn = take(step);
            taken.Reach(step);
            if (!goesOn)
                return;
        }
    });
    for (int step = 0; step < count; ++step) {
        taken.WaitFor(step);
        const bool goesOn = follow(step);
        followed.Reach(step);
        if (!goesOn)
            return;
    }
}

} // namespace tarvolin
