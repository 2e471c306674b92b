#pragma once

// Names that Windows would not tell apart. On NTFS mounted case-sensitively, Linux can create
// "Report.txt" beside "report.txt"; Windows then reaches only one of them. So a new name that
// differs only in letter case from another entry of its directory counts as taken there.

#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <unordered_map>

namespace tarvolin {

// The folders asked about, as remembered by whoever holds this.
class CaseTwins {
public:
    // Whether `directory` holds an entry, other than `ownName` (the renamed file's own entry
    // when it lies in the same directory, else empty), whose name equals `name` in any letter
    // case. A directory is read once and remembered with its identity and change time, and
    // kept up to date with this program's own renames: a batch run in a folder of many files
    // reads it once, not once per file.
    bool HasCaseTwin(const std::string& directory, const std::string& name,
                     const std::string& ownName);

    // Tells the remembered listing of a move this program just made.
    void NoteOwnRename(const std::string& oldPath, const std::string& newPath);

private:
    struct Listing {
        dev_t device = 0;
        ino_t inode = 0;
        timespec changed{};
        std::unordered_multimap<std::string, std::string> namesByFold;
    };
    Listing* CurrentListing(const std::string& directory);

    // Only renames ask, so a run's reads on another thread never wait here; the lock keeps
    // two renaming threads from the same listing.
    std::mutex guard_;
    std::map<std::string, Listing> listings_;
};

} // namespace tarvolin
