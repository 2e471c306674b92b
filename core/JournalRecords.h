#pragma once

// The run journal as text: one record per line, fields separated by one space, so that a
// person can read it and a script can split it. Every path is escaped: the bytes from '!' to
// '~' stand for themselves except '%', every other byte is written as %XX, so any name
// (spaces, newlines, bytes that are not UTF-8) comes back exactly.
//
//   ctarvolin-journal 1                  format version, always the first line
//   kind run | kind undo <journal>       a rename run, or the undo of the named journal
//   change OLD NEW VOLUME:FILE ATTRIBUTES CREATED MODIFIED
//                                        one per file, in the order they are worked on; NEW
//                                        is "./NAME" for a name in OLD's folder; the last four
//                                        say which file it is and what it had before the
//                                        run, "-" where the run leaves it alone
//   planned COUNT                        every change is listed; files are touched only now
//   case INDEX TEMPORARY                 change INDEX parks its file under TEMPORARY (a
//                                        change of letter case alone)
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

inline constexpr int kJournalFormat = 1;

// One file of a run: where it was, where the run puts it, which file it is, and what undo
// puts back of its attributes and times.
struct JournalChange {
    std::string oldPath;
    std::string newPath;
    std::optional<FileIdentity> identity;
    std::optional<AttributeSet> attributes;
    std::optional<LocalDateTime> creationTime;
    std::optional<LocalDateTime> modifyTime;
};

enum class JournalKind { Run, Undo };

// An empty file a change made at `path` to rename onto, at `since` or later; unless a later
// record says it went, a crash may have left it there.
struct JournalReservation {
    int index = 0;
    long long since = 0;
    std::string path;
};

struct JournalContents {
    JournalKind kind = JournalKind::Run;
    std::string undoes; // an undo: the file name of the run's journal
    std::vector<JournalChange> changes;
    bool planned = false;
    int doneThrough = -1;
    std::map<int, std::string> temporaryPaths; // by change index
    std::vector<JournalReservation> reservations;
    std::string end; // empty while the run has not ended
    bool undone = false;
};

struct JournalReading {
    std::optional<JournalContents> contents;
    std::string error; // why there are no contents
    bool fromNewerVersion = false;
};

std::string EscapeJournalField(std::string_view bytes);
void AppendJournalField(std::string& out, std::string_view bytes);
std::optional<std::string> UnescapeJournalField(std::string_view field);

std::string HeaderRecords(JournalKind kind, const std::string& undoes);
std::string ChangeRecord(const JournalChange& change);
void AppendChangeRecord(std::string& out, const JournalChange& change);
std::string PlannedRecord(std::size_t count);
std::string CaseRecord(int index, const std::string& temporaryPath);
std::string ReserveRecord(int index, long long since, const std::string& path);
std::string DroppedRecord(int index, const std::string& path);
std::string DoneRecord(int index);
std::string EndRecord(std::string_view how);
std::string UndoneRecord();

JournalReading ParseJournal(std::string_view text);

} // namespace tarvolin
