#include "PreviewModel.h"

#include "RowTexts.h"

#include <algorithm>
#include <numeric>

namespace tarvolin {

namespace {

QString NameOf(const std::string& path, std::size_t nameStart) {
    return PathToText(path.substr(std::min(nameStart, path.size())));
}

} // namespace

PreviewModel::PreviewModel(QObject* parent)
    : QAbstractTableModel(parent), list_(std::make_unique<ListOnDisk>(std::vector<std::string>{})) {
}

PreviewModel::~PreviewModel() = default;

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const auto position = static_cast<std::size_t>(order_[static_cast<std::size_t>(index.row())]);
    const std::string& path = list_->paths()[position];
    const std::size_t nameStart = list_->rows()[position].nameStart;
    switch (index.column()) {
    case PositionColumn:
        return static_cast<int>(position) + 1;
    case CurrentNameColumn:
        return role == Qt::ToolTipRole ? PathToText(path) : NameOf(path, nameStart);
    case NewNameColumn:
        return role == Qt::ToolTipRole ? PathToText(preview_.newPaths[position])
                                       : NameOf(preview_.newPaths[position], nameStart);
    case VerdictColumn:
        return QString::fromStdString(VerdictText(preview_.verdicts[position], preview_));
    default:
        return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case PositionColumn:
        return QStringLiteral("Position");
    case CurrentNameColumn:
        return QStringLiteral("Current Name");
    case NewNameColumn:
        return QStringLiteral("New Name");
    case VerdictColumn:
        return QStringLiteral("Verdict");
    default:
        return {};
    }
}

void PreviewModel::SetList(std::vector<std::string> paths, const RenameOptions& options) {
    list_ = std::make_unique<ListOnDisk>(std::move(paths));
    options_ = options;
    Recompute();
}

void PreviewModel::SetOptions(const RenameOptions& options) {
    options_ = options;
    Recompute();
}

QString PreviewModel::Summary() const {
    return QString::fromStdString(preview_.summary);
}

// With as many rows as before, the view is told only that their contents changed, and it
// asks again for the rows it shows; a reset would make it forget its scroll position.
void PreviewModel::Recompute() {
    const bool sameCount = preview_.verdicts.size() == list_->paths().size();
    if (!sameCount)
        beginResetModel();
    preview_ = PreviewBatch(*list_, options_);
    order_.resize(preview_.verdicts.size());
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_partition(order_.begin(), order_.end(), [this](int position) {
        return Fails(preview_.verdicts[static_cast<std::size_t>(position)].verdict);
    });
    if (!sameCount)
        endResetModel();
    else if (!order_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::DisplayRole});
}

} // namespace tarvolin
