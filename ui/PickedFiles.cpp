#include "PickedFiles.h"

#include "RowTexts.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelectionModel>

namespace tarvolin {

namespace {

// The dialog's list and its details view share this one selection.
const QItemSelectionModel* SelectionOf(const QFileDialog& dialog) {
    const auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    return list != nullptr ? list->selectionModel() : nullptr;
}

QString PathOf(const QModelIndex& row) {
    return QDir::toNativeSeparators(row.data(QFileSystemModel::FilePathRole).toString());
}

} // namespace

FileNames PickedPaths(const QFileDialog& dialog) {
    FileNames picked;
    if (const QItemSelectionModel* selection = SelectionOf(dialog)) {
        const QModelIndexList rows = selection->selectedRows();
        picked.reserve(static_cast<std::size_t>(rows.size()));
        for (const QModelIndex& row : rows)
            picked.push_back(TextToPath(PathOf(row)));
    }
    return picked;
}

std::optional<QString> FirstPickedPath(const QFileDialog& dialog) {
    const QItemSelectionModel* selection = SelectionOf(dialog);
    if (selection == nullptr)
        return std::nullopt;
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return PathOf(rows.front());
}

bool HasPickedRows(const QFileDialog& dialog) {
    const QItemSelectionModel* selection = SelectionOf(dialog);
    return selection != nullptr && selection->hasSelection();
}

} // namespace tarvolin
