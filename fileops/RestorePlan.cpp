#include "RestorePlan.h"

namespace tarvolin {

namespace {

// Someone else changed a time since the run when it is no longer what the run left there.
bool ChangedSinceTheRun(const ExactTime& now, const std::optional<ExactTime>& runLeft) {
    return runLeft && now != *runLeft;
}

} // namespace

RestorePlan PlanRestore(const ExactMetadata& now, const ExactMetadata& before,
                        const ExactMetadata& runLeft, MetadataRestore& result) {
    RestorePlan plan;
    if (before.modify) {
        result.modifyKept = ChangedSinceTheRun(*now.modify, runLeft.modify);
        plan.times = !result.modifyKept && (now.modify != before.modify ||
                                            (before.access && now.access != before.access));
    }
    if (before.creation) {
        result.creationKept = ChangedSinceTheRun(*now.creation, runLeft.creation);
        const bool wanted = !result.creationKept;
        plan.creation = wanted && before.creationStored &&
                        (!now.creationStored || now.creation != before.creation);
        plan.forgetCreation = wanted && !before.creationStored && now.creationStored;
    }
    plan.forgetRecord = (before.attributes || before.creation) && !before.dosRecord &&
                        now.dosRecord && !result.creationKept;
    return plan;
}

bool HoldsRestored(const ExactMetadata& after, const ExactMetadata& before,
                   const RestorePlan& plan) {
    return (!plan.times || after.modify == before.modify) &&
           (!plan.creation || after.creation == before.creation) &&
           (!plan.forgetCreation || !after.creationStored) &&
           (!before.attributes || after.attributes == before.attributes);
}

} // namespace tarvolin
