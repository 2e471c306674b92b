#pragma once

// The identity of an entry a test expects to exist, to check that an operation kept the file
// behind a name, or did not replace it.

#include "Platform.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace tarvolin::test {

// A final symbolic link is not followed; a failure names the path when it cannot be queried.
inline std::optional<FileIdentity> IdentityOf(const std::string& path) {
    std::optional<FileIdentity> identity = ReadFileIdentity(path);
    EXPECT_TRUE(identity.has_value()) << path;
    return identity;
}

} // namespace tarvolin::test
