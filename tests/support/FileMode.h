#pragma once

// The permission bits that the Linux suites compare; a file that cannot be queried fails the
// test that asked, naming the path.

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace tarvolin::test {

inline mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

} // namespace tarvolin::test
