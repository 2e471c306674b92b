#include "HeldFolder.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#ifndef SYS_getxattrat
#define SYS_getxattrat 464 // Linux 6.13; new calls have one number on every architecture
#endif

namespace tarvolin {

namespace {

// The kernel's struct xattr_args, which older headers do not have.
struct XattrArgs {
    std::uint64_t value;
    std::uint32_t size;
    std::uint32_t flags;
};

// Whatever would make the folder's path lead elsewhere, or stop a walk along it: a move
// (a rename onto an empty folder also tells the one replaced, as a change of its attributes),
// a removal, a change of permissions. IN_UNMOUNT comes unasked.
constexpr std::uint32_t kPathChanges =
    IN_MOVE_SELF | IN_DELETE_SELF | IN_ATTRIB | IN_DONT_FOLLOW | IN_ONLYDIR;

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// An absolute path of plain names only: every prefix is then a folder on the way, and none
// of them can go back up or stay put.
bool PlainAbsolute(std::string_view folder) {
    if (folder.size() < 2 || folder.front() != '/' || folder.back() == '/')
        return false;
    std::size_t start = 1;
    while (start <= folder.size()) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        const std::string_view name = folder.substr(start, end - start);
        if (name.empty() || name == "." || name == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// The folder part of `path` and its last name, where both are plain; a path too long for the
// system must be refused as it would be whole rather than reached through its folder.
bool SplitPath(std::string_view path, std::string_view& folder, std::string_view& name) {
    if (path.size() >= PATH_MAX)
        return false;
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0)
        return false;
    folder = path.substr(0, slash);
    name = path.substr(slash + 1);
    return !name.empty() && name != "." && name != "..";
}

} // namespace

void HeldFolders::Hold(bool hold) {
    holding_ = hold;
    unholdable_.clear();
    if (!hold)
        Release();
}

void HeldFolders::Release() {
    LetGoOfFolder();
    if (!holding_) { // no reader is left once the run lets go
        for (int& fd : letGo_)
            CloseIfOpen(fd);
        letGo_.clear();
    }
    CloseIfOpen(ready_);
    CloseIfOpen(mounts_);
    CloseIfOpen(changes_);
}

// A watched folder also hears of changes to what it holds, such as the attributes and times
// a run sets on its files: those name the file and are passed over, or a run setting them
// would open every folder anew for every file. What is told of a watched folder itself names
// nothing.
bool HeldFolders::StillInPlace() const {
    epoll_event events[2]{};
    const int ready = epoll_wait(ready_, events, 2, 0);
    if (ready == 0)
        return true;
    for (int i = 0; i < ready; ++i)
        if (events[i].events != EPOLLIN)
            return false; // a mount came or went
    if (ready < 0)
        return false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t length = read(changes_, buffer, sizeof buffer);
        if (length <= 0)
            return length < 0 && errno == EAGAIN;
        for (ssize_t at = 0; at < length;) {
            const auto* change = reinterpret_cast<const inotify_event*>(buffer + at);
            if (change->len == 0)
                return false;
            at += static_cast<ssize_t>(sizeof(inotify_event) + change->len);
        }
    }
}

// Each folder on the way is watched before the folder is opened, so a change after its watch
// is heard, and the open then walks what the watches stand on.
bool HeldFolders::WatchEveryFolderOnTheWay(std::string_view folder) {
    std::string prefix = "/";
    if (inotify_add_watch(changes_, prefix.c_str(), kPathChanges) < 0)
        return false;
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/')
            continue;
        prefix.assign(folder.substr(0, end));
        if (inotify_add_watch(changes_, prefix.c_str(), kPathChanges) < 0)
            return false; // a symbolic link on the way, or nothing there
    }
    return true;
}

bool HeldFolders::StartListening() {
    changes_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    mounts_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    ready_ = epoll_create1(EPOLL_CLOEXEC);
    epoll_event changed{EPOLLIN, {}};
    epoll_event remounted{EPOLLPRI, {}};
    return changes_ >= 0 && mounts_ >= 0 && ready_ >= 0 &&
           epoll_ctl(ready_, EPOLL_CTL_ADD, changes_, &changed) == 0 &&
           epoll_ctl(ready_, EPOLL_CTL_ADD, mounts_, &remounted) == 0;
}

bool HeldFolders::Open(std::string_view folder) {
    if (!PlainAbsolute(folder))
        return false;
    if (ready_ < 0 && !StartListening()) {
        Release();
        return false;
    }
    if (!WatchEveryFolderOnTheWay(folder))
        return false;
    std::string path(folder);
    const int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::lock_guard lock(guard_);
    path_ = std::move(path);
    folder_ = fd;
    return true;
}

// A reader given the folder before this may still be using it: it is closed once none is.
void HeldFolders::LetGoOfFolder() {
    {
        const std::lock_guard lock(guard_);
        if (folder_ >= 0)
            letGo_.push_back(folder_);
        folder_ = -1;
        path_.clear();
    }
    CloseWhatNoReaderUses();
}

// A reader that comes in after the folder was let go of is given the one held now, under the
// lock: with none inside, nobody can hold a descriptor let go of.
void HeldFolders::CloseWhatNoReaderUses() {
    if (readers_.load() != 0)
        return;
    for (int& fd : letGo_)
        CloseIfOpen(fd);
    letGo_.clear();
}

// The held descriptor of `folder`, opened anew when the run reaches another folder or the
// held one may have left its path; -1 where whole paths must serve. The watches of folders
// the run has left stay while nothing speaks, so a run going back and forth between a few
// folders does not watch them all again each time.
int HeldFolders::FolderDescriptor(std::string_view folder) {
    const bool nothingChanged = ready_ >= 0 && StillInPlace();
    if (nothingChanged && folder_ >= 0 && path_ == folder)
        return folder_;
    if (nothingChanged)
        LetGoOfFolder();
    else
        Release();
    if (folder != unholdable_ && Open(folder))
        return folder_;
    LetGoOfFolder();
    unholdable_.assign(folder);
    return -1;
}

FolderRelativeName HeldFolders::RelativeToFolder(const std::string& path) const {
    std::string_view folder;
    std::string_view name;
    const std::lock_guard lock(guard_);
    if (folder_ < 0 || !SplitPath(path, folder, name) || folder != path_)
        return {AT_FDCWD, path.c_str()};
    return {folder_, name.data()};
}

void HeldFolders::RelativeToOneFolder(const std::string& from, const std::string& to,
                                      FolderRelativeName& a, FolderRelativeName& b) {
    std::string_view fromFolder;
    std::string_view toFolder;
    std::string_view fromName;
    std::string_view toName;
    a = {AT_FDCWD, from.c_str()};
    b = {AT_FDCWD, to.c_str()};
    if (!holding_ || !SplitPath(from, fromFolder, fromName) || !SplitPath(to, toFolder, toName) ||
        fromFolder != toFolder)
        return;
    const int fd = FolderDescriptor(fromFolder);
    if (fd < 0)
        return;
    a = {fd, fromName.data()};
    b = {fd, toName.data()};
}

ssize_t HeldFolders::GetXattr(const std::string& path, const char* name, void* buffer,
                              std::size_t size) {
    if (!getxattrAtUnavailable_) {
        const FolderRelativeName entry = RelativeToFolder(path);
        if (entry.folder != AT_FDCWD) {
            XattrArgs args{reinterpret_cast<std::uintptr_t>(buffer),
                           static_cast<std::uint32_t>(size), 0};
            const long result =
                syscall(SYS_getxattrat, entry.folder, entry.name, 0, name, &args, sizeof args);
            if (result >= 0 || (errno != ENOSYS && errno != EPERM))
                return result;
            getxattrAtUnavailable_ = true; // an old kernel, or a sandbox that refuses the call
        }
    }
    return getxattr(path.c_str(), name, buffer, size);
}

} // namespace tarvolin
