#pragma once

// The window's side of undo: Ctrl+Z and "Undo Last Run" on the list, and the box at start-up
// that offers to undo a run the program or the machine did not finish.

#include "FileNames.h"
#include "FileOps.h"

#include <string>

class QWidget;

namespace tarvolin {

class FileListModel;

// Undoes the newest run not undone yet, after asking unless it is `windowsLastRun` (the
// journal of this window's own last run). Rows that show a restored file show its old path
// again; one box at the end gives the counts and the first files left as they were. True
// when an undo was carried out.
bool UndoLastRunInWindow(QWidget* owner, FileLayer& files, const FileNames& fileNames,
                         FileListModel& rows, const std::string& windowsLastRun);

// Asks whether to run without undo, since the run's journal cannot be written for `reason`.
bool AskToRunWithoutJournal(QWidget* owner, const std::string& reason);

// Asks, for each run that did not finish, whether to undo it or keep what was done; either
// way no file stays under a temporary name and the question does not come back. "Decide
// Later" (and Escape) leaves the run as it is until the next start asks again.
void OfferRecoveryOfUnfinishedRuns(QWidget* owner, FileLayer& files);

} // namespace tarvolin
