#pragma once

#include "FileOps.h"

#include <optional>
#include <string>

namespace tarvolin {

// What a rename reports back to whoever shows it: the main window's gauge, list rows and
// error box, or a test's recorder.
class RenameOutlets {
public:
    virtual ~RenameOutlets() = default;

    // The file layer the run works through: the caller's, with what it has learnt of the
    // volumes and any step hook armed on it. The run sets and clears its journal as the
    // layer's listener.
    virtual FileLayer& Files() = 0;

    virtual void SetGaugeRange(int minimum, int maximum) = 0;
    virtual void SetGaugePosition(int position) = 0;
    // The file at `position` now answers to `path`; its row should be read again. The only
    // way a run tells its caller where a file went: the run never writes the caller's list.
    virtual void RowChanged(int position, const std::string& path) = 0;
    // Which file `position` is, as the caller last read it, where it did: a list reads each
    // row's stamp with what the row shows (ReadFileSummaryAndStamp), when the file is listed
    // and again on every RowChanged, so that a journaled run need not read every file again
    // for its plan. Answered after RowChanged, it must be that new reading. None by default:
    // the run reads the stamps itself.
    virtual std::optional<FileStamp> KnownStamp(int position) {
        (void)position;
        return std::nullopt;
    }
    // One modal error box; the run has stopped when it returns.
    virtual void ShowError(const std::string& text) = 0;
    // The run's journal cannot be written, for `reason`, so the run could not be undone.
    // Asked before any file is touched: true runs without the journal, false not at all.
    virtual bool RunWithoutJournal(const std::string& reason) {
        (void)reason;
        return false;
    }
    // The same box with `detail` below `text`, such as where the failure left the file.
    virtual void ShowErrorWithDetail(const std::string& text, const std::string& detail) {
        ShowError(text + "\n\n" + detail);
    }
};

} // namespace tarvolin
