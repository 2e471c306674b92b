#pragma once

#include <QList>
#include <QTableView>
#include <QUrl>

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

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace tarvolin
