#pragma once

#include <QList>
#include <QTableView>
#include <QUrl>
#include <optional>
#include <utility>

namespace tarvolin {

// The report list of the main window. A row is picked by its name cell, so the keyboard moves
// between rows and never into another column: there the row would lose its selection and
// Delete and "Change" would find none (FilesIntoListTest::listKeysStayOnTheNameColumn). Files
// dragged from a file manager are handed to the window as URLs, in the order they were
// dropped, while drops are accepted (FilesIntoListTest::drop).
class FileListView final : public QTableView {
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

signals:
    void UrlsDropped(const QList<QUrl>& urls);
    // `count` rows from `first` were dropped before row `destination`, numbered as before.
    void RowsDragged(int first, int count, int destination);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The rows `event` carries when they were dragged from this list.
    std::optional<std::pair<int, int>> OwnRows(const QDropEvent& event) const;
    // The row before which a drop at `point` puts what it carries.
    int DropDestination(QPoint point) const;
    // Where a row dragged within the list would go, drawn as a line between rows while the
    // drag is over the list; -1 when there is none.
    void ShowDropLine(int destination);
    int dropLineY_ = -1;
};

} // namespace tarvolin
