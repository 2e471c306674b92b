#pragma once

namespace tarvolin {

// Runs one file operation so that nothing it meets on the way (an allocation failure, a
// conversion error) travels up to the caller: a failure is answered with `refusal`, like
// every other refusal of that operation.
template <typename Result, typename Operation>
Result Guarded(const Result& refusal, Operation&& operation) noexcept {
    try {
        return operation();
    } catch (...) {
        return refusal;
    }
}

} // namespace tarvolin
