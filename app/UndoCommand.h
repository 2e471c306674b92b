#pragma once

namespace tarvolin {

// `ctarvolin --undo`: undoes the last run without a window, for scripts and for recovery
// over a remote shell. One line per file on standard output; the exit code is 1 when a file
// could not be restored or the undo was refused, 0 otherwise.
int UndoFromCommandLine();

} // namespace tarvolin
