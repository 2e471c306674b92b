#pragma once

// The folder of run journals: one file per run, named by the time it started, so that the
// newest sorts last.

#include "JournalRecords.h"

#include <string>
#include <vector>

namespace tarvolin {

inline constexpr int kJournalsAlwaysKept = 10;
inline constexpr int kJournalDaysKept = 30;

std::string NewJournalPath(const std::string& directory);
std::vector<std::string> JournalsNewestFirst(const std::string& directory);
std::string JournalName(const std::string& path);
JournalReading ReadJournal(const std::string& path);
void RemoveJournal(const std::string& path);
// True when the run has ended (or was undone), read from the journal's last lines alone.
bool JournalHasEnded(const std::string& path);

// Removes the journals of ended runs that are neither among the newest ten nor younger than
// thirty days. A run that has not ended is kept until it is recovered.
void PruneJournals(const std::string& directory);

} // namespace tarvolin
