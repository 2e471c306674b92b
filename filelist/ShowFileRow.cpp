#include "ShowFileRow.h"

namespace tarvolin {

void ShowFileRow(FileListModel& list, const std::string& path, int position) {
    if (path.empty())
        return;
    if (position == -1)
        list.Append({path});
    else
        list.Reread(position);
}

} // namespace tarvolin
