#pragma once

// The run journal as text: one record per line, fields separated by one space, so that a
// person can read it and a script can split it. Every path is escaped: the bytes from '!' to
// '~' stand for themselves except '%', every other byte is written as %XX, so any name
// (spaces, newlines, bytes that are not UTF-8) comes back exactly.
//
//   ctarvolin-journal 3                  format version, always the first line: 3 where the
//                                        plan took identities its caller had read before the
//                                        run (which `seen` records may correct), else 2
//   kind run | kind undo <journal>       a rename run, or the undo of the named journal
//   change OLD NEW IDENTITY SEEN ATTRIBUTES CREATED MODIFIED ACCESSED RECORD
//                                        one per file, in the order they are worked on; NEW
//                                        is "./NAME" for a name in OLD's folder. IDENTITY is
//                                        DEVICE:FILE:VOLUMEID:LASTING (VOLUMEID in hex, 0 for
//                                        none; LASTING 0 where file numbers last only while
//                                        mounted); SEEN is the fingerprint before the run,
//                                        SIZE:MODIFIED:CHANGED:BORN[:CREATED] (BORN "-" where
//                                        the volume keeps no birth time). The rest is what
//                                        undo puts back, "-" where the run leaves it alone:
//                                        the four attribute bits; the creation time, "=TIME"
//                                        when the file had none of its own (the birth or
//                                        oldest time stood in); modification and access
//                                        time; RECORD 1 or 0: whether the file had a DOS
//                                        record beside it (user.DOSATTRIB) before
//   planned COUNT                        every change is listed; files are touched only now
//   case INDEX TEMPORARY                 change INDEX parks its file under TEMPORARY: a
//                                        change of letter case alone, or the file of a cycle
//                                        of names (a swap), which waits there from just
//                                        before the first change heading into its old name
//                                        (RenameOrder.h) until its own turn
//   seen INDEX IDENTITY SEEN             change INDEX's file is not the one its record
//                                        names: its caller's reading of it was older than the
//                                        run (the file was replaced or changed since). The
//                                        file the run took, as it showed after its steps,
//                                        or "- -" where it found none; written once the run
//                                        has read the file again after its steps, which may
//                                        be after up to 512 later files moved (a crash in
//                                        between leaves a plan naming another file, which
//                                        recovery and undo leave alone and report).
//                                        IDENTITY and SEEN stand for those of the change
//                                        from then on
//   left INDEX SEEN                      what the last step taken on change INDEX's file left
//                                        it showing (in an undo: what the run left)
//   back INDEX SEEN                      an undo's file is back under its old name, showing
//                                        SEEN; its attributes and times are still to come
//   reserve INDEX SINCE PATH             change INDEX is about to make an empty file at PATH
//                                        to rename onto (a reservation, FileOps.h), at SINCE
//                                        (UTC seconds since the epoch) or later
//   dropped INDEX PATH                   nothing of change INDEX stays at PATH after all (it
//                                        was taken, or the reservation went again)
//   done INDEX                           changes 0..INDEX are done
//   end finished | stopped | kept        the run ended (stopped: at a failure; kept: after a
//                                        crash, the user kept what was done)
//   undone                               a later undo of this run finished
//
// Every TIME is UTC: SECONDS.NANOSECONDS since 1970-01-01, the seconds negative before.
// Format 2 is format 3 without `seen` records. A reader of format 2 would stop at one and take
// the run for one cut short there, so a journal that may hold them says 3, which such a
// reader refuses as a newer version's; every other journal still says 2.
// Format 1 has no `left` records and its change records read
//   change OLD NEW DEVICE:FILE ATTRIBUTES CREATED MODIFIED
// with the times as local wall-clock time (YYYY-MM-DDTHH:MM:SS.mmm); such journals are still
// read and undone as they were.
//
// A reader takes the records up to the first line that is cut off or does not parse.

#include "AttributeSet.h"
#include "FileOps.h"
#include "LocalDateTime.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

// The newest format this version reads, written where the plan may be corrected.
inline constexpr int kJournalFormat = 3;
// Written for every other journal, so that versions reading format 2 still read it.
inline constexpr int kUncorrectedJournalFormat = 2;

// One file of a run: where it was, where the run puts it, which file it is, and what undo
// puts back of its attributes and times.
// Format 1 keeps the attributes and local times in the first fields; format 2 keeps what
// the file showed (`seen`) and the exact parts undo puts back (`before`), and learns from
// the `left` records what the last step left.
struct JournalChange {
    std::string oldPath;
    std::string newPath;
    std::optional<FileIdentity> identity;
    std::optional<AttributeSet> attributes;
    std::optional<LocalDateTime> creationTime;
    std::optional<LocalDateTime> modifyTime;
    std::optional<FileFingerprint> seen;
    std::optional<ExactMetadata> before;
    std::optional<FileFingerprint> left;
    bool nameBack = false; // an undo's: from a `back` record
    bool done = false;     // within the journal's `done` marks
};

enum class JournalKind { Run, Undo };

// How a run ended, as its `end` record says (stopped: at a failure; kept: after a crash, the
// user kept what was done); None while it has not.
enum class RunEnding { None, Finished, Stopped, Kept };

// An empty file a change made at `path` to rename onto, at `since` or later; unless a later
// record says it went, a crash may have left it there.
struct JournalReservation {
    int index = 0;
    long long since = 0;
    std::string path;
};

struct JournalContents {
    int format = kJournalFormat;
    JournalKind kind = JournalKind::Run;
    std::string undoes; // an undo: the file name of the run's journal
    std::vector<JournalChange> changes;
    bool planned = false;
    int doneThrough = -1;
    std::map<int, std::string> temporaryPaths; // by change index
    std::vector<JournalReservation> reservations;
    RunEnding end = RunEnding::None;
    bool undone = false;
};

struct JournalReading {
    std::optional<JournalContents> contents;
    std::string error; // why there are no contents
    bool fromNewerVersion = false;
    bool empty = false; // not one byte: its program died before the first record arrived
    // A whole line that is no record ended the reading: the journal is damaged, or from a
    // newer version, and what follows that line is unknown.
    bool stoppedEarly = false;
};

// Reads a journal line by line, so that its whole text is never needed at once.
class JournalParser {
public:
    // One line without its line break; false once the reading has stopped, at the first line
    // that does not parse (every line after it is ignored).
    bool TakeLine(std::string_view line);
    // What the lines taken so far hold.
    JournalReading Finish();
    // Room for `count` changes, so that they are stored without growing; a hint only.
    void ExpectChanges(std::size_t count) { expectedChanges_ = count; }

private:
    std::size_t expectedChanges_ = 0;
    int linesTaken_ = 0;
    int format_ = 0;
    bool stopped_ = false;
    JournalReading reading_;
};

std::string EscapeJournalField(std::string_view bytes);
void AppendJournalField(std::string& out, std::string_view bytes);
std::optional<std::string> UnescapeJournalField(std::string_view field);

std::string HeaderRecords(JournalKind kind, const std::string& undoes,
                          int format = kUncorrectedJournalFormat);
std::string ChangeRecord(const JournalChange& change);
void AppendChangeRecord(std::string& out, const JournalChange& change);
std::string PlannedRecord(std::size_t count);
std::string CaseRecord(int index, const std::string& temporaryPath);
std::string SeenRecord(int index, const std::optional<FileStamp>& found);
void AppendLeftRecord(std::string& out, int index, const FileFingerprint& left);
std::string BackRecord(int index, const FileFingerprint& back);
std::string ReserveRecord(int index, long long since, const std::string& path);
std::string DroppedRecord(int index, const std::string& path);
std::string DoneRecord(int index);
// Empty for None: a run that has not ended has no end record.
std::string EndRecord(RunEnding how);
std::string UndoneRecord();

JournalReading ParseJournal(std::string_view text);

} // namespace tarvolin
