#include "FileListView.h"

#include <QDropEvent>
#include <QMimeData>
#include <optional>

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
    TakeAsListing(*event);
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    if (TakeAsListing(*event))
        emit UrlsDropped(event->mimeData()->urls());
}

} // namespace tarvolin
