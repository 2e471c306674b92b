#pragma once

// While a run holds its folders, the per-file calls (rename, statx, getxattr) name a file
// relative to its folder, opened once, instead of walking the whole path again for each file:
// the kernel then looks up one name where it would look up every folder on the way.
//
// A held folder is used only while it is still the one its path leads to. Before each rename,
// the one call that changes the disk, one call (epoll_wait, no path walked) asks whether
// anything has spoken since the folder was opened: inotify on the folder and on every folder
// above it (moved, removed, or its permissions or attributes changed) and /proc/self/mountinfo
// (a mount came or went). If so, the folder is let go and opened again by its path, so a file
// whose folder another program moved away is looked for where the list says it is, and missed
// there, as a whole path would miss it: the run stops at that file as it would without a held
// folder.
//
// The reads (statx, getxattr) go through the held folder without asking. After a rename they
// read the file the run has just moved, which the descriptor still reaches if its folder has
// moved since; the next file's rename then hears of the move and lets go, and the run stops
// there. A read before a file's rename (what undo must put back) may find the file in a folder
// that has just moved away, but the rename that follows asks first, fails by the whole path,
// and the run stops at that file, leaving it as it was. Nothing is written through the held
// folder: attributes and times are set by the whole path. One check per file rather than one
// per call: the check costs about what a call that does nothing costs, and three of them per
// file ate what the held folder saves. Asking the path itself (a statx of the folder per file)
// costs about as much as the walks saved. A path with a symbolic link, "." or ".." on the way
// is not held; neither is any path when the system gives no inotify instance or no /proc:
// whole paths are then used. Belongs to one backend and holds nothing once its run lets go.
//
// One thread may rename through it while another reads through it (a run whose rows are read
// again on the caller's thread while its renames go on, on one of their own). Only the renaming
// thread opens and lets go of folders; the short lock covers which folder is held, never a
// system call. A reader may still be using the descriptor the renamer has just let go of, so a
// reader says when it reads (Reading), and a folder let go of is closed only once no reader is
// inside, at the latest when the run lets go of them all.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tarvolin {

// A file named relative to a folder descriptor, or AT_FDCWD and the whole path.
struct FolderRelativeName {
    int folder;
    const char* name;
};

class HeldFolders {
public:
    HeldFolders() = default;
    ~HeldFolders() {
        holding_ = false;
        Release();
    }
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;

    // Starts or ends holding folders; ending closes what is held. Never while another thread
    // goes through this.
    void Hold(bool hold);

    // For as long as it lives, a reader (RelativeToFolder, GetXattr) may use what it was given.
    class Reading {
    public:
        explicit Reading(HeldFolders& held) : held_(held) { held_.readers_.fetch_add(1); }
        ~Reading() { held_.readers_.fetch_sub(1); }
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

    private:
        HeldFolders& held_;
    };

    // For a read: `path` relative to the folder held now, unasked, or the whole path against
    // the working directory. The name points into `path`.
    FolderRelativeName RelativeToFolder(const std::string& path) const;
    // For a rename: both names relative to their folder, held or opened after asking whether
    // it is still at its path; relative only when both are in one folder.
    void RelativeToOneFolder(const std::string& from, const std::string& to, FolderRelativeName& a,
                             FolderRelativeName& b);
    // getxattr at `path`, through its held folder where the kernel allows getxattrat (Linux
    // 6.13 on; a sandbox may refuse it with EPERM). Once refused, whole paths for good.
    ssize_t GetXattr(const std::string& path, const char* name, void* buffer, std::size_t size);

private:
    int FolderDescriptor(std::string_view folder);
    bool StartListening();
    bool Open(std::string_view folder);
    void LetGoOfFolder();
    void CloseWhatNoReaderUses();
    bool WatchEveryFolderOnTheWay(std::string_view folder);
    bool StillInPlace() const;
    void Release();

    bool holding_ = false;
    std::atomic<bool> getxattrAtUnavailable_ = false;
    mutable std::mutex guard_; // over path_ and folder_, which only the renaming thread changes
    std::string path_;         // the held folder's path as the run spells it
    std::string unholdable_;   // the last folder that could not be held: whole paths there
    int folder_ = -1;
    std::vector<int> letGo_;       // folders let go of that a reader may still be using
    std::atomic<int> readers_ = 0; // Reading inside now
    int changes_ = -1;             // inotify over the folder and every folder above it
    int mounts_ = -1; // /proc/self/mountinfo, which polls as changed when a mount comes or goes
    int ready_ = -1;  // epoll over both: one call tells whether either has spoken
};

} // namespace tarvolin
