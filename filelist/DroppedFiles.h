#pragma once

#include "FileNames.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace tarvolin {

// What a drop of URLs onto the list gives: the local files as full paths in the dropped
// order, and the URLs that name no local file (web addresses, files on other hosts).
struct DroppedFiles {
    FileNames paths;
    QStringList refused;
};

// A file name that is not valid UTF-8 reaches the list with its bytes unchanged.
DroppedFiles LocalFilesOf(const QList<QUrl>& urls);

} // namespace tarvolin
