// The list put in order from its context menu, its keys and by dragging a row; "Start" then
// numbers the files in that order.

#include "FileOps.h"
#include "RowTexts.h"
#include "WindowDriver.h"

#include <QMimeData>

using namespace tarvolin;
using namespace tarvolin::uitest;

class ListOrderTest : public QObject, public WindowDriver {
    Q_OBJECT

private slots:
    void init() {
        scratch = std::make_unique<Scratch>();
        OpenWindow();
        // Each file holds its own name and was modified in the year 2000 + its letter's place.
        FileNames paths;
        for (const QString name : {"c", "a", "b 10", "b 9"}) {
            paths.push_back(TextToPath(scratch->Make(name)));
            QVERIFY(SetModifyTime(paths.back(), {2000 + name[0].unicode() - 'a', 1, 1}, {}));
        }
        form->AppendFiles(paths);
    }
    void cleanup() { form.reset(); }
    void orders_data();
    void orders();
    void lockedWhileEditing();

private:
    std::unique_ptr<Scratch> scratch;
};

void ListOrderTest::orders_data() {
    QTest::addColumn<int>("selected");   // -1: none
    QTest::addColumn<QString>("action"); // a menu entry, "drop" after the last row, or keys
    QTest::addColumn<QString>("after");  // the files in the list, which "Start" numbers so
    QTest::newRow("natural name order") << -1 << "Sort by Name"
                                        << "a,b 9,b 10,c";
    QTest::newRow("modify time order") << 0 << "Sort by Modify Time"
                                       << "a,b 10,b 9,c";
    QTest::newRow("ctrl+down") << 0 << "Ctrl+Down"
                               << "a,c,b 10,b 9";
    QTest::newRow("ctrl+up") << 3 << "Ctrl+Up"
                             << "c,a,b 9,b 10";
    QTest::newRow("ctrl+up at the top") << 0 << "Ctrl+Up"
                                        << "c,a,b 10,b 9";
    QTest::newRow("move down at the bottom") << 3 << "Move Down"
                                             << "c,a,b 10,b 9";
    QTest::newRow("dragged below the last row") << 0 << "drop"
                                                << "a,b 10,b 9,c";
    QTest::newRow("remove from list") << 1 << "Remove from List"
                                      << "c,b 10,b 9";
}

void ListOrderTest::orders() {
    QFETCH(int, selected);
    QFETCH(QString, action);
    QFETCH(QString, after);
    const QString chosen = selected >= 0 ? Cell(selected, 0) : QString();
    if (selected >= 0)
        SelectRow(selected);
    if (action == u"drop") {
        std::unique_ptr<QMimeData> rows(List()->model()->mimeData({List()->model()->index(0, 0)}));
        const QPoint at = RowCentre(Rows() - 1) + QPoint(0, 2); // its lower half
        QDragEnterEvent enter(at, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        QCOMPARE(drop.dropAction(), Qt::MoveAction);
    } else if (action.contains(u'+')) {
        QTest::keyClick(List(), QKeySequence(action)[0].key(),
                        QKeySequence(action)[0].keyboardModifiers());
    } else {
        QVERIFY(ChooseFromListMenu(action));
    }
    const QStringList files = after.split(u',');
    if (files.size() == 4 && selected >= 0)
        QCOMPARE(Cell(form->SelectedPosition(), 0), chosen);
    TypeBaseName(QStringLiteral("x"));
    Start();
    for (int i = 0; i < files.size(); ++i) {
        QFile numbered(scratch->Path(QStringLiteral("x_%1").arg(i)));
        QVERIFY(numbered.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(numbered.readAll()), files[i]);
    }
}

void ListOrderTest::lockedWhileEditing() {
    // The menu shows each entry's keys.
    const auto* moveUp = List()->findChild<QAction*>(QStringLiteral("MoveUp"));
    QCOMPARE(moveUp->text() + u' ' + moveUp->shortcut().toString(),
             QStringLiteral("Move Up Ctrl+Up"));
    QVERIFY(moveUp->isShortcutVisibleInContextMenu());
    DoubleClickRow(1);
    QVERIFY(Control(kChange)->isVisible());
    for (const char* entry : {"Sort by Name", "Sort by Modify Time", "Move Up"})
        QVERIFY2(!ChooseFromListMenu(QLatin1String(entry)), entry);
    QTest::keyClick(List(), Qt::Key_Up, Qt::ControlModifier);
    QVERIFY(!List()->dragEnabled());
    QCOMPARE(QFileInfo(Cell(1, 0)).fileName(), QStringLiteral("a"));
}

QTEST_MAIN(ListOrderTest)
#include "ListOrderTest.moc"
