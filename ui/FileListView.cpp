#include "FileListView.h"

#include <QDropEvent>
#include <QMimeData>

namespace tarvolin {

namespace {

bool CarriesUrls(const QDropEvent& event) {
    return event.mimeData() != nullptr && event.mimeData()->hasUrls();
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
    if (CarriesUrls(*event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    if (!CarriesUrls(*event)) {
        event->ignore();
        return;
    }
    // The file manager keeps its files: what is dropped is only listed.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit UrlsDropped(event->mimeData()->urls());
}

} // namespace tarvolin
