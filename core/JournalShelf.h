#pragma once

// The folder of run journals: one file per run. Runs are told apart and ordered by a sequence
// number in their names, never by a clock, which may be set back between two runs.

#include "JournalRecords.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

inline constexpr int kJournalsAlwaysKept = 10;
inline constexpr int kJournalDaysKept = 30;

// "run-seq-NUMBER.journal" and the older "run-NANOSECONDS-RANDOM.journal", which count as
// older than every numbered one. A plain name: never a path.
bool IsJournalFileName(std::string_view name);
// The name after the newest journal's in `directory`, not taken yet.
std::string NewJournalPath(const std::string& directory);
std::vector<std::string> JournalsNewestFirst(const std::string& directory);
std::string JournalName(const std::string& path);
// Reads only a regular file, a piece at a time: whatever lies under a journal's name gives a
// reading with an error, never a hang or a crash. A journal that is left empty is said so.
JournalReading ReadJournal(const std::string& path);
// True when the run has ended (or was undone), read from the journal's last lines alone.
bool JournalHasEnded(const std::string& path);
// True when an undo of the run has finished, told the same way.
bool JournalWasUndone(const std::string& path);

// Removes the journals of ended runs that are neither among the newest ten nor changed in
// the thirty days before `now`, and empty journals nobody is writing. A run that has not ended
// is kept until it is recovered.
void PruneJournals(const std::string& directory,
                   std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

} // namespace tarvolin
