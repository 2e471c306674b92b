#pragma once

// What the program is asked to do when it starts: `ctarvolin [--undo] [--] [FILE...]`, or
// --help, --version. Every argument is the program's own: Qt is handed none of them, so a
// file named "-reverse" or "-platform" is listed like any other.

#include "FileNames.h"

#include <QStringList>

namespace tarvolin {

enum class StartAction { OpenWindow, Help, Version, Undo };

struct StartRequest {
    StartAction action = StartAction::OpenWindow;
    FileNames files; // full paths, in the order given
    QString error;   // one line for standard error when the arguments are not understood
};

// `arguments` as QCoreApplication gives them, the program's name first; `rawArguments` are the
// same arguments as the bytes the program was given (may be null). Relative names are taken in
// the current folder, as the system would resolve them; names that do not exist are listed all
// the same, like typed names. An unknown option is an error whatever else is asked.
StartRequest ReadStartRequest(const QStringList& arguments, char** rawArguments);

// Answers --help, --version and --undo on standard output, without a window; needs a
// QCoreApplication. Gives the program's exit code.
int AnswerInformationRequest(StartAction action);

} // namespace tarvolin
