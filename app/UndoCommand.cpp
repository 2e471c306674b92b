#include "UndoCommand.h"

#include "FileOps.h"
#include "RunUndo.h"

#include <cstdio>
#include <string>

namespace tarvolin {

namespace {

// A name may hold a newline or any control byte; escaped as %XX (and '%' itself), each file
// stays on one line and the bytes can be recovered.
std::string OneLine(const std::string& path) {
    std::string line;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
    return line;
}

class PrintingReport final : public UndoReport {
public:
    void FileRestored(const std::string& from, const std::string& to) override {
        std::printf("restored %s -> %s\n", OneLine(from).c_str(), OneLine(to).c_str());
    }
    void FileSkipped(const std::string& path, const std::string& reason) override {
        std::printf("not restored %s: %s\n", OneLine(path).c_str(), reason.c_str());
    }
    void PartLeftAlone(const std::string& path, const std::string& why) override {
        std::printf("restored %s, but %s\n", OneLine(path).c_str(), why.c_str());
    }
};

} // namespace

int UndoFromCommandLine() {
    std::string problem;
    const std::string directory = JournalDirectory(&problem);
    if (directory.empty()) {
        std::fprintf(stderr, "ctarvolin: there is no folder for run journals (%s)\n",
                     problem.c_str());
        return 1;
    }
    PrintingReport report;
    FileLayer files;
    const UndoOutcome outcome = UndoLastRun(files, directory, report);
    switch (outcome.result) {
    case UndoResult::NothingToUndo:
        std::printf("There is no run to undo.\n");
        return 0;
    case UndoResult::Refused:
        std::fprintf(stderr, "ctarvolin: %s\n", outcome.message.c_str());
        return 1;
    case UndoResult::Finished:
        break;
    }
    return outcome.skipped == 0 ? 0 : 1;
}

} // namespace tarvolin
