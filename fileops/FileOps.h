#pragma once

// The only place where the program touches files. Every operation is synchronous and
// reports a refusal as its result (false, -1, or no value); none of them throws.
// Paths are UTF-8 byte strings (on Linux any bytes a name holds).
//
// Map of the Linux backend (fileops/posix/), from a call here to the disk:
//   RenameOnDisk      PosixFileOps -> NoReplaceMove (renameat2 NOREPLACE, else an exclusive
//                     reservation) -> SameFileRename when the new name finds the file itself
//                     (letter case only: through a temporary name) -> CaseTwins on NTFS.
//   attributes, times PosixFileOps -> FileFacts (one statx + the store's read) ->
//                     VolumeStoreChoice picks the volume's DosMetadataStore by what it answers
//                     (StoreChoice.h): SambaDosAttribStore, Ntfs3gStore, Ntfs3Store,
//                     FatAttributeStore, ModeOnlyStore; every write is read back.
// The Windows backend (fileops/win32/) keeps the same promises with the system's own calls.
// What each volume does is pinned by tests/volumes/VolumeContractTest.cpp.

#include "AttributeSet.h"
#include "LocalDateTime.h"

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

// Moves `oldPath` to `newPath`, never replacing another existing file. A `newPath` naming
// the same file (byte-identical, or differing only in letter case on a case-insensitive
// volume) succeeds, and the name then carries the new letter case. The new name may lie in
// another directory on the same volume.
bool RenameOnDisk(const std::string& oldPath, const std::string& newPath);

// A change of letter case alone goes through a temporary name in the same directory, since
// some volumes ignore it otherwise: "." + the new name + ".Tarvolin-Case-…", which a person
// recognises. Before the first step the three paths are announced, so that a run journal can
// finish or undo the change after a crash; once the file has its new name, that too.
class CaseChangeListener {
public:
    virtual ~CaseChangeListener() = default;
    virtual void CaseChangeStarting(const std::string& oldPath, const std::string& temporaryPath,
                                    const std::string& newPath) = 0;
    virtual void CaseChangeFinished(const std::string& newPath) = 0;
};
// None by default; the listener must outlive the renames it hears of.
void SetCaseChangeListener(CaseChangeListener* listener);

// -1 (kUnreadableAttributes) when the file cannot be queried.
AttributeSet ReadAttributes(const std::string& path);
// Leaves the file with exactly the bits of `wanted`, the others of the four cleared; false when
// the volume refuses them, and for a set with a bit beyond the four (kUnreadableAttributes).
bool ApplyAttributes(const std::string& path, AttributeSet wanted);
inline bool ApplyAttributes(const std::string& path, bool readOnly, bool hidden, bool system,
                            bool archive) {
    return ApplyAttributes(path, MakeAttributeSet(readOnly, hidden, system, archive));
}

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
// renames (pinned by OnEveryVolume.KnowsAFileByOneNumberBeforeAndAfterItsRename); FAT and
// exFAT keep no such number on disk, so there it lasts only while the volume stays mounted.
// No value when nothing answers at exactly `path`. A symbolic link is its own file.
struct FileIdentity {
    unsigned long long volume = 0;
    unsigned long long file = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> ReadFileIdentity(const std::string& path);
// The same for many paths at once, faster where many share a folder.
std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths);

// The folder the run journals live in, made on first use and readable by its owner only:
// $XDG_STATE_HOME/ctarvolin (by default ~/.local/state/ctarvolin); on Windows
// %LOCALAPPDATA%\ctarvolin. Empty when there is no such place.
std::string JournalDirectory();

// The file a run journal is written to. What `Append` hands over reaches the system at once,
// so a program that is killed loses none of it; `MakeDurable` makes it, and the file's name in
// its folder, survive a power loss as well. While one is open the file stays locked, which
// tells another copy of the program that the run is still going.
class JournalFile {
public:
    // Fails when the file exists already.
    static std::unique_ptr<JournalFile> Create(const std::string& path);
    // Fails when the file is missing or locked by a run that is still going.
    static std::unique_ptr<JournalFile> OpenToAppend(const std::string& path);
    virtual ~JournalFile() = default;
    virtual bool Append(std::string_view bytes) = 0;
    virtual bool MakeDurable() = 0;
};
// True while a program holds `path` open as its journal.
bool IsJournalInUse(const std::string& path);

} // namespace tarvolin
