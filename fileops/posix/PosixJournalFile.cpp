// Run journals on Linux: an append-only file under an flock, and fsync of the file and of
// its folder where a power loss must not take them.
#include "FileOps.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <unordered_map>

namespace tarvolin {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string step = path.substr(0, slash);
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

class PosixJournalFile final : public JournalFile {
public:
    PosixJournalFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixJournalFile() override { close(fd_); }
    PosixJournalFile(const PosixJournalFile&) = delete;
    PosixJournalFile& operator=(const PosixJournalFile&) = delete;

    bool Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // The folder once: after that the file's name is on disk for good.
    bool MakeDurable() override {
        if (fsync(fd_) != 0)
            return false;
        if (!folderSynced_)
            folderSynced_ = SyncFolder(FolderOf(path_));
        return folderSynced_;
    }

private:
    int fd_;
    std::string path_;
    bool folderSynced_ = false;
};

std::unique_ptr<JournalFile> OpenLocked(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixJournalFile>(fd, path);
}

std::optional<FileIdentity> IdentityAt(int folderFd, const char* name) {
    struct stat st {};
    if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<unsigned long long>(st.st_dev),
                        static_cast<unsigned long long>(st.st_ino)};
}

// The file numbers of one folder's entries. Read from the folder itself only on volumes whose
// entries carry the same numbers that a lookup gives (FAT's entries do not, and FUSE's need
// not); elsewhere, and for a few files, each name is looked up from the folder's handle.
class FolderIdentities {
public:
    FolderIdentities() = default;
    FolderIdentities(std::string folder, std::size_t wanted) : path(std::move(folder)) {
        fd_ = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st {};
        struct statfs volume {};
        if (fd_ < 0 || fstat(fd_, &st) != 0 || fstatfs(fd_, &volume) != 0)
            return;
        if (wanted >= kListingPaysFrom && EntriesCarryFileNumbers(volume))
            ReadEntries(static_cast<unsigned long long>(st.st_dev));
    }
    ~FolderIdentities() {
        if (fd_ >= 0)
            close(fd_);
    }
    FolderIdentities(FolderIdentities&& other) noexcept { *this = std::move(other); }
    FolderIdentities& operator=(FolderIdentities&& other) noexcept {
        std::swap(path, other.path);
        std::swap(fd_, other.fd_);
        std::swap(entries_, other.entries_);
        std::swap(listed_, other.listed_);
        return *this;
    }

    std::optional<FileIdentity> Find(const char* name) const {
        if (!listed_)
            return fd_ >= 0 ? IdentityAt(fd_, name) : std::nullopt;
        const auto found = entries_.find(name);
        return found == entries_.end() ? std::nullopt : std::optional(found->second);
    }

    std::string path;

private:
    static constexpr std::size_t kListingPaysFrom = 256;

    static bool EntriesCarryFileNumbers(const struct statfs& volume) {
        constexpr unsigned long kExt = 0xEF53, kTmpfs = 0x01021994, kXfs = 0x58465342,
                                kBtrfs = 0x9123683E;
        const auto type = static_cast<unsigned long>(volume.f_type);
        return type == kExt || type == kTmpfs || type == kXfs || type == kBtrfs;
    }

    void ReadEntries(unsigned long long volume) {
        const int listing = dup(fd_);
        DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
        if (dir == nullptr) {
            if (listing >= 0)
                close(listing);
            return;
        }
        while (const dirent* entry = readdir(dir))
            entries_.emplace(entry->d_name, FileIdentity{volume, entry->d_ino});
        closedir(dir);
        listed_ = true;
    }

    int fd_ = -1;
    std::unordered_map<std::string, FileIdentity> entries_;
    bool listed_ = false;
};

// How many of the paths from `first` on lie in the folder ending at `slash`.
std::size_t CountInFolder(std::span<const std::string> paths, std::size_t first,
                          std::size_t slash) {
    std::size_t count = 0;
    for (std::size_t i = first; i < paths.size() && count < 1024; ++i, ++count)
        if (paths[i].size() <= slash ||
            paths[i].compare(0, slash + 1, paths[first], 0, slash + 1) != 0 ||
            paths[i].find('/', slash + 1) != std::string::npos)
            break;
    return count;
}

} // namespace

std::string JournalDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (state != nullptr && state[0] == '/') // the base directory rules ignore relative paths
        folder = std::string(state) + "/ctarvolin";
    else if (home != nullptr && home[0] == '/')
        folder = std::string(home) + "/.local/state/ctarvolin";
    return !folder.empty() && MakeFolders(folder) ? folder : std::string();
}

std::unique_ptr<JournalFile> JournalFile::Create(const std::string& path) {
    return OpenLocked(path, O_CREAT | O_EXCL);
}

std::unique_ptr<JournalFile> JournalFile::OpenToAppend(const std::string& path) {
    return OpenLocked(path, 0);
}

bool IsJournalInUse(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool inUse = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return inUse;
}

std::optional<FileIdentity> ReadFileIdentity(const std::string& path) {
    return IdentityAt(AT_FDCWD, path.c_str());
}

// A run lists thousands of files of one folder: where many share one, the folder is read
// once (its entries carry the file numbers) instead of looking each file up.
std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths) {
    std::vector<std::optional<FileIdentity>> identities;
    identities.reserve(paths.size());
    FolderIdentities folder;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash + 1 == path.size()) {
            identities.push_back(ReadFileIdentity(path));
            continue;
        }
        const std::string_view parent(path.data(), slash == 0 ? 1 : slash);
        if (parent != folder.path)
            folder = FolderIdentities(std::string(parent), CountInFolder(paths, i, slash));
        identities.push_back(folder.Find(path.c_str() + slash + 1));
    }
    return identities;
}

} // namespace tarvolin
