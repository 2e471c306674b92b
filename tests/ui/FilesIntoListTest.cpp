// How files reach the list, and the list's own keys and mouse: the "Add Files" dialog leaves
// nothing behind, files dropped from a file manager, the keyboard staying on the name column.

#include "RowTexts.h"
#include "WindowDriver.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>

using namespace tarvolin;
using namespace tarvolin::uitest;

class FilesIntoListTest : public QObject, public WindowDriver {
    Q_OBJECT

private slots:
    void init() { OpenWindow(); }
    void cleanup() { form.reset(); }
    void dialogLeavesNothingBehind();
    void completionListGoesWithTheDialog();
    void drop_data();
    void drop();
    void dropIsNeverAMove_data();
    void dropIsNeverAMove();
    void onlyTheLeftButtonEditsAFile_data();
    void onlyTheLeftButtonEditsAFile();
    void listKeysStayOnTheNameColumn_data();
    void listKeysStayOnTheNameColumn();

private:
    // Drops `urls` where a file manager would: on the list, or on whatever takes drops
    // there. Whether a widget took the drop.
    bool Drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QWidget* target = List()->viewport();
        while (target != nullptr && !target->acceptDrops() && !target->isWindow())
            target = target->parentWidget();
        if (target == nullptr || !target->acceptDrops())
            return false;
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    QStringList RowPaths() const {
        QStringList paths;
        for (int row = 0; row < Rows(); ++row)
            paths << Cell(row, 0);
        return paths;
    }
};

void FilesIntoListTest::dialogLeavesNothingBehind() {
    Scratch scratch;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        scratch.Make(QLatin1String(name));
    HandleNextDialog([&](QFileDialog& dialog) {
        TypeAndConfirm(dialog, scratch.dir.path());
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
    });
    PressAddFiles();
    QCOMPARE(Rows(), 3);
    TypeBaseName(QStringLiteral("x"));
    Start();
    QVERIFY(scratch.Has("x_0.txt") && scratch.Has("x_2.txt"));
    // Nothing of the dialog is left to watch the folder or to hold the old names.
    QVERIFY(form->findChildren<QFileSystemModel*>().isEmpty());
    QVERIFY(form->findChildren<QFileDialog*>().isEmpty());

    // Opened again, it starts in the same folder with nothing selected, over an empty list
    // that shows its rows again when the dialog closes.
    bool checked = false;
    HandleNextDialog([&](QFileDialog& dialog) {
        QCOMPARE(Rows(), 0);
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QCOMPARE(dialog.directory().absolutePath(), scratch.dir.path());
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
        QVERIFY(view->selectionModel()->selectedIndexes().isEmpty());
        QCOMPARE(NameField(dialog)->text(), QString());
        checked = true;
        dialog.reject();
    });
    PressAddFiles();
    QVERIFY(checked);
    QCOMPARE(Rows(), 3);
}

void FilesIntoListTest::completionListGoesWithTheDialog() {
    Scratch scratch;
    for (const char* name : {"report-1.txt", "report-2.txt"})
        scratch.Make(QLatin1String(name));
    QPointer<QWidget> popup;
    HandleNextDialog([&](QFileDialog& dialog) {
        TypeAndConfirm(dialog, scratch.dir.path());
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
        QLineEdit* field = NameField(dialog);
        QTest::keyClicks(field, QStringLiteral("rep"));
        QTRY_VERIFY(field->completer()->popup()->isVisible());
        popup = field->completer()->popup();
        dialog.reject();
    });
    PressAddFiles();
    QVERIFY(popup == nullptr || !popup->isVisible());
}

void FilesIntoListTest::drop_data() {
    QTest::addColumn<QStringList>("dropped"); // names in the scratch folder, or whole URLs
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("box");
    QTest::newRow("three files, in the dropped order")
        << QStringList{"c.txt", "a b.txt", "b.txt"} << false
        << QStringList{"c.txt", "a b.txt", "b.txt"} << "";
    QTest::newRow("a name that is not UTF-8 keeps its bytes")
        << QStringList{"file:bad%FF.txt"} << false << QStringList{"bad\xEF\xBF\xBD.txt"} << "";
    QTest::newRow("a web address refuses the whole drop")
        << QStringList{"a.txt", "https://example.org/x.txt"} << false << QStringList{}
        << "Only files on this computer can be added:\nhttps://example.org/x.txt";
    QTest::newRow("nothing while a file is edited")
        << QStringList{"a.txt"} << true << QStringList{} << "";
}

void FilesIntoListTest::drop() {
    QFETCH(QStringList, dropped);
    QFETCH(bool, editing);
    QFETCH(QStringList, added);
    QFETCH(QString, box);
    Scratch scratch;
    const QString first = scratch.Make(QStringLiteral("first.txt"));
    AddFiles({first});
    if (editing)
        DoubleClickRow(0);
    QList<QUrl> urls;
    for (const QString& name : dropped) {
        if (name.startsWith(u"file:"))
            urls << QUrl(QUrl::fromLocalFile(scratch.dir.path()).toString(QUrl::FullyEncoded) +
                         u'/' + name.mid(5));
        else if (name.contains(u':'))
            urls << QUrl(name);
        else
            urls << QUrl::fromLocalFile(scratch.Make(name));
    }
    BoxSeen seen;
    CloseNextBox(seen);
    QCOMPARE(Drop(urls), !editing);
    QCoreApplication::processEvents();
    if (box.isEmpty())
        QVERIFY(!seen.shown);
    else
        VerifyErrorBox(seen, box);
    QStringList expected{first};
    for (const QString& name : added)
        expected << scratch.Path(name);
    QCOMPARE(RowPaths(), expected);
    QCOMPARE(Listed().size(), std::size_t(expected.size()));
    if (!dropped.isEmpty() && dropped.front().startsWith(u"file:"))
        QCOMPARE(Listed().back(), TextToPath(scratch.dir.path()) + "/bad\xFF.txt");
}

void FilesIntoListTest::dropIsNeverAMove_data() {
    QTest::addColumn<int>("offered");
    QTest::addColumn<int>("told"); // IgnoreAction: refused
    QTest::newRow("copy, move or link")
        << int(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) << int(Qt::CopyAction);
    QTest::newRow("move or link") << int(Qt::MoveAction | Qt::LinkAction) << int(Qt::LinkAction);
    QTest::newRow("move only") << int(Qt::MoveAction) << int(Qt::IgnoreAction);
}

// A file manager that is told "move" may delete the files it thinks it moved; Shift asks it
// to propose a move.
void FilesIntoListTest::dropIsNeverAMove() {
    QFETCH(int, offered);
    QFETCH(int, told);
    Scratch scratch;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(scratch.Make(QStringLiteral("a.txt")))});
    const auto actions = Qt::DropActions(offered);
    QDragEnterEvent enter({10, 10}, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(List()->viewport(), &enter);
    QDropEvent drop({10, 10}, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(List()->viewport(), &drop);
    for (const QDropEvent* event : {static_cast<QDropEvent*>(&enter), &drop}) {
        QCOMPARE(event->isAccepted(), told != Qt::IgnoreAction);
        if (event->isAccepted())
            QCOMPARE(int(event->dropAction()), told);
    }
    QCOMPARE(Rows(), told != Qt::IgnoreAction ? 1 : 0);
}

void FilesIntoListTest::onlyTheLeftButtonEditsAFile_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("editing");
    QTest::newRow("left") << int(Qt::LeftButton) << true;
    QTest::newRow("right") << int(Qt::RightButton) << false;
    QTest::newRow("middle") << int(Qt::MiddleButton) << false;
}

void FilesIntoListTest::onlyTheLeftButtonEditsAFile() {
    QFETCH(int, button);
    QFETCH(bool, editing);
    Scratch scratch;
    AddFiles({scratch.Make("a.txt")});
    SelectRow(0);
    DoubleClickList(RowCentre(0), Qt::MouseButton(button));
    QCOMPARE(Control(kChange)->isVisible(), editing);
    QCOMPARE(Control(kAddFiles)->isEnabled(), !editing);
}

void FilesIntoListTest::listKeysStayOnTheNameColumn_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("selected");
    QTest::newRow("right") << QList<int>{Qt::Key_Right} << 0;
    QTest::newRow("left") << QList<int>{Qt::Key_Left} << 0;
    QTest::newRow("end") << QList<int>{Qt::Key_End} << 2;
    QTest::newRow("end, home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0;
    QTest::newRow("down, right") << QList<int>{Qt::Key_Down, Qt::Key_Right} << 1;
    QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << 2;
}

void FilesIntoListTest::listKeysStayOnTheNameColumn() {
    QFETCH(QList<int>, keys);
    QFETCH(int, selected);
    Scratch scratch;
    AddFiles({scratch.Make("a.txt"), scratch.Make("b.txt"), scratch.Make("c.txt")});
    SelectRow(0);
    for (int key : keys)
        QTest::keyClick(List(), Qt::Key(key));
    const QModelIndexList selection = List()->selectionModel()->selectedIndexes();
    QCOMPARE(selection.size(), 1);
    QCOMPARE(selection.front().column(), 0);
    QCOMPARE(selection.front().row(), selected);
    // Delete then acts on that row.
    QTest::keyClick(List(), Qt::Key_Delete);
    QCOMPARE(Rows(), 2);
    QVERIFY(!RowPaths().contains(scratch.Path(QStringList{"a.txt", "b.txt", "c.txt"}[selected])));
}

QTEST_MAIN(FilesIntoListTest)
#include "FilesIntoListTest.moc"
