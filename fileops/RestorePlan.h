#pragma once

// What undo writes of a file's attributes and times, decided from one reading of the file:
// only parts that differ from what was there, and no time that someone changed after the run.
// Both backends follow it.

#include "FileOps.h"

namespace tarvolin {

struct RestorePlan {
    bool times = false;          // modification and access time
    bool creation = false;       // the file's own creation time, back to its value
    bool forgetCreation = false; // a creation time the run stored, where the file had none
    bool forgetRecord = false;   // a DOS record the run made, where the file had none
};

// Sets `result.modifyKept` and `result.creationKept` for the times it leaves alone.
RestorePlan PlanRestore(const ExactMetadata& now, const ExactMetadata& before,
                        const ExactMetadata& runLeft, MetadataRestore& result);

// Whether `after` holds what the plan put back.
bool HoldsRestored(const ExactMetadata& after, const ExactMetadata& before,
                   const RestorePlan& plan);

} // namespace tarvolin
