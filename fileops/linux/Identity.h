#pragma once

// Which file a path names on Linux and what it shows (FileOps.h's FileStamp), and the removal
// of what a crash left of a reservation.

#include "FileOps.h"

#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tarvolin {

// What a volume says of itself: its own identity, and whether its file numbers last.
struct VolumeFacts {
    unsigned long long id = 0;
    bool numbersLast = true;
};

// Stamps read with what each mount said of itself, as remembered by whoever holds this.
class FileStamps {
public:
    std::optional<FileStamp> StampOf(const std::string& path);
    std::vector<std::optional<FileStamp>> StampsOf(std::span<const std::string> paths);
    // The stamp of the entry `name` (from `folderFd`, or AT_FDCWD) that a statx of it, not
    // following a link, read as `st`: for a reader that needs the statx for more.
    FileStamp StampOfEntry(int folderFd, const char* name, const struct statx& st);

private:
    std::optional<FileStamp> StampAt(int folderFd, const char* name);
    VolumeFacts VolumeOf(int folderFd, const char* name, const struct statx& st);

    std::mutex guard_;
    std::map<unsigned long long, VolumeFacts> factsByMount_;
};
bool RemoveIfEmptyFileMadeSince(const std::string& path, long long notBefore);

} // namespace tarvolin
