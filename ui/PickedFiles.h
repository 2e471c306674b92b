#pragma once

// The files picked in the list of Qt's file dialog, read from its selection directly.
// QFileDialog::selectedFiles() makes a URL of every selected name and a text of every URL
// before it hands back the first path; for a folder of 100 000 files, all selected, that is
// some 60 MB at the moment the dialog's folder listing is at its largest.

#include "FileNames.h"

#include <QString>
#include <optional>

class QFileDialog;

namespace tarvolin {

// The full paths of the rows selected in `dialog`'s list, in the order selectedFiles() gives
// them, each converted once; none when nothing is selected.
FileNames PickedPaths(const QFileDialog& dialog);

// The first of them, the one Qt's dialog looks at when it is accepted; none when nothing is
// selected.
std::optional<QString> FirstPickedPath(const QFileDialog& dialog);

// Whether any row is selected in the list.
bool HasPickedRows(const QFileDialog& dialog);

} // namespace tarvolin
