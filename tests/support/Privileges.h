#pragma once

// Root ignores permission bits, so a refusal a test depends on must come from something root
// cannot bypass, or from a step run as an ordinary user.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace tarvolin::test {

inline constexpr uid_t kNobody = 65534;

bool RunningAsRoot();

// Runs `step` in a forked child that has given up root for user and group 65534. The
// step's own answer, or no value when the child could not drop root or died.
std::optional<bool> RunAsNobody(const std::function<bool()>& step);

// chattr +i / -i: an immutable file refuses every change, to root too.
bool SetImmutable(const std::string& path, bool immutable);

} // namespace tarvolin::test
