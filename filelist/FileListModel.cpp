#include "FileListModel.h"

namespace tarvolin {

FileListModel::FileListModel(QObject* parent)
    : FileListModel(TimeTextFormatOf(QLocale()), parent) {}

FileListModel::FileListModel(TimeTextFormat timeFormat, QObject* parent)
    : QAbstractTableModel(parent), timeFormat_(std::move(timeFormat)) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const FileRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case NameColumn:
        return PathToText(row.path);
    case PropertyColumn:
        return AttributeLetters(row.summary.attributes);
    case CreateTimeColumn:
        return FormatTimeText(row.summary.creationTime, timeFormat_);
    case ModifyTimeColumn:
        return FormatTimeText(row.summary.modifyTime, timeFormat_);
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("File Name");
    case PropertyColumn:
        return QStringLiteral("Property");
    case CreateTimeColumn:
        return QStringLiteral("Create Time");
    case ModifyTimeColumn:
        return QStringLiteral("Modify Time");
    default:
        return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn)
        result |= Qt::ItemIsSelectable;
    return result;
}

void FileListModel::AppendRow(FileRow row) {
    const int position = rowCount();
    beginInsertRows(QModelIndex(), position, position);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void FileListModel::ReplaceRow(int position, FileRow row) {
    rows_.at(static_cast<std::size_t>(position)) = std::move(row);
    emit dataChanged(index(position, 0), index(position, ColumnCount - 1), {Qt::DisplayRole});
}

void FileListModel::ReplaceAllRows(std::vector<FileRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void FileListModel::RemoveRow(int position) {
    beginRemoveRows(QModelIndex(), position, position);
    rows_.erase(rows_.begin() + position);
    endRemoveRows();
}

void FileListModel::RemoveAllRows() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    endResetModel();
}

} // namespace tarvolin
