#include "StepHook.h"

#include <utility>

namespace tarvolin {

namespace {

std::function<void(Step)>& Hook() {
    static std::function<void(Step)> hook;
    return hook;
}

} // namespace

void ArmStepHook(std::function<void(Step)> hook) {
    Hook() = std::move(hook);
}

void ReachStep(Step step) {
    if (Hook())
        Hook()(step);
}

} // namespace tarvolin
