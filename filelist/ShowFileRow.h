#pragma once

#include "FileListModel.h"
#include "FileNames.h"

#include <string>

namespace tarvolin {

// Reads the file's attributes and both times afresh and shows them with `path` in the row
// at `position`, or in a new last row when `position` is -1. An empty path shows nothing.
void ShowFileRow(FileListModel& list, const std::string& path, int position);

// Rebuilds every row from `fileNames`, first to last, each read afresh: the same rows as
// ShowFileRow(entry, -1) for every entry of an emptied list, announced to the view once.
void ShowAllFileRows(FileListModel& list, const FileNames& fileNames);

} // namespace tarvolin
