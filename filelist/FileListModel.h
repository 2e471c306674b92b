#pragma once

#include "FileOps.h"
#include "RowTexts.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace tarvolin {

// What one row shows: the path and what was read of its file when the row was last written.
struct FileRow {
    std::string path;
    FileSummary summary;
};

// The rows of the file list. Every value is read from the disk when a row is written and
// kept here, so drawing a row only formats cached values; a list of 100 000 files scrolls
// without touching the disk. Bulk changes are one reset, never one signal per row.
class FileListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, PropertyColumn, CreateTimeColumn, ModifyTimeColumn, ColumnCount };

    explicit FileListModel(QObject* parent = nullptr);
    FileListModel(TimeTextFormat timeFormat, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Only the first column can be selected: a row is picked by its name, as in a report
    // list without full-row selection.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const FileRow& Row(int position) const { return rows_.at(static_cast<std::size_t>(position)); }

    void AppendRow(FileRow row);
    void ReplaceRow(int position, FileRow row);
    void ReplaceAllRows(std::vector<FileRow> rows);
    void RemoveRow(int position);
    void RemoveAllRows();

private:
    std::vector<FileRow> rows_;
    TimeTextFormat timeFormat_;
};

} // namespace tarvolin
