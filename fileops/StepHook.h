#pragma once

// Named moments inside the file layer's multi-step changes, where a test can act as another
// program would (or end the process, as a crash would) at exactly that moment. Unarmed, a step
// costs one test of an empty function object.

#include <functional>

namespace tarvolin {

enum class Step {
    NameReserved,         // the new name is held by the mover's empty reservation
    MovedToCaseTemporary, // a letter-case change has the file under its temporary name
    RestoringMetadata,    // undo is about to put a file's attributes and times back
};

// For the file layer of FileOps.h; an empty function disarms.
void ArmStepHook(std::function<void(Step)> hook);

} // namespace tarvolin
