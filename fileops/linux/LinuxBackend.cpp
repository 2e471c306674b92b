// The Linux backend of the file layer's front. What Windows keeps per file and Unix does not
// (attribute bits, creation time) is read and written through the volume's DosMetadataStore.
// Local and UTC time convert with the offset in force at the date itself, not today's, so a
// summer time written or read in winter shows the wall-clock time it had.
#include "Backend.h"
#include "CaseTwins.h"
#include "DirectoryListing.h"
#include "ExactMetadata.h"
#include "FileAccess.h"
#include "FolderFacts.h"
#include "Identity.h"
#include "Moves.h"
#include "VolumeStore.h"

#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {

namespace {

ExactTime Exact(const UnixTime& time) {
    return ExactTime{time.seconds, time.nanoseconds};
}

class LinuxBackend final : public Backend {
public:
    PathSyntax Syntax() const override { return PathSyntax::Posix; }

    std::string Beside(const std::string& path, const std::string& name) const override {
        return ParentDirectory(path) + "/" + name;
    }

    std::string_view LastName(const std::string& path) const override {
        return LastComponentView(path);
    }

    unsigned long ProcessId() const override { return static_cast<unsigned long>(getpid()); }

    EntryKind KindOf(const std::string& path) override {
        const std::optional<struct statx> entry = StatEntry(FileRef{path});
        if (!entry)
            return EntryKind::Missing;
        if (S_ISREG(entry->stx_mode))
            return EntryKind::File;
        return S_ISDIR(entry->stx_mode) ? EntryKind::Folder : EntryKind::Other;
    }

    std::optional<FileStamp> ReadStamp(const std::string& path) override {
        return stamps_.StampOf(path);
    }

    std::vector<std::optional<FileStamp>> ReadStamps(std::span<const std::string> paths) override {
        return stamps_.StampsOf(paths);
    }

    ListedAs HowListed(const std::string& path) override {
        return HowDirectoryLists(ParentDirectory(path), LastComponent(path));
    }

    std::vector<bool> ListedAsSpelled(std::span<const std::string> paths) override {
        return ListsAsSpelled(paths);
    }

    MoveOutcome Move(const std::string& from, const std::string& to, MoveWatch& watch) override {
        return MoveWithoutReplacing(from, to, watch, held_);
    }

    TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath) override {
        return tarvolin::WhatTakesName(oldPath, newPath);
    }

    bool HasCaseTwin(const std::string& oldPath, const std::string& newPath) override {
        const std::string_view directory = ParentDirectoryView(newPath);
        if (!WindowsFoldsNamesIn(directory))
            return false;
        const std::string ownName =
            ParentDirectoryView(oldPath) == directory ? LastComponent(oldPath) : std::string();
        return twins_.HasCaseTwin(std::string(directory), LastComponent(newPath), ownName);
    }

    bool KeepsWindowsNames(const std::string& path) override {
        return FolderKeepsWindowsNames(stores_, ParentDirectory(path));
    }

    void NoteMoved(const std::string& oldPath, const std::string& newPath) override {
        if (WindowsFoldsNamesIn(ParentDirectoryView(newPath)))
            twins_.NoteOwnRename(oldPath, newPath);
    }

    std::optional<ExactMetadata> ReadMetadata(const std::string& path) override {
        const HeldFolders::Reading reading(held_);
        return ReadLinuxMetadata(stores_, path, &held_);
    }

    MetadataAndStamp ReadMetadataAndStamp(const std::string& path) override {
        const HeldFolders::Reading reading(held_);
        return ReadLinuxMetadataAndStamp(stores_, stamps_, path, &held_);
    }

    std::optional<ExactTime> ReadModifyTime(const std::string& path) override {
        const std::optional<struct statx> st = StatFile(FileRef{path});
        return st ? std::optional<ExactTime>(Exact(ToUnixTime(st->stx_mtime))) : std::nullopt;
    }

    // Attributes go to regular files and directories only, never through a symbolic link to
    // what it points at.
    // Read back: a volume may accept a bit it does not keep.
    std::optional<AttributeSet> WriteAttributes(const std::string& path,
                                                AttributeSet wanted) override {
        const FileRef file{path};
        const std::optional<struct statx> entry = StatEntry(file);
        if (!entry || !(S_ISREG(entry->stx_mode) || S_ISDIR(entry->stx_mode)) ||
            !stores_.StoreFor(file, *entry).WriteAttributes(file, *entry, wanted))
            return std::nullopt;
        const std::optional<FileFacts> after = stores_.ReadFileFacts(file);
        return after ? std::optional<AttributeSet>(after->dos.attributes) : std::nullopt;
    }

    // The file stays open from the first reading to the read-back, so all concern one file,
    // and what the volume holds afterwards is read back.
    // The read-only attribute does not stand in the way, as on Windows (pinned by
    // ReadOnlyFile.OwnerWritesItsTimeAndItStaysReadOnly). ntfs-3g drops a modification time
    // set by utimensat once a creation time was set in the same mount, so the volume's store
    // decides how the times are written (pinned by NtfsTimes.BothSurviveTheUnmountInEitherOrder).
    std::optional<ExactTime> WriteTime(const std::string& path, TimeSlot slot,
                                       const ExactTime& utc) override {
        const OpenFile opened(path);
        if (opened.fd() < 0)
            return std::nullopt;
        const FileRef file{path, opened.fd()};
        const std::optional<FileFacts> facts = stores_.ReadFileFacts(file);
        if (!facts)
            return std::nullopt;
        const DosMetadataStore& store = stores_.StoreFor(file, facts->stat);
        const UnixTime time{utc.seconds, utc.nanoseconds};
        const bool written = slot == TimeSlot::Creation
                                 ? store.WriteCreationTime(file, facts->stat, time)
                                 : store.WriteAccessAndModifyTime(file, facts->stat, time, time);
        const std::optional<FileFacts> after = written ? stores_.ReadFileFacts(file) : std::nullopt;
        if (!after)
            return std::nullopt;
        return Exact(slot == TimeSlot::Creation ? after->dos.creationTime
                                                : ToUnixTime(after->stat.stx_mtime));
    }

    bool PutBack(const std::string& path, const ExactMetadata&, const ExactMetadata& before,
                 const RestorePlan& plan, AttributeSet wanted) override {
        return PutBackMetadata(stores_, path, before, plan, wanted);
    }

    bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) override {
        return RemoveIfEmptyFileMadeSince(path, notBefore);
    }

    std::optional<ExactTime> LocalToUtc(const LocalDateTime& local) override {
        const std::optional<UnixTime> utc = tarvolin::LocalToUtc(local);
        return utc ? std::optional<ExactTime>(Exact(*utc)) : std::nullopt;
    }

    std::optional<LocalDateTime> UtcToLocal(const ExactTime& utc) override {
        return tarvolin::UtcToLocal(UnixTime{utc.seconds, utc.nanoseconds});
    }

    void HoldFolders(bool hold) override { held_.Hold(hold); }

    // What it learns as it goes is kept under short locks (the held folders, the stores and
    // volume facts by mount, the folders' listings and whether they fold names), never around
    // the system calls of the files themselves.
    bool AllowsTwoThreads() const override { return true; }

    FolderFacts ReadFolderFacts(const std::string& folder) override {
        return ReadLinuxFolderFacts(stores_, folder);
    }

private:
    // Remembered per directory: asking costs a statx per rename, a third of a batch run's
    // time, and a folder seldom moves to another volume while listed. The folder asked last
    // is compared first, since a batch asks of one folder file after file.
    bool WindowsFoldsNamesIn(std::string_view directory) {
        constexpr std::size_t kDirectoriesRemembered = 64;
        {
            const std::lock_guard lock(foldsGuard_);
            if (!lastDirectory_.empty() && directory == lastDirectory_)
                return lastFolds_;
            if (const auto known = foldsByDirectory_.find(directory);
                known != foldsByDirectory_.end())
                return Remember(known->first, known->second);
        }
        const std::string path(directory);
        const FileRef folder{path};
        const std::optional<struct statx> st = StatFile(folder);
        if (!st)
            return false;
        const bool folds = stores_.StoreFor(folder, *st).WindowsFoldsNames();
        const std::lock_guard lock(foldsGuard_);
        if (foldsByDirectory_.size() >= kDirectoriesRemembered)
            foldsByDirectory_.clear();
        return Remember(path, foldsByDirectory_[path] = folds);
    }

    bool Remember(const std::string& directory, bool folds) {
        lastDirectory_ = directory;
        lastFolds_ = folds;
        return folds;
    }

    // What this backend has learnt of volumes and folders, kept for as long as it lives.
    VolumeStores stores_;
    FileStamps stamps_;
    CaseTwins twins_;
    std::mutex foldsGuard_; // over the three below
    std::map<std::string, bool, std::less<>> foldsByDirectory_;
    std::string lastDirectory_; // the last folder WindowsFoldsNamesIn answered, and its answer
    bool lastFolds_ = false;
    HeldFolders held_; // while a run holds them: what its per-file calls go through
};

} // namespace

std::unique_ptr<Backend> MakeNativeBackend() {
    return std::make_unique<LinuxBackend>();
}

} // namespace tarvolin
