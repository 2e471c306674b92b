#include "ShowFileRow.h"

namespace tarvolin {

void ShowFileRow(FileListModel& list, const std::string& path, int position) {
    if (path.empty())
        return;
    FileRow row{path, ReadFileSummary(path)};
    if (position == -1)
        list.AppendRow(std::move(row));
    else
        list.ReplaceRow(position, std::move(row));
}

void ShowAllFileRows(FileListModel& list, const FileNames& fileNames) {
    std::vector<FileRow> rows;
    rows.reserve(fileNames.size());
    for (const std::string& path : fileNames) {
        if (!path.empty())
            rows.push_back({path, ReadFileSummary(path)});
    }
    list.ReplaceAllRows(std::move(rows));
}

} // namespace tarvolin
