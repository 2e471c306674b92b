// Run journals on Linux: an append-only file under an flock, and fsync of the file and of
// its folder where a power loss must not take them.
#include "FileOps.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace tarvolin
