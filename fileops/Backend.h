#pragma once

// What a platform gives the file layer's front (FileFront.h): a few primitives on the portable
// structs of FileOps.h. The front does, once for every platform, what they all need alike:
// the guards, the change of letter case through a temporary name, the check of every write
// against what the file then holds, the MS-DOS precision of times, and telling the
// CaseChangeListener what it does. A primitive reports a refusal as its result, like FileOps.h; it
// may throw, which the front's guards answer with a refusal.

#include "FileOps.h"
#include "RestorePlan.h"
#include "StepHook.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

enum class EntryKind {
    Missing,
    File,
    Folder,
    Other, // a symbolic link, FIFO, socket or device: no attributes or times go there
};

enum class MoveOutcome {
    Moved,
    TargetExists, // `to` names an entry (perhaps `from`'s own); nothing was changed
    Refused,      // any other failure; nothing was changed
};

// What a rename's new name finds when the move found it taken.
enum class TakenBy {
    SameEntry,       // the old name's own entry, spelled the same way ("/a/./b" for "/a/b")
    LetterCaseAlias, // the old name's own entry in another letter case
    OtherEntry,      // another file, or a hard link of this one
};

// How a folder lists an entry whose spelling the caller knows.
enum class ListedAs {
    Given,     // exactly as spelled
    LowerCase, // only with its ASCII capitals lowered (lowntfs-3g with ignore_case)
    Absent,
};

enum class TimeSlot { Creation, AccessAndModify };

// What a move tells while it goes: the reservations of CaseChangeListener, and the steps
// a test can act at.
class MoveWatch {
public:
    virtual ~MoveWatch() = default;
    virtual void ReservationStarting(const std::string& path) = 0;
    virtual void ReservationDropped(const std::string& path) = 0;
    virtual void Reached(Step step) = 0;
};

struct MetadataAndStamp {
    std::optional<ExactMetadata> metadata;
    std::optional<FileStamp> stamp;
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual PathSyntax Syntax() const = 0;
    // The path of the entry `name` in the folder that holds `path`.
    virtual std::string Beside(const std::string& path, const std::string& name) const = 0;
    // The entry's own name: a view into `path`, which every rename asks about its target.
    virtual std::string_view LastName(const std::string& path) const = 0;
    virtual unsigned long ProcessId() const = 0;

    // The entry itself: a symbolic link is not followed.
    virtual EntryKind KindOf(const std::string& path) = 0;
    virtual std::optional<FileStamp> ReadStamp(const std::string& path) = 0;
    virtual ListedAs HowListed(const std::string& path) = 0;
    // The same for many paths at once; a backend may do it faster where many share a folder.
    virtual std::vector<std::optional<FileStamp>> ReadStamps(std::span<const std::string> paths);
    virtual std::vector<bool> ListedAsSpelled(std::span<const std::string> paths);

    // Moves without ever replacing an entry, never across volumes.
    virtual MoveOutcome Move(const std::string& from, const std::string& to, MoveWatch& watch) = 0;
    virtual TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath) = 0;
    // Whether the new name's folder holds another entry that Windows would not tell from it,
    // and a word on each move made, for what a backend remembers of its folders.
    virtual bool HasCaseTwin(const std::string& oldPath, const std::string& newPath) = 0;
    // Whether the folder `path` lies in keeps Windows' rules for names (WindowsNames.h).
    virtual bool KeepsWindowsNames(const std::string& path) = 0;
    virtual void NoteMoved(const std::string& oldPath, const std::string& newPath) = 0;

    // Every part filled, the file followed where it is a link.
    virtual std::optional<ExactMetadata> ReadMetadata(const std::string& path) = 0;
    // ReadMetadata and ReadStamp of one path together; a backend answers both from one read
    // where the platform allows (the default asks each in turn).
    virtual MetadataAndStamp ReadMetadataAndStamp(const std::string& path);
    virtual std::optional<ExactTime> ReadModifyTime(const std::string& path) = 0;
    // The four bits, to a file or folder only, never through a link. What the file holds
    // afterwards, as far as the platform can tell; no value when the write failed.
    virtual std::optional<AttributeSet> WriteAttributes(const std::string& path,
                                                        AttributeSet wanted) = 0;
    // To a regular file only. What the slot holds afterwards, as far as the platform can
    // tell; no value when the write failed.
    virtual std::optional<ExactTime> WriteTime(const std::string& path, TimeSlot slot,
                                               const ExactTime& utc) = 0;
    // Writes what `plan` puts back of `before` and the attributes `wanted` to a file that
    // holds `now`.
    virtual bool PutBack(const std::string& path, const ExactMetadata& now,
                         const ExactMetadata& before, const RestorePlan& plan,
                         AttributeSet wanted) = 0;
    virtual bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) = 0;
    // What `folder` lists and what its volume allows, in one look.
    virtual FolderFacts ReadFolderFacts(const std::string& folder) = 0;
    // While held (FoldersHeldForRun), a backend may keep the folders it reaches open and name
    // each file relative to its folder, for as long as that folder stays at its path.
    virtual void HoldFolders(bool hold) = 0;
    // Whether one thread may rename and write while another reads through this backend at
    // the same time: what it learns as it goes (folders held, volumes asked) is then kept
    // safe for one writer and one reader. False unless a backend says so.
    virtual bool AllowsTwoThreads() const { return false; }

    // With the offset in force at that moment. No value for a moment the system cannot place.
    virtual std::optional<ExactTime> LocalToUtc(const LocalDateTime& local) = 0;
    virtual std::optional<LocalDateTime> UtcToLocal(const ExactTime& utc) = 0;
};

// A refusal the front makes itself, without a failed system call to say why.
enum class Refusal {
    NameTaken,  // another entry holds the new name
    BadName,    // a name Windows cannot open, on a volume it reads (WindowsNames.h)
    BadRequest, // a value no file could take (attribute bits beyond the four)
    OutOfRange, // a time no MS-DOS date-time holds, or one the volume did not keep
    NotKept,    // the volume took a write and holds something else
};
// Leaves the platform's own code for `why` where LastFailureReason (FileOps.h) reads it, so
// that the front's refusals are worded as the system words its own.
void LeaveFailureReason(Refusal why);

// The platform's own, with nothing learnt yet of volumes and folders: what it learns (which
// store a mount uses, what a folder lists) it keeps for as long as it lives.
std::unique_ptr<Backend> MakeNativeBackend();

} // namespace tarvolin
