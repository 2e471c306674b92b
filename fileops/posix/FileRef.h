#pragma once

// One file as the metadata readers and writers see it. Writers hold the file open, so that
// what they check (is it read-only?) is the very file they then change; readers go by path.

#include "LocalTimeConversion.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace tarvolin {

struct FileRef {
    const std::string& path; // as the caller spelled it; its last entry decides dot-file hiding
    int fd = -1;             // when not -1, every call goes through this descriptor
};

// One statx with everything a list row needs. No value when nothing answers at the path.
std::optional<struct statx> StatFile(const FileRef& file);
// The same for the entry itself: a symbolic link is not followed.
std::optional<struct statx> StatEntry(const FileRef& file);

inline UnixTime ToUnixTime(const statx_timestamp& t) {
    return UnixTime{t.tv_sec, t.tv_nsec};
}

} // namespace tarvolin
