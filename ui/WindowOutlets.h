#pragma once

#include "RenameOutlets.h"

class QWidget;

namespace tarvolin {

class FileListModel;
class Gauge;

// Where a rename shows its progress on the main window: the gauge, the file list rows and
// the error box.
class WindowOutlets final : public RenameOutlets {
public:
    WindowOutlets(FileLayer& files, QWidget& owner, Gauge& gauge, FileListModel& rows,
                  QWidget& listView);

    FileLayer& Files() override { return files_; }

    void SetGaugeRange(int minimum, int maximum) override;
    void SetGaugePosition(int position) override;
    void RowChanged(int position, const std::string& path) override;
    // From the row, which read it with what it shows.
    std::optional<FileStamp> KnownStamp(int position) override;
    void ShowError(const std::string& text) override;
    void ShowErrorWithDetail(const std::string& text, const std::string& detail) override;
    bool RunWithoutJournal(const std::string& reason) override;

    // While a run holds the event loop only the gauge may repaint; the rows it rewrites are
    // drawn when the run ends, or when an error box lets the window repaint.
    void HoldListPainting();
    void ReleaseListPainting();

private:
    FileLayer& files_;
    QWidget& owner_;
    Gauge& gauge_;
    FileListModel& rows_;
    QWidget& listView_;
    bool holding_ = false;
};

} // namespace tarvolin
