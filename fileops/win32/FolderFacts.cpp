// What a folder's volume allows, as Windows reports it: every volume there finds names in any
// letter case and refuses the same characters, and FAT, exFAT and NTFS all keep the four
// attributes and a creation time of their own.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FolderFacts.h"

#include "FileAccess.h"

#include <windows.h>

namespace tarvolin {

namespace {

// The component length limit of the volume that holds `folder`, in UTF-16 units.
unsigned MaxComponentLength(const std::wstring& folder) {
    wchar_t root[MAX_PATH + 1] = {};
    DWORD maxLength = 0;
    if (GetVolumePathNameW(folder.c_str(), root, MAX_PATH) &&
        GetVolumeInformationW(root, nullptr, 0, nullptr, &maxLength, nullptr, nullptr, 0) &&
        maxLength > 0)
        return maxLength;
    return 255;
}

} // namespace

FolderFacts ReadWindowsFolderFacts(const std::string& folder) {
    FolderFacts facts;
    const std::optional<std::wstring> wide = ToSystemPath(folder);
    if (!wide)
        return facts;
    const DWORD kind = GetFileAttributesW(wide->c_str());
    facts.listed = kind != INVALID_FILE_ATTRIBUTES && (kind & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!facts.listed)
        return facts;
    facts.names = ListJournalFolder(folder);
    facts.ignoresCase = true;
    facts.foldsNames = true;
    facts.windowsNames = true;
    facts.maxNameLength = MaxComponentLength(*wide);
    return facts;
}

} // namespace tarvolin
