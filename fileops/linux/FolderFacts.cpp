// What a folder's volume allows, asked the way the run meets it: the store the run would write
// the DOS side through, the volume's type for Windows' rules on names, and one lookup of a
// name in another letter case for whether the volume tells cases apart.
#include "FolderFacts.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/magic.h>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#ifndef EXFAT_SUPER_MAGIC
#define EXFAT_SUPER_MAGIC 0x2011BAB0
#endif

namespace tarvolin {

namespace {

constexpr unsigned long kNtfs3Magic = 0x7366746eUL; // the kernel's ntfs3 driver
constexpr unsigned long kNtfsMagic = 0x5346544eUL;  // the old read-only ntfs driver
constexpr unsigned kWindowsNameLength = 255;        // UTF-16 units on FAT, exFAT and NTFS

std::vector<std::string> NamesIn(const std::string& folder, bool& listed) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    listed = listing != nullptr;
    while (const dirent* entry = listing ? readdir(listing.get()) : nullptr) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    return names;
}

// The file system type /proc/self/mountinfo gives the mount: a FUSE volume tells there what
// server runs it ("fuse.fusefat"; "fuseblk" for ntfs-3g and exfat-fuse on a block device).
std::string MountType(unsigned long long mountId) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        unsigned long long id = 0;
        if (!(fields >> id) || id != mountId)
            continue;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            return {};
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return {};
}

bool FuseServesWindowsVolume(const struct statx& st) {
    if ((st.stx_mask & STATX_MNT_ID) == 0)
        return false;
    const std::string type = MountType(st.stx_mnt_id);
    return type == "fuseblk" || type.find("fat") != std::string::npos ||
           type.find("ntfs") != std::string::npos;
}

bool KeepsWindowsNames(unsigned long type, DosStoreKind store, const struct statx& st) {
    if (type == MSDOS_SUPER_MAGIC || type == EXFAT_SUPER_MAGIC || type == kNtfs3Magic ||
        type == kNtfsMagic || store == DosStoreKind::FatAttributes ||
        store == DosStoreKind::Ntfs3g || store == DosStoreKind::Ntfs3)
        return true;
    return type == FUSE_SUPER_MAGIC && FuseServesWindowsVolume(st);
}

std::string WithLetterCaseSwapped(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool HasAsciiLetter(const std::string& name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// Whether the folder finds an entry under a spelling it does not list: one lookup of the
// first entry with a letter in it, its letter case swapped. Some FUSE servers number each
// spelling on its own, so the answer is that the lookup succeeds, not that it finds the same
// file number.
bool IgnoresCase(const std::string& folder, const std::vector<std::string>& names) {
    const auto lettered = std::find_if(names.begin(), names.end(), HasAsciiLetter);
    if (lettered == names.end())
        return false;
    const std::string swapped = WithLetterCaseSwapped(*lettered);
    if (std::find(names.begin(), names.end(), swapped) != names.end())
        return false;
    struct stat st {};
    return lstat((folder + "/" + swapped).c_str(), &st) == 0;
}

DosStoreKind KindOf(const VolumeStores& stores, const DosMetadataStore& store) {
    for (const DosStoreKind kind : {DosStoreKind::SambaDosAttrib, DosStoreKind::Ntfs3g,
                                    DosStoreKind::Ntfs3, DosStoreKind::FatAttributes})
        if (stores.IsOfKind(store, kind))
            return kind;
    return DosStoreKind::ModeOnly;
}

} // namespace

FolderFacts ReadLinuxFolderFacts(VolumeStores& stores, const std::string& folder) {
    FolderFacts facts;
    facts.names = NamesIn(folder, facts.listed);
    struct statx st {};
    struct statfs volume {};
    if (!facts.listed ||
        statx(AT_FDCWD, folder.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID, &st) !=
            0 ||
        statfs(folder.c_str(), &volume) != 0)
        return facts;
    // A read-only mount answers EROFS, a folder of someone else's EACCES.
    facts.writable = access(folder.c_str(), W_OK | X_OK) == 0;
    const DosStoreKind store = KindOf(stores, stores.StoreFor(FileRef{folder}, st));
    const auto type = static_cast<unsigned long>(volume.f_type);
    facts.windowsNames = KeepsWindowsNames(type, store, st);
    facts.ignoresCase =
        IgnoresCase(folder, facts.names) ||
        (facts.names.empty() && (type == MSDOS_SUPER_MAGIC || type == EXFAT_SUPER_MAGIC));
    facts.foldsNames =
        facts.ignoresCase || stores.StoreFor(FileRef{folder}, st).WindowsFoldsNames();
    facts.maxNameLength = facts.windowsNames || volume.f_namelen <= 0
                              ? kWindowsNameLength
                              : static_cast<unsigned>(volume.f_namelen);
    if (store == DosStoreKind::ModeOnly)
        facts.storableAttributes = kReadOnly;
    facts.storesCreationTime =
        store == DosStoreKind::SambaDosAttrib || store == DosStoreKind::Ntfs3g;
    return facts;
}

} // namespace tarvolin
