#pragma once

#include "FileListModel.h"

#include <string>

namespace tarvolin {

// The row-changed notice: reads the file's attributes and both times afresh and shows them
// in the row at `position`, whose entry holds `path` already; when `position` is -1, appends
// `path` to the list in a new last row. An empty path shows nothing.
void ShowFileRow(FileListModel& list, const std::string& path, int position);

} // namespace tarvolin
