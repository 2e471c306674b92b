#include "FileListView.h"

#include "FileListModel.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

namespace tarvolin {

namespace {

bool CarriesUrls(const QDropEvent& event) {
    return event.mimeData() != nullptr && event.mimeData()->hasUrls();
}

// The list only names the dropped files, so the file manager must keep them: the drop is
// taken as a copy, else as a link, and never as a move, after which a file manager may delete
// what it thinks was moved. A drag that offers nothing but a move is refused.
std::optional<Qt::DropAction> ListingAction(const QDropEvent& event) {
    if (!CarriesUrls(event))
        return std::nullopt;
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction})
        if (event.possibleActions() & action)
            return action;
    return std::nullopt;
}

// Tells the source which action the list takes; false when it takes none.
bool TakeAsListing(QDropEvent& event) {
    const std::optional<Qt::DropAction> action = ListingAction(event);
    if (!action) {
        event.ignore();
        return false;
    }
    event.setDropAction(*action);
    event.accept();
    return true;
}

} // namespace

FileListView::FileListView(QWidget* parent) : QTableView(parent) {
    setAcceptDrops(true);
    setDragEnabled(true);
    setDropIndicatorShown(false);
}

QModelIndex FileListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = model() != nullptr ? model()->rowCount() : 0;
    if (rows == 0)
        return {};
    switch (action) {
    case MoveLeft:
    case MoveRight:
        return currentIndex().isValid() ? currentIndex().siblingAtColumn(0) : model()->index(0, 0);
    case MoveHome:
        return model()->index(0, 0);
    case MoveEnd:
        return model()->index(rows - 1, 0);
    default:
        break;
    }
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    return moved.isValid() ? moved.siblingAtColumn(0) : moved;
}

// An entering drag is a moving one that has just arrived.
void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (OwnRows(*event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        ShowDropLine(DropDestination(event->position().toPoint()));
        // Near the top or the bottom the list scrolls, so a row can go past what is shown.
        const int y = event->position().toPoint().y();
        if (y < autoScrollMargin() || y > viewport()->height() - autoScrollMargin())
            startAutoScroll();
        return;
    }
    TakeAsListing(*event);
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event) {
    stopAutoScroll();
    ShowDropLine(-1);
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    ShowDropLine(-1);
    if (const auto rows = OwnRows(*event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit RowsDragged(rows->first, rows->second, DropDestination(event->position().toPoint()));
        return;
    }
    if (TakeAsListing(*event))
        emit UrlsDropped(event->mimeData()->urls());
}

// The item view's own drag would ask the model to remove the rows after a move; here the drop
// itself moves them, and the drag only carries which rows they are.
void FileListView::startDrag(Qt::DropActions supportedActions) {
    if (!(supportedActions & Qt::MoveAction) || model() == nullptr)
        return;
    const QModelIndexList rows = selectedIndexes();
    QMimeData* data = rows.isEmpty() ? nullptr : model()->mimeData(rows);
    if (data == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

std::optional<std::pair<int, int>> FileListView::OwnRows(const QDropEvent& event) const {
    const auto* rows = qobject_cast<const FileListModel*>(model());
    if (rows == nullptr || !dragEnabled())
        return std::nullopt;
    const auto span = rows->DraggedRows(event.mimeData());
    if (!span)
        return std::nullopt;
    return std::pair(span->first, span->count);
}

int FileListView::DropDestination(QPoint point) const {
    const QModelIndex target = indexAt(point);
    if (!target.isValid())
        return model()->rowCount();
    // On the lower half of a row the rows go after it.
    return target.row() + (point.y() > visualRect(target).center().y() ? 1 : 0);
}

void FileListView::ShowDropLine(int destination) {
    int y = -1;
    if (destination >= 0 && model() != nullptr && model()->rowCount() > 0) {
        const int rows = model()->rowCount();
        const QRect row = visualRect(model()->index(std::min(destination, rows - 1), 0));
        y = destination < rows ? row.top() : row.bottom();
    }
    if (y != dropLineY_) {
        dropLineY_ = y;
        viewport()->update();
    }
}

void FileListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (dropLineY_ < 0)
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 2));
    painter.drawLine(0, dropLineY_, viewport()->width(), dropLineY_);
}

} // namespace tarvolin
