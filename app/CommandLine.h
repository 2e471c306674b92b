#pragma once

// What the program is asked to do when it starts: `ctarvolin [FILE...]`.

#include "FileNames.h"

#include <QStringList>
#include <optional>

namespace tarvolin {

// Answers --help, --version and --undo on standard output, before any window system is
// needed; the value is then the program's exit code. No value when none was asked for.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

struct StartRequest {
    FileNames files; // full paths, in the order given
    QString error;   // one line for standard error when the arguments are not understood
};

// The files named by `arguments` (what remains after Qt took its own options; `rawArguments`
// are the same arguments as the bytes the program was given). Relative names are taken in the
// current folder; names that do not exist are listed all the same, like typed names.
StartRequest ReadStartRequest(const QStringList& arguments, char** rawArguments);

} // namespace tarvolin
