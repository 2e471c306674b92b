#pragma once

// The window's side of undo: Ctrl+Z and "Undo Last Run" on the list, and the box at start-up
// that offers to undo a run the program or the machine did not finish.

#include "FileNames.h"

class QWidget;

namespace tarvolin {

class RenameOutlets;

// Undoes the newest run not undone yet. Rows that show a restored file show its old path
// again; files left as they were are listed in one box at the end.
void UndoLastRunInWindow(QWidget* owner, FileNames& fileNames, RenameOutlets& rows);

// Asks, for each run that did not finish, whether to undo it or keep what was done; either
// way no file stays under a temporary name and the question does not come back. "Decide
// Later" (and Escape) leaves the run as it is until the next start asks again.
void OfferRecoveryOfUnfinishedRuns(QWidget* owner);

} // namespace tarvolin
