#pragma once

#include "RunUndo.h"

#include <string>
#include <vector>

namespace tarvolin::test {

// Keeps where an undo put files back and which it left alone, in the order it said so.
struct RecordingUndoReport final : UndoReport {
    void FileRestored(const std::string&, const std::string& to) override {
        restored.push_back(to);
    }
    void FileSkipped(const std::string& path, const std::string&) override {
        skipped.push_back(path);
    }
    std::vector<std::string> restored, skipped;
};

} // namespace tarvolin::test
