#pragma once

// How a batch run's steps pass from the thread that takes them (each file's rename and the
// attribute and time writes after it, in the plan's order) to the caller's thread, which
// follows each with what comes after it (the row read again, the journal's check, the gauge),
// in the same order. The kernel takes the renames of one folder one at a time; the reads after
// them need not wait for the next rename, so on two cores the two go on at once.

#include <atomic>
#include <functional>
#include <limits>

namespace tarvolin {

// A step count one thread moves on and one other thread waits for: a store per step, and a
// sleep only for the thread that has caught up, which is woken once the other is `slack` steps
// further (or has stopped), so that the two do not wake each other at every step.
class StepCounter {
public:
    // Steps through `step` are done; `last`: no more will be.
    void Reach(int step, bool last);
    // Returns once steps through `step` are done.
    void WaitFor(int step, int slack);

private:
    std::atomic<int> through_ = -1;
    std::atomic<int> wakeAt_ = kNobodyWaits;
    static constexpr int kNobodyWaits = std::numeric_limits<int>::max();
};

// How many steps the taker may be ahead of the follower: what it took waits in a ring of as
// many slots.
// No more than the journal's batch of done marks (RunJournal.h): what a crash can forget of
// the records the follower writes is then no more than what it can forget of the marks.
inline constexpr int kStepsAhead = 512;
// How many steps the follower lets the taker get ahead before it is woken again.
inline constexpr int kStepsPerWaking = 32;

// Takes steps 0 to count - 1 in order, each with `take`, until `take` says the run stops there;
// follows each step taken with `follow`, in order, on the caller's thread, once it was taken.
// With `twoThreads`, the steps are taken on a thread of their own, at most kStepsAhead ahead of
// `follow`; otherwise each is followed at once. `follow` of step k must return false exactly
// when `take` of step k did (it reads what the step left): the taker has then stopped. Returns
// once both are done; what either throws leaves, on the caller's thread, once the thread has
// ended.
void RunSteps(int count, bool twoThreads, const std::function<bool(int)>& take,
              const std::function<bool(int)>& follow);

} // namespace tarvolin
