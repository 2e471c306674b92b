#include "CaseTwins.h"

#include "FileAccess.h"
#include "LetterFold.h"

#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <unordered_map>

namespace tarvolin {

namespace {

bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

CaseTwins::Listing* CaseTwins::CurrentListing(const std::string& directory) {
    constexpr std::size_t kDirectoriesRemembered = 16;
    struct stat now {};
    if (stat(directory.c_str(), &now) != 0)
        return nullptr;
    std::map<std::string, Listing>& listings = listings_;
    auto found = listings.find(directory);
    if (found != listings.end() && found->second.device == now.st_dev &&
        found->second.inode == now.st_ino && Same(found->second.changed, now.st_mtim))
        return &found->second;
    if (listings.size() >= kDirectoriesRemembered)
        listings.clear();
    DIR* entries = opendir(directory.c_str());
    if (entries == nullptr)
        return nullptr;
    Listing listing{now.st_dev, now.st_ino, now.st_mtim, {}};
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            listing.namesByFold.emplace(FoldedLetters(name), name);
    }
    closedir(entries);
    return &(listings[directory] = std::move(listing));
}

bool CaseTwins::HasCaseTwin(const std::string& directory, const std::string& name,
                            const std::string& ownName) {
    const std::lock_guard lock(guard_);
    const Listing* listing = CurrentListing(directory);
    if (listing == nullptr)
        return false;
    // The file's own entry may be listed in another case than it was given (lowntfs-3g
    // lists lower case), so it is recognised by its folded name, once.
    const std::string folded = FoldedLetters(name);
    const std::size_t own = !ownName.empty() && FoldedLetters(ownName) == folded ? 1 : 0;
    return listing->namesByFold.count(folded) > own;
}

void CaseTwins::NoteOwnRename(const std::string& oldPath, const std::string& newPath) {
    const std::lock_guard lock(guard_);
    for (const std::string& path : {oldPath, newPath}) {
        const auto found = listings_.find(ParentDirectory(path));
        if (found == listings_.end())
            continue;
        Listing& listing = found->second;
        const std::string name = LastComponent(path);
        if (path == oldPath) {
            // Its entry as listed, which may be in another case than it was given.
            const auto [first, last] = listing.namesByFold.equal_range(FoldedLetters(name));
            auto listed = first;
            for (auto entry = first; entry != last; ++entry) {
                if (entry->second == name)
                    listed = entry;
            }
            if (listed != last)
                listing.namesByFold.erase(listed);
        } else {
            listing.namesByFold.emplace(FoldedLetters(name), name);
        }
        struct stat now {};
        if (stat(found->first.c_str(), &now) == 0)
            listing.changed = now.st_mtim;
        else
            listings_.erase(found);
    }
}

} // namespace tarvolin
