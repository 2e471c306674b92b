#include "FileListModel.h"

namespace tarvolin {

FileListModel::FileListModel(FileNames& fileNames, QObject* parent)
    : FileListModel(fileNames, TimeTextFormatOf(QLocale()), parent) {}

FileListModel::FileListModel(FileNames& fileNames, TimeTextFormat timeFormat, QObject* parent)
    : QAbstractTableModel(parent), fileNames_(fileNames), timeFormat_(std::move(timeFormat)) {
    RereadAll();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(facts_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const RowFacts& facts = facts_[row];
    switch (index.column()) {
    case NameColumn:
        return PathToText(fileNames_[row]);
    case PropertyColumn:
        return AttributeLetters(facts.Attributes());
    case CreateTimeColumn:
        return FormatTimeText(facts.creationTime.Unpacked(), timeFormat_);
    case ModifyTimeColumn:
        return FormatTimeText(facts.modifyTime.Unpacked(), timeFormat_);
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

void FileListModel::Append(const FileNames& paths) {
    if (paths.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(paths.size()) - 1);
    fileNames_.insert(fileNames_.end(), paths.begin(), paths.end());
    facts_.reserve(fileNames_.size());
    for (const std::string& path : paths)
        facts_.emplace_back(ReadFileSummary(path));
    endInsertRows();
}

void FileListModel::RemoveAt(int position) {
    beginRemoveRows(QModelIndex(), position, position);
    fileNames_.erase(fileNames_.begin() + position);
    facts_.erase(facts_.begin() + position);
    endRemoveRows();
}

void FileListModel::Clear() {
    beginResetModel();
    FileNames().swap(fileNames_);
    std::vector<RowFacts>().swap(facts_);
    endResetModel();
}

void FileListModel::SetPathAt(int position, const std::string& path) {
    const auto row = static_cast<std::size_t>(position);
    fileNames_.at(row) = path;
    facts_.at(row) = RowFacts(ReadFileSummary(path));
    emit dataChanged(index(position, 0), index(position, ColumnCount - 1), {Qt::DisplayRole});
}

void FileListModel::HideRows() {
    beginResetModel();
    std::vector<RowFacts>().swap(facts_);
    endResetModel();
}

void FileListModel::RereadAll() {
    // The list may have been given to the model filled; the rows follow it in one reset.
    beginResetModel();
    facts_.clear();
    facts_.reserve(fileNames_.size());
    for (const std::string& path : fileNames_)
        facts_.emplace_back(ReadFileSummary(path));
    endResetModel();
}

} // namespace tarvolin
