// Run journals on Linux: an append-only file under an flock, and fsync of the file and of
// its folder where a power loss must not take them.
#include "FileOps.h"
#include "Guarded.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
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
            if (written <= 0) {
                failure_ = std::strerror(written < 0 ? errno : ENOSPC);
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // The folder once: after that the file's name is on disk for good.
    bool MakeDurable() override {
        if (fsync(fd_) != 0) {
            failure_ = std::strerror(errno);
            return false;
        }
        if (!folderSynced_)
            folderSynced_ = SyncFolder(FolderOf(path_));
        if (!folderSynced_)
            failure_ = std::strerror(errno);
        return folderSynced_;
    }

    std::string failure() const override { return failure_; }

private:
    int fd_;
    std::string path_;
    bool folderSynced_ = false;
    std::string failure_;
};

class PosixJournalSource final : public JournalSource {
public:
    PosixJournalSource(int fd, unsigned long long size) : fd_(fd), size_(size) {}
    ~PosixJournalSource() override { close(fd_); }
    PosixJournalSource(const PosixJournalSource&) = delete;
    PosixJournalSource& operator=(const PosixJournalSource&) = delete;

    unsigned long long size() const override { return size_; }
    long long ReadAt(unsigned long long offset, std::span<char> buffer) override {
        for (;;) {
            const ssize_t got =
                pread(fd_, buffer.data(), buffer.size(), static_cast<off_t>(offset));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }

private:
    int fd_;
    unsigned long long size_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The path still names the open file, a regular one: nobody removed the empty journal in the
// moment between its creation and its lock.
bool StillNamedBy(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(opened, named);
}

void Explain(std::string* problem, const std::string& path) {
    if (problem != nullptr)
        *problem = path + ": " + std::strerror(errno);
}

std::unique_ptr<JournalFile> OpenLocked(const std::string& path, int flags,
                                        std::string* problem = nullptr) {
    // O_NONBLOCK: a pipe under a journal's name refuses at once instead of waiting for a
    // reader; for a regular file it changes nothing.
    const int fd =
        open(path.c_str(), flags | O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        Explain(problem, FolderOf(path));
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !StillNamedBy(fd, path)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixJournalFile>(fd, path);
}

} // namespace

std::string JournalDirectory(std::string* problem) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (state != nullptr && state[0] == '/') // the base directory rules ignore relative paths
        folder = std::string(state) + "/ctarvolin";
    else if (home != nullptr && home[0] == '/')
        folder = std::string(home) + "/.local/state/ctarvolin";
    if (folder.empty()) {
        if (problem != nullptr)
            *problem = "neither XDG_STATE_HOME nor HOME names a folder";
        return {};
    }
    if (!MakeFolders(folder)) {
        Explain(problem, folder);
        return {};
    }
    return folder;
}

std::unique_ptr<JournalFile> JournalFile::Create(const std::string& path, std::string* problem) {
    return OpenLocked(path, O_CREAT | O_EXCL, problem);
}

std::unique_ptr<JournalFile> JournalFile::OpenToAppend(const std::string& path) {
    return OpenLocked(path, 0);
}

bool IsJournalInUse(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool inUse = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return inUse;
}

std::vector<std::string> ListJournalFolder(const std::string& folder) {
    return Guarded(std::vector<std::string>(), [&] {
        std::vector<std::string> names;
        const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
        while (const dirent* entry = listing ? readdir(listing.get()) : nullptr) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        return names;
    });
}

// O_NONBLOCK keeps a FIFO from waiting for a writer; it changes nothing for a regular file.
std::unique_ptr<JournalSource> JournalSource::Open(const std::string& path, std::string& why) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixJournalSource>(fd, static_cast<unsigned long long>(st.st_size));
}

bool RemoveEmptyJournal(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool removed = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &st) == 0 &&
                         S_ISREG(st.st_mode) && st.st_size == 0 && StillNamedBy(fd, path) &&
                         unlink(path.c_str()) == 0;
    close(fd);
    return removed;
}

bool RemoveJournal(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

} // namespace tarvolin
