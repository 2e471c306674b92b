#pragma once

#include "BatchPreview.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

namespace tarvolin {

// The rows of the preview window: each listed file's position, current name, new name and
// verdict, the rows that will fail first and the others in list order. The disk is read when
// the list is handed over (SetList); new options only redo the verdicts (SetOptions), and the
// texts of a row are made when the view draws it, so a keystroke costs a pass over the
// list's strings however long it is.
class PreviewModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { PositionColumn, CurrentNameColumn, NewNameColumn, VerdictColumn, ColumnCount };

    explicit PreviewModel(QObject* parent = nullptr);
    ~PreviewModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Reads the disk for `paths` (once per folder) and redoes the verdicts.
    void SetList(std::vector<std::string> paths, const RenameOptions& options);
    void SetOptions(const RenameOptions& options);
    // "3 of 200 will fail: 2 names taken on disk, 1 listed twice"
    QString Summary() const;

private:
    void Recompute();

    std::unique_ptr<ListOnDisk> list_;
    RenameOptions options_;
    BatchPreview preview_;
    std::vector<int> order_; // the list position each row shows
};

} // namespace tarvolin
