#pragma once

// The test binary defines statx, the getxattr family and statfs itself, so every call the
// backend makes lands here first, is counted and is passed on to the kernel unchanged. The
// list rows' read budget (one statx, one getxattr per file) is checked with these counts.

namespace tarvolin::test {

struct SystemCallCounts {
    int statx = 0;
    int getxattr = 0; // getxattr, lgetxattr and fgetxattr together
    int statfs = 0;   // statfs and fstatfs together
};

void ResetSystemCallCounts();
SystemCallCounts CurrentSystemCallCounts();

} // namespace tarvolin::test
