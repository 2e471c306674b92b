#include "FileListModel.h"

#include "RowOrder.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStringList>
#include <algorithm>

namespace tarvolin {

FileListModel::FileListModel(FileLayer& files, FileNames& fileNames, QObject* parent)
    : FileListModel(files, fileNames, TimeTextFormatOf(QLocale()), parent) {}

FileListModel::FileListModel(FileLayer& files, FileNames& fileNames, TimeTextFormat timeFormat,
                             QObject* parent)
    : QAbstractTableModel(parent), files_(files), fileNames_(fileNames),
      timeFormat_(std::move(timeFormat)) {
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
        return FormatTimeText(LocalTimeOf(facts.creationTime), timeFormat_);
    case ModifyTimeColumn:
        return FormatTimeText(LocalTimeOf(facts.modifyTime), timeFormat_);
    default:
        return {};
    }
}

// Made local only here, for the rows on screen: the row keeps what the disk gave.
std::optional<LocalDateTime> FileListModel::LocalTimeOf(const PackedTime& time) const {
    const std::optional<ExactTime> utc = time.Unpacked();
    return utc ? files_.LocalTimeOf(*utc) : std::nullopt;
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
        result |= Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    return result;
}

namespace {

const QString kRowsFormat = QStringLiteral("application/x-ctarvolin-list-rows");

} // namespace

QStringList FileListModel::mimeTypes() const {
    return {kRowsFormat};
}

QByteArray FileListModel::DragOrigin() const {
    // The process and this model: two windows, in one program or two, never mistake each
    // other's rows for their own.
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(reinterpret_cast<quintptr>(this));
}

QMimeData* FileListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    int first = rowCount();
    int last = -1;
    for (const QModelIndex& index : indexes) {
        first = std::min(first, index.row());
        last = std::max(last, index.row());
    }
    auto* data = new QMimeData;
    data->setData(kRowsFormat, DragOrigin() + ' ' + QByteArray::number(first) + ' ' +
                                   QByteArray::number(last - first + 1));
    return data;
}

Qt::DropActions FileListModel::supportedDragActions() const {
    return Qt::MoveAction;
}

std::optional<FileListModel::RowSpan> FileListModel::DraggedRows(const QMimeData* data) const {
    if (data == nullptr || !data->hasFormat(kRowsFormat))
        return std::nullopt;
    const QList<QByteArray> parts = data->data(kRowsFormat).split(' ');
    if (parts.size() != 4 || parts[0] + ' ' + parts[1] != DragOrigin())
        return std::nullopt;
    bool firstRead = false;
    bool countRead = false;
    const RowSpan span{parts[2].toInt(&firstRead), parts[3].toInt(&countRead)};
    if (!firstRead || !countRead || span.first < 0 || span.count < 1 ||
        span.first + span.count > rowCount())
        return std::nullopt;
    return span;
}

void FileListModel::Append(FileNames paths) {
    if (paths.empty())
        return;
    const int first = rowCount();
    const std::size_t count = paths.size();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(count) - 1);
    if (fileNames_.empty()) {
        fileNames_.swap(paths);
    } else {
        fileNames_.insert(fileNames_.end(), std::make_move_iterator(paths.begin()),
                          std::make_move_iterator(paths.end()));
        FileNames().swap(paths);
    }
    facts_.reserve(fileNames_.size());
    for (std::size_t row = fileNames_.size() - count; row < fileNames_.size(); ++row)
        facts_.emplace_back(files_.ReadFileSummaryAndStamp(fileNames_[row]), volumes_);
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
    volumes_ = VolumeTable();
    endResetModel();
}

void FileListModel::SetPathAt(int position, const std::string& path) {
    const auto row = static_cast<std::size_t>(position);
    fileNames_.at(row) = path;
    facts_.at(row) = RowFacts(files_.ReadFileSummaryAndStamp(path), volumes_);
    emit dataChanged(index(position, 0), index(position, ColumnCount - 1), {Qt::DisplayRole});
}

bool FileListModel::MoveRows(int first, int count, int destination) {
    const int rows = rowCount();
    if (first < 0 || count < 1 || first + count > rows || destination < 0 || destination > rows ||
        (destination >= first && destination <= first + count))
        return false;
    beginMoveRows(QModelIndex(), first, first + count - 1, QModelIndex(), destination);
    // One rotation of the entries between the block and where it goes, and the same of the
    // rows' facts.
    const auto rotate = [first, count, destination](auto& entries) {
        const auto begin = entries.begin();
        if (destination < first)
            std::rotate(begin + destination, begin + first, begin + first + count);
        else
            std::rotate(begin + first, begin + first + count, begin + destination);
    };
    rotate(fileNames_);
    rotate(facts_);
    endMoveRows();
    return true;
}

bool FileListModel::MoveUp(int first, int count) {
    return first > 0 && MoveRows(first, count, first - 1);
}

bool FileListModel::MoveDown(int first, int count) {
    return first + count < rowCount() && MoveRows(first, count, first + count + 1);
}

void FileListModel::SortByName(const QLocale& locale) {
    Reorder(NaturalNameOrder(fileNames_, locale));
}

void FileListModel::SortByModifyTime() {
    Reorder(ModifyTimeOrder(facts_, files_));
}

void FileListModel::Reorder(const std::vector<int>& order) {
    // While the rows are hidden they are not there to be put in order.
    if (facts_.size() != fileNames_.size() || order.size() != facts_.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    FileNames names;
    std::vector<RowFacts> facts;
    names.reserve(order.size());
    facts.reserve(order.size());
    for (const int from : order) {
        names.push_back(std::move(fileNames_[static_cast<std::size_t>(from)]));
        facts.push_back(facts_[static_cast<std::size_t>(from)]);
    }
    fileNames_.swap(names);
    facts_.swap(facts);
    const QModelIndexList persistent = persistentIndexList();
    if (!persistent.isEmpty()) {
        std::vector<int> newRowOf(order.size());
        for (std::size_t to = 0; to < order.size(); ++to)
            newRowOf[static_cast<std::size_t>(order[to])] = static_cast<int>(to);
        QModelIndexList moved;
        moved.reserve(persistent.size());
        for (const QModelIndex& index : persistent)
            moved << this->index(newRowOf[static_cast<std::size_t>(index.row())], index.column());
        changePersistentIndexList(persistent, moved);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::optional<FileStamp> FileListModel::StampAt(int position) const {
    const auto row = static_cast<std::size_t>(position);
    return row < facts_.size() && facts_.size() == fileNames_.size()
               ? facts_[row].stamp.Unpacked(volumes_)
               : std::nullopt;
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
        facts_.emplace_back(files_.ReadFileSummaryAndStamp(path), volumes_);
    endResetModel();
}

} // namespace tarvolin
