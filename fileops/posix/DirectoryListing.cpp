#include "DirectoryListing.h"

#include <dirent.h>

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

} // namespace tarvolin
