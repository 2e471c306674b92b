#include "CaseTwins.h"

#include "FileAccess.h"

#include <cwctype>
#include <dirent.h>
#include <locale.h>
#include <map>
#include <sys/stat.h>
#include <unordered_map>
#include <wctype.h>

namespace tarvolin {

namespace {

// The lower case of every character NTFS's own table folds, for UTF-8 names; bytes that are
// not UTF-8 are kept as they are.
std::string Folded(const std::string& name) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (lead < 0x80) { // without a UTF-8 locale (a static build) ASCII still folds
            folded += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead - 'A' + 'a' : lead);
            ++i;
            continue;
        }
        const std::size_t length = lead < 0x80       ? 1
                                   : lead >> 5 == 6  ? 2
                                   : lead >> 4 == 14 ? 3
                                   : lead >> 3 == 30 ? 4
                                                     : 0;
        bool valid = length != 0 && i + length <= name.size();
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(name[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (!valid || utf8 == nullptr) {
            folded += name[i++];
            continue;
        }
        const auto lower = static_cast<char32_t>(towlower_l(static_cast<wint_t>(code), utf8));
        // The lower-case form is written back in the same number of bytes or not at all.
        const char32_t kept = (lower < 0x80) == (code < 0x80) &&
                                      (lower < 0x800) == (code < 0x800) &&
                                      (lower < 0x10000) == (code < 0x10000)
                                  ? lower
                                  : code;
        if (length == 1) {
            folded += static_cast<char>(kept);
        } else {
            const unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
            folded += static_cast<char>(leads[length] | (kept >> (6 * (length - 1))));
            for (std::size_t k = length - 1; k > 0; --k)
                folded += static_cast<char>(0x80 | ((kept >> (6 * (k - 1))) & 0x3F));
        }
        i += length;
    }
    return folded;
}

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
            listing.namesByFold.emplace(Folded(name), name);
    }
    closedir(entries);
    return &(listings[directory] = std::move(listing));
}

bool CaseTwins::HasCaseTwin(const std::string& directory, const std::string& name,
                            const std::string& ownName) {
    const Listing* listing = CurrentListing(directory);
    if (listing == nullptr)
        return false;
    // The file's own entry may be listed in another case than it was given (lowntfs-3g
    // lists lower case), so it is recognised by its folded name, once.
    const std::string folded = Folded(name);
    const std::size_t own = !ownName.empty() && Folded(ownName) == folded ? 1 : 0;
    return listing->namesByFold.count(folded) > own;
}

void CaseTwins::NoteOwnRename(const std::string& oldPath, const std::string& newPath) {
    for (const std::string& path : {oldPath, newPath}) {
        const auto found = listings_.find(ParentDirectory(path));
        if (found == listings_.end())
            continue;
        Listing& listing = found->second;
        const std::string name = LastComponent(path);
        if (path == oldPath) {
            // Its entry as listed, which may be in another case than it was given.
            const auto [first, last] = listing.namesByFold.equal_range(Folded(name));
            auto listed = first;
            for (auto entry = first; entry != last; ++entry) {
                if (entry->second == name)
                    listed = entry;
            }
            if (listed != last)
                listing.namesByFold.erase(listed);
        } else {
            listing.namesByFold.emplace(Folded(name), name);
        }
        struct stat now {};
        if (stat(found->first.c_str(), &now) == 0)
            listing.changed = now.st_mtim;
        else
            listings_.erase(found);
    }
}

} // namespace tarvolin
