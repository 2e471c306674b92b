#pragma once

// The only place where the program touches files. Every operation is synchronous and
// reports a refusal as its result (false, -1, or no value); none of them throws.
// Paths are UTF-8 byte strings (on Linux any bytes a name holds).
//
// Map, from a call here to the disk: a FileLayer (below) owns a backend and the one front
// (FileFront.h, in FileOps.cpp), which does what every platform needs alike: the guards, the
// letter-case change through a temporary name, the check of every write against what the file
// then holds, the MS-DOS precision of times, the announcements to the CaseChangeListener.
// Below it a Backend (Backend.h) gives a few primitives, in fileops/linux/ or fileops/win32/,
// whose files are cut alike:
//   LinuxBackend      the primitives, each handing on to one of:
//   Moves             renameat2 NOREPLACE, else an exclusive reservation; what a taken new
//                     name is (the file's own entry?); CaseTwins for NTFS
//   VolumeStore       one statx + the store's read; the volume's DosMetadataStore chosen by
//                     what it answers (StoreChoice.h): SambaStore, NtfsStores (ntfs-3g,
//                     ntfs3), FatStore, ModeOnlyStore
//   ExactMetadata     undo's exact reading and writing; Identity: stamps and leftovers;
//   DirectoryListing, LocalTime, FileAccess (descriptors, xattrs, path parts), JournalFile.
// What each volume does is pinned by tests/volumes/VolumeContractTest.cpp.

#include "AttributeSet.h"
#include "LocalDateTime.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

// How the platform spells paths: which bytes separate directories from names.
enum class PathSyntax {
    Posix,   // '/' only; '\' and ':' are ordinary name bytes
    Windows, // '\' and ':'
};

PathSyntax NativePathSyntax();

// The free functions below each work through a FileLayer of their own that lives for the call
// alone: nothing they learn or are told outlasts it. A run, an undo or a window uses one
// FileLayer throughout instead (declared below).

// Moves `oldPath` to `newPath`, never replacing another existing file. A `newPath` naming
// the same file (byte-identical, or differing only in letter case on a case-insensitive
// volume) succeeds, and the name then carries the new letter case. The new name may lie in
// another directory on the same volume.
bool RenameOnDisk(const std::string& oldPath, const std::string& newPath);
// The same, saying where the file is: at `newPath` when it succeeds; when it fails, at
// `oldPath`, or under the temporary name described below when another program took the name
// in the middle of a change of letter case (on a case-insensitive volume that is the old name
// as well, so the temporary name is the one place left).
bool RenameOnDisk(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt);

// A change of letter case alone goes through a temporary name in the same directory, since
// some volumes ignore it otherwise: "." + the new name + ".Tarvolin-Case-…", which a person
// recognises. Before the first step the three paths are announced, so that a run journal can
// finish or undo the change after a crash; once the file has its new name, that too.
// Where a volume cannot refuse to replace within its rename, any move first takes the new
// name (or the temporary one) with an empty file of its own, a reservation, and renames onto
// it. Each such path is announced before the empty file is made, so that what a crash leaves
// of it can be found and removed (RemoveEmptyFileMadeSince); and again when nothing of the
// program's stays there after all: the name was taken already, or the reservation was removed
// when the rename onto it failed. Whatever is then at that path belongs to someone else.
class CaseChangeListener {
public:
    virtual ~CaseChangeListener() = default;
    virtual void CaseChangeStarting(const std::string& oldPath, const std::string& temporaryPath,
                                    const std::string& newPath) = 0;
    virtual void CaseChangeFinished(const std::string& newPath) = 0;
    virtual void ReservationStarting(const std::string& /*path*/) {}
    virtual void ReservationDropped(const std::string& /*path*/) {}
};

// The system's own words for why the last of the operations above failed on this thread
// ("File exists", "Read-only file system", "Operation not permitted"), for an error box to say
// why. Each such operation leaves a reason when it fails, its own checks included (a time no
// MS-DOS date-time holds, a value the volume would not keep). Asked at once, before any other
// call into the system; empty when none was recorded.
std::string LastFailureReason();

// -1 (kUnreadableAttributes) when the file cannot be queried.
AttributeSet ReadAttributes(const std::string& path);
// Leaves the file with exactly the bits of `wanted`, the others of the four cleared; false when
// the volume refuses them, and for a set with a bit beyond the four (kUnreadableAttributes).
bool ApplyAttributes(const std::string& path, AttributeSet wanted);

// No value when no file answers at exactly `path` (missing, or not readable); the file list
// shows an empty cell for it. The path is looked up as it is: `*` and `?` are name bytes, not
// wildcards. Times are converted to local time with the offset in force at that date.
std::optional<LocalDateTime> GetCreationTime(const std::string& path);
std::optional<LocalDateTime> GetModifyTime(const std::string& path);

// Both writers store the time with the precision of an MS-DOS date-time (even seconds, no
// milliseconds, years 1980..2107) and fail for a time outside that range and for a file whose
// times the user may not set (not its owner on Linux; no right to write its attributes on
// Windows). The read-only attribute does not stop them: only the file's contents are
// protected by it, so a run can make files read-only and give them times in one go.
// `SetModifyTime` sets last access and last write alike and leaves the creation time.
bool SetCreationTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time);
bool SetModifyTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time);

// What a list row shows of a file, read with as few system calls as the platform allows.
// Gives the same values as ReadAttributes, GetCreationTime and GetModifyTime.
struct FileSummary {
    AttributeSet attributes = kUnreadableAttributes;
    std::optional<LocalDateTime> creationTime;
    std::optional<LocalDateTime> modifyTime;
};
FileSummary ReadFileSummary(const std::string& path);

// Which file a path names: its volume and its number there. It stays with the file across
// renames (pinned by OnEveryVolume.KnowsAFileByOneNumberBeforeAndAfterItsRename). `volume` is
// the device number, which a volume may change when it comes back (another loop device or USB
// slot, a FUSE mount); `volumeId` is the file system's own identity (statfs's f_fsid, on
// Windows the volume serial), 0 where it has none. FAT, exFAT and FUSE volumes hand out file
// numbers that last only while they stay mounted: `numbersLast` is false there.
// No value when nothing answers at exactly `path`. A symbolic link is its own file.
struct FileIdentity {
    unsigned long long volume = 0;
    unsigned long long file = 0;
    unsigned long long volumeId = 0;
    bool numbersLast = true;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> ReadFileIdentity(const std::string& path);
// The same for many paths at once, faster where many share a folder.
std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths);

// A moment in UTC, exactly as a volume keeps it: seconds since 1970-01-01 (negative before)
// and the nanoseconds within that second. Any year the system holds.
struct ExactTime {
    long long seconds = 0;
    unsigned nanoseconds = 0; // 0..999'999'999
    friend bool operator==(const ExactTime&, const ExactTime&) = default;
};

// What a file shows that a later look can compare with, to tell it from another file that
// got the same number: its size, its modification and change times, and the birth time where
// the volume keeps one. `created` is filled only where a run set a creation time.
struct FileFingerprint {
    unsigned long long size = 0;
    ExactTime modify;
    ExactTime change;
    std::optional<ExactTime> birth;
    std::optional<ExactTime> created;
    friend bool operator==(const FileFingerprint&, const FileFingerprint&) = default;
};

struct FileStamp {
    FileIdentity identity;
    FileFingerprint fingerprint;
};
// One system call per file where the volume was seen before; the entry itself, a symbolic
// link not followed.
std::optional<FileStamp> ReadFileStamp(const std::string& path);
std::vector<std::optional<FileStamp>> ReadFileStamps(std::span<const std::string> paths);

// What a list row keeps of a file: ReadFileSummary's attributes, and its two times as the
// volume gives them, in UTC. A list re-reads every row a run renames and shows a few dozen
// of them, so it turns a time into local time (FileLayer::LocalTimeOf) only to show it.
struct UtcFileSummary {
    AttributeSet attributes = kUnreadableAttributes;
    std::optional<ExactTime> creationTime;
    std::optional<ExactTime> modifyTime;
};

// What a list row keeps of a file and which file it is, from the one read a row costs anyway
// (Linux: one statx and the store's read; Windows: one handle's information), so that a run
// can take its plan's identities from the rows instead of reading every file again. The
// summary is ReadFileSummary's before its times are made local, the stamp ReadFileStamp's (no
// stamp where nothing answers).
struct FileSummaryAndStamp {
    UtcFileSummary summary;
    std::optional<FileStamp> stamp;
};
FileSummaryAndStamp ReadFileSummaryAndStamp(const std::string& path);

// The attributes and times of a file exactly as the volume keeps them, for undo to put back.
// Each part is optional so that a journal can hold only the parts a run changes.
struct ExactMetadata {
    std::optional<AttributeSet> attributes; // the four bits
    std::optional<ExactTime> modify;
    std::optional<ExactTime> access;
    std::optional<ExactTime> creation; // as the file shows it
    // The creation time is one of the file's own (Samba's value, NTFS's), not the birth
    // time or the oldest time standing in for it.
    bool creationStored = false;
    // The volume keeps a record of the DOS side apart from the file (Linux: `user.DOSATTRIB`).
    bool dosRecord = false;
};
// Every part filled; no value when nothing answers at `path`.
std::optional<ExactMetadata> ReadExactMetadata(const std::string& path);

struct MetadataRestore {
    bool ok = false;           // false: the volume refused a part
    bool changed = false;      // something was written
    bool modifyKept = false;   // the modification time is no longer what the run left: kept
    bool creationKept = false; // the same for the creation time
};
// Puts back the parts `before` holds, exactly: the times to the nanosecond (any year), the
// absence of a stored creation time or of a DOS record. A time that no longer holds what the
// run left (`runLeft`, where known) was changed since, by someone else: it stays. Parts that
// already hold their value are not written.
MetadataRestore RestoreExactMetadata(const std::string& path, const ExactMetadata& before,
                                     const ExactMetadata& runLeft);
// Removes what a crash left of a reservation: the entry at `path` only while it is an empty
// regular file (a link is not followed) made no earlier than `notBefore`, in UTC seconds since
// the epoch, by its birth time where the volume keeps one and else by its last status change,
// allowing for the two seconds a FAT volume rounds down. False when anything else is there or
// nothing could be removed. Whether it still belongs to no file of a run is the caller's check.
bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore);

// For each path, whether its folder lists an entry spelled exactly as its last part, byte for
// byte. A case-insensitive volume finds a file under any letter case of its name; the listing
// tells which one it has (though where lowntfs-3g ignores case it lists every name in lower
// case, so an all-lower-case name is listed under any case). Faster than one path at a time
// where many share a folder.
std::vector<bool> ListedAsSpelled(std::span<const std::string> paths);

// What a folder's volume allows a name and a file, and the names the folder holds now: all a
// preview of a run needs to know of the disk, read at once per folder, never per file.
struct FolderFacts {
    bool listed = false;            // the folder could be read; `names` is then complete
    bool writable = true;           // this user may add and remove names there
    std::vector<std::string> names; // its entries, spelled as the listing gives them
    bool ignoresCase = false;       // finds a file under any letter case of its name
    bool foldsNames = false;        // a name differing only in letter case from another entry
                                    // counts as taken (as above, or NTFS mounted to tell them
                                    // apart, where Windows would reach only one of the two)
    bool windowsNames = false;      // FAT, exFAT or NTFS: Windows' rules for names hold
    unsigned maxNameLength = 255;   // in bytes, or in UTF-16 units where `windowsNames`
    // The bits a file there can be given. Where only read-only is kept, a name beginning
    // with a dot is what shows a file hidden.
    AttributeSet storableAttributes = kFourAttributes;
    bool storesCreationTime = true; // a creation time can be set, not only read
};
FolderFacts ReadFolderFacts(const std::string& folder);

class Backend;
class FileFront;
enum class Step;

// The file layer as one object: what it learns of volumes and folders while it lives (which
// store a mount uses, what a folder lists), whom it tells of changes of letter case and
// reservations, and where a test acts mid-step (StepHook.h). A window or command holds one
// for its life and hands it to every run, undo and recovery, so that two of them never share
// a listener or a hook by accident. Its operations are those of the free functions above.
class FileLayer {
public:
    // Over the platform's own backend.
    FileLayer();
    // Over `backend`, which must outlive it (a test's backend in memory).
    explicit FileLayer(Backend& backend);
    ~FileLayer();
    FileLayer(const FileLayer&) = delete;
    FileLayer& operator=(const FileLayer&) = delete;

    // None by default; the listener must outlive the renames it hears of.
    void SetCaseChangeListener(CaseChangeListener* listener);
    // An empty function disarms.
    void ArmStepHook(std::function<void(Step)> hook);

    bool RenameOnDisk(const std::string& oldPath, const std::string& newPath);
    bool RenameOnDisk(const std::string& oldPath, const std::string& newPath,
                      std::string& fileNowAt);
    AttributeSet ReadAttributes(const std::string& path);
    bool ApplyAttributes(const std::string& path, AttributeSet wanted);
    std::optional<LocalDateTime> GetCreationTime(const std::string& path);
    std::optional<LocalDateTime> GetModifyTime(const std::string& path);
    bool SetCreationTime(const std::string& path, const LocalDateTime& date,
                         const LocalDateTime& time);
    bool SetModifyTime(const std::string& path, const LocalDateTime& date,
                       const LocalDateTime& time);
    FileSummary ReadFileSummary(const std::string& path);
    FileSummaryAndStamp ReadFileSummaryAndStamp(const std::string& path);
    // The local wall-clock time of a moment, as ReadFileSummary shows it; none where the
    // system cannot say it.
    std::optional<LocalDateTime> LocalTimeOf(const ExactTime& utc);
    std::optional<FileIdentity> ReadFileIdentity(const std::string& path);
    std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths);
    std::optional<FileStamp> ReadFileStamp(const std::string& path);
    std::vector<std::optional<FileStamp>> ReadFileStamps(std::span<const std::string> paths);
    std::optional<ExactMetadata> ReadExactMetadata(const std::string& path);
    MetadataRestore RestoreExactMetadata(const std::string& path, const ExactMetadata& before,
                                         const ExactMetadata& runLeft);
    bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore);
    std::vector<bool> ListedAsSpelled(std::span<const std::string> paths);
    FolderFacts ReadFolderFacts(const std::string& folder);
    // Through FoldersHeldForRun.
    void HoldFolders(bool hold);
    // Whether a run may rename and write its files on one thread while the caller reads them
    // again on its own, through this layer at once: where the backend allows it and nobody
    // kept the layer to one thread.
    bool AllowsTwoThreads() const;
    // Keeps every run through this layer on its caller's thread (a test comparing the two).
    void KeepToOneThread(bool keep) { oneThread_ = keep; }

private:
    std::unique_ptr<Backend> ownBackend_;
    std::unique_ptr<FileFront> front_;
    bool oneThread_ = false;
};

// For as long as it lives, `files` may reach each file of a run through its folder, opened
// once, rather than along the whole path again, while the folder stays at its path: a folder
// moved away meanwhile is let go, and its files are then missed where the list says they are.
class FoldersHeldForRun {
public:
    explicit FoldersHeldForRun(FileLayer& files) : files_(files) { files_.HoldFolders(true); }
    ~FoldersHeldForRun() { files_.HoldFolders(false); }
    FoldersHeldForRun(const FoldersHeldForRun&) = delete;
    FoldersHeldForRun& operator=(const FoldersHeldForRun&) = delete;

private:
    FileLayer& files_;
};

// The folder the run journals live in, made on first use and readable by its owner only:
// $XDG_STATE_HOME/ctarvolin (by default ~/.local/state/ctarvolin); on Windows
// %LOCALAPPDATA%\ctarvolin. Empty when there is no such place; `problem`, when given, then
// says why in words a user can act on.
std::string JournalDirectory(std::string* problem = nullptr);

// The file a run journal is written to. What `Append` hands over reaches the system at once,
// so a program that is killed loses none of it; `MakeDurable` makes it, and the file's name in
// its folder, survive a power loss as well. While one is open the file stays locked, which
// tells another copy of the program that the run is still going.
class JournalFile {
public:
    // Fails when the file exists already; `problem`, when given, then says why.
    static std::unique_ptr<JournalFile> Create(const std::string& path,
                                               std::string* problem = nullptr);
    // Fails when the file is missing or locked by a run that is still going.
    static std::unique_ptr<JournalFile> OpenToAppend(const std::string& path);
    virtual ~JournalFile() = default;
    virtual bool Append(std::string_view bytes) = 0;
    virtual bool MakeDurable() = 0;
    // The system's words for why the last Append or MakeDurable failed ("No space left on
    // device").
    virtual std::string failure() const = 0;
};
// True while a program holds `path` open as its journal.
bool IsJournalInUse(const std::string& path);
// The names of the entries in the journal folder `folder`, whatever kind each is (which of
// them are journals is the caller's to tell), in no particular order; none when it cannot be
// listed.
std::vector<std::string> ListJournalFolder(const std::string& folder);

// A run journal opened for reading. Only a regular file is opened, never through a symbolic
// link and without waiting on a pipe, so that whatever lies in the journal folder under a
// journal's name can neither hang nor flood the reader.
class JournalSource {
public:
    // Null when `path` is not a regular file that can be read; `why` then says what it is.
    static std::unique_ptr<JournalSource> Open(const std::string& path, std::string& why);
    virtual ~JournalSource() = default;
    virtual unsigned long long size() const = 0;
    // Up to `buffer.size()` bytes from `offset` on; 0 at the end, -1 when reading failed.
    virtual long long ReadAt(unsigned long long offset, std::span<char> buffer) = 0;
};

// Removes the journal at `path` when it is an empty regular file that no program holds: one
// whose program was killed between creating it and writing its first record. It is checked
// under its own lock, so a journal being created just now is never taken away.
bool RemoveEmptyJournal(const std::string& path);
// Removes the journal at `path`, whatever it holds; false when nothing could be removed.
bool RemoveJournal(const std::string& path);

// Hands the heap memory that the program has freed back to the system. The allocator keeps
// freed memory for later use, so what a folder of 100 000 files in the file dialog or the undo
// of a large run once needed would otherwise stay counted as the program's own for as long as
// it runs. Memory in use is not touched; called after such a step, never in a loop.
void ReturnFreedMemory();

} // namespace tarvolin
