#pragma once

#include "FileNames.h"
#include "RowFacts.h"
#include "RowTexts.h"

#include <QAbstractTableModel>
#include <vector>

namespace tarvolin {

// The rows of the file list: row k shows entry k of the window's `fileNames`, which this
// model reads but does not own. Every change of that list goes through the calls below,
// which announce it to the view, so rows and entries are one to one by construction; each
// file a run or its undo renames reaches its row through SetPathAt. What was read from the
// disk is cached per row, so drawing a row only formats cached values and a list of
// 100 000 files scrolls without touching the disk. Bulk changes are one signal, never one
// per row.
class FileListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, PropertyColumn, CreateTimeColumn, ModifyTimeColumn, ColumnCount };

    explicit FileListModel(FileNames& fileNames, QObject* parent = nullptr);
    FileListModel(FileNames& fileNames, TimeTextFormat timeFormat, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Only the first column can be selected: a row is picked by its name, as in a report
    // list without full-row selection.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Appends `paths` to the list, each row read from its file.
    void Append(const FileNames& paths);
    void RemoveAt(int position);
    // Empties the list and gives its memory back.
    void Clear();
    // Entry `position` now names `path`, where a run or its undo left the file; its row is
    // read again from the disk.
    void SetPathAt(int position, const std::string& path);
    // Reads every row's file again, first to last.
    void RereadAll();
    // Shows no rows until the next RereadAll, the entries staying as they are: the list is
    // empty while the "Add Files" dialog is open.
    void HideRows();

private:
    FileNames& fileNames_;
    std::vector<RowFacts> facts_;
    TimeTextFormat timeFormat_;
};

} // namespace tarvolin
