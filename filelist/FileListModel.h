#pragma once

#include "FileNames.h"
#include "FileOps.h"
#include "RowFacts.h"
#include "RowTexts.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <optional>
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

    // Rows are read through `files`, which learns each volume once and must outlive the model.
    FileListModel(FileLayer& files, FileNames& fileNames, QObject* parent = nullptr);
    FileListModel(FileLayer& files, FileNames& fileNames, TimeTextFormat timeFormat,
                  QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Only the first column can be selected, and dragged: a row is picked by its name, as in
    // a report list without full-row selection.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A row dragged within the list carries its position and which list it came from; no
    // other list, not even another window's, takes it as its own.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    // The first dragged row and how many follow it, when `data` was dragged from this list.
    struct RowSpan {
        int first = 0;
        int count = 0;
    };
    std::optional<RowSpan> DraggedRows(const QMimeData* data) const;

    // Appends `paths` to the list, each row read from its file; the paths are moved in, not
    // copied.
    void Append(FileNames paths);
    void RemoveAt(int position);
    // Empties the list and gives its memory back.
    void Clear();
    // Entry `position` now names `path`, where a run or its undo left the file; its row is
    // read again from the disk.
    void SetPathAt(int position, const std::string& path);
    // The reorderings: entries and their rows move together, each call one signal, and the
    // selection stays on the rows it was on. No disk is read.
    // Moves `count` rows from `first` to stand before row `destination` as numbered now
    // (rowCount() for the end); false when that would change nothing.
    bool MoveRows(int first, int count, int destination);
    // One place up or down; false at the top or the bottom.
    bool MoveUp(int first, int count);
    bool MoveDown(int first, int count);
    // Natural order of the paths in `locale`'s language ("pic 2" before "pic 10").
    void SortByName(const QLocale& locale = QLocale());
    // Oldest modification time first, by the times the rows show.
    void SortByModifyTime();

    // Which file row `position` was when it was last read (ReadFileSummaryAndStamp); none
    // while the rows are hidden or where it could not be read.
    std::optional<FileStamp> StampAt(int position) const;

    // Reads every row's file again, first to last.
    void RereadAll();
    // Shows no rows until the next RereadAll, the entries staying as they are: the list is
    // empty while the "Add Files" dialog is open.
    void HideRows();

private:
    // Puts the rows in `order` (see RowOrder.h) in one layout change.
    void Reorder(const std::vector<int>& order);
    std::optional<LocalDateTime> LocalTimeOf(const PackedTime& time) const;
    QByteArray DragOrigin() const;

    FileLayer& files_;
    FileNames& fileNames_;
    std::vector<RowFacts> facts_;
    VolumeTable volumes_; // of the rows' stamps
    TimeTextFormat timeFormat_;
};

} // namespace tarvolin
