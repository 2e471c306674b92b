#pragma once

// Named moments inside the file layer's multi-step changes, where a test can act as another
// program would (or end the process, as a crash would) at exactly that moment. Unarmed, a step
// costs one test of an empty function object.

namespace tarvolin {

enum class Step {
    NameReserved,         // the new name is held by the mover's empty reservation
    MovedToCaseTemporary, // a letter-case change has the file under its temporary name
    RestoringMetadata,    // undo is about to put a file's attributes and times back
};

// Armed on a FileLayer (FileOps.h) with FileLayer::ArmStepHook: only what goes through that
// layer stops there.

} // namespace tarvolin
