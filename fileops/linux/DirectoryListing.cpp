#include "DirectoryListing.h"

#include "FileAccess.h"

#include <dirent.h>
#include <map>
#include <unordered_set>

namespace tarvolin {

std::string AsciiLowerCase(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool DirectoryLists(const std::string& directory, const std::string& name) {
    return HowDirectoryLists(directory, name) == ListedAs::Given;
}

// One pass over the listing: an exact entry wins over a lower-cased one wherever it stands.
ListedAs HowDirectoryLists(const std::string& directory, const std::string& name) {
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr)
        return ListedAs::Absent;
    const std::string lowered = AsciiLowerCase(name);
    ListedAs found = ListedAs::Absent;
    while (const dirent* entry = readdir(listing)) {
        if (name == entry->d_name) {
            found = ListedAs::Given;
            break;
        }
        if (lowered == entry->d_name)
            found = ListedAs::LowerCase;
    }
    closedir(listing);
    return found;
}

namespace {

std::unordered_set<std::string> NamesIn(const std::string& directory) {
    std::unordered_set<std::string> names;
    if (DIR* listing = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(listing))
            names.insert(entry->d_name);
        closedir(listing);
    }
    return names;
}

} // namespace

std::vector<bool> ListsAsSpelled(std::span<const std::string> paths) {
    std::map<std::string, std::unordered_set<std::string>> listings;
    std::vector<bool> listed;
    listed.reserve(paths.size());
    for (const std::string& path : paths) {
        const std::string directory = ParentDirectory(path);
        auto found = listings.find(directory);
        if (found == listings.end())
            found = listings.emplace(directory, NamesIn(directory)).first;
        listed.push_back(found->second.contains(LastComponent(path)));
    }
    return listed;
}

} // namespace tarvolin
