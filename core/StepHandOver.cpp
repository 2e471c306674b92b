#include "StepHandOver.h"

#include <exception>
#include <thread>

namespace tarvolin {

// The waiter says from which step on it is to be woken before it looks at the count once more,
// and the one that moves the count looks at that after it moved it: one of them sees the other,
// so no wake-up is lost, and a step nobody waits for costs no system call.
void StepCounter::Reach(int step, bool last) {
    through_.store(step);
    if (last || step >= wakeAt_.load())
        through_.notify_one();
}

// A thread put to sleep loses its core: woken, it waits for the scheduler, and on a busy
// machine the two threads then take turns on one core rather than running side by side. The
// other thread is seldom more than a few microseconds from the next step, so the waiter first
// gives its core away only to whatever else is ready to run there (sched_yield), and sleeps
// only when the other thread takes longer (a slow volume).
void StepCounter::WaitFor(int step, int slack) {
    constexpr int kYieldsBeforeSleeping = 2000;
    for (int yields = 0; yields < kYieldsBeforeSleeping; ++yields) {
        if (through_.load(std::memory_order_acquire) >= step)
            return;
        std::this_thread::yield();
    }
    int seen = 0;
    wakeAt_.store(step + slack);
    while ((seen = through_.load()) < step)
        through_.wait(seen);
    wakeAt_.store(kNobodyWaits);
}

namespace {

void RunOnOneThread(int count, const std::function<bool(int)>& take,
                    const std::function<bool(int)>& follow) {
    for (int step = 0; step < count; ++step) {
        const bool goesOn = take(step);
        if (!follow(step) || !goesOn)
            return;
    }
}

} // namespace

// Whatever `take` throws stops the taker and is thrown again on the caller's thread once the
// steps before it are followed; whatever `follow` throws stops the taker before its next step.
// Either way the thread has ended before the exception leaves.
void RunSteps(int count, bool twoThreads, const std::function<bool(int)>& take,
              const std::function<bool(int)>& follow) {
    if (!twoThreads)
        return RunOnOneThread(count, take, follow);
    StepCounter taken;
    StepCounter followed;
    std::atomic<bool> followerGone = false;
    std::exception_ptr takerThrew;
    std::atomic<int> threwAt = count;
    {
        const std::jthread taker([&] {
            for (int step = 0; step < count; ++step) {
                followed.WaitFor(step - kStepsAhead, 0);
                if (followerGone.load())
                    return;
                bool goesOn = false;
                try {
                    goesOn = take(step);
                } catch (...) {
                    takerThrew = std::current_exception();
                    threwAt = step;
                }
                taken.Reach(step, !goesOn || step + 1 == count);
                if (!goesOn)
                    return;
            }
        });
        try {
            for (int step = 0; step < count; ++step) {
                taken.WaitFor(step, kStepsPerWaking);
                if (step == threwAt)
                    break;
                const bool goesOn = follow(step);
                followed.Reach(step, !goesOn || step + 1 == count);
                if (!goesOn)
                    break;
            }
        } catch (...) {
            followerGone = true;
            followed.Reach(count, true);
            throw;
        }
    }
    if (takerThrew)
        std::rethrow_exception(takerThrew);
}

} // namespace tarvolin
