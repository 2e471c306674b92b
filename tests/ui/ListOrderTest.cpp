// Putting the list in order from its context menu, its keys and by dragging rows, and the run
// then following that order.

#include "FileOps.h"
#include "RowTexts.h"
#include "WindowDriver.h"

#include <QFileInfo>
#include <QMimeData>

using namespace tarvolin;
using namespace tarvolin::uitest;

class ListOrderTest : public QObject, public WindowDriver {
    Q_OBJECT

private slots:
    void init() {
        scratch = std::make_unique<Scratch>();
        OpenWindow();
    }
    void cleanup() { form.reset(); }
    void menuShowsItsKeys();
    void orders_data();
    void orders();
    void runFollowsTheOrder();
    void dragWithinTheList();
    void lockedWhileEditing();

private:
    std::unique_ptr<Scratch> scratch;
    // Lists `names`, each made in the scratch folder and modified in the year 2000 + its
    // place in alphabetical order.
    void List(const QStringList& names) {
        QStringList alphabetical = names;
        alphabetical.sort();
        FileNames paths;
        for (const QString& name : names) {
            paths.push_back(TextToPath(scratch->Make(name)));
            const int year = 2000 + static_cast<int>(alphabetical.indexOf(name));
            QVERIFY(SetModifyTime(paths.back(), {year, 1, 1}, {1970, 1, 1, 12}));
        }
        form->AppendFiles(paths);
    }
    QStringList Names() const {
        QStringList names;
        for (const std::string& path : Listed())
            names << QFileInfo(PathToText(path)).fileName();
        return names;
    }
    using WindowDriver::List;
};

void ListOrderTest::menuShowsItsKeys() {
    QStringList entries;
    for (const QAction* action : List()->actions())
        entries << action->text() + u'\t' + action->shortcut().toString();
    QCOMPARE(entries, (QStringList{"Undo Last Run\tCtrl+Z", "\t", "Sort by Name\t",
                                   "Sort by Modify Time\t", "\t", "Move Up\tCtrl+Up",
                                   "Move Down\tCtrl+Down", "\t", "Remove from List\tDel"}));
    for (const QAction* action : List()->actions())
        QVERIFY(action->isShortcutVisibleInContextMenu() || action->shortcut().isEmpty());
}

void ListOrderTest::orders_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selected");   // -1: none
    QTest::addColumn<QString>("action"); // a menu entry, or keys
    QTest::addColumn<QStringList>("after");
    const QStringList abc{"a", "b", "c"};
    QTest::newRow("natural name order")
        << QStringList{"pic 10", "pic 2", "pic 100", "pic 1"} << -1 << "Sort by Name"
        << QStringList{"pic 1", "pic 2", "pic 10", "pic 100"};
    QTest::newRow("modify time order")
        << QStringList{"c", "a", "b"} << 0 << "Sort by Modify Time" << abc;
    QTest::newRow("ctrl+down") << abc << 0 << "Ctrl+Down" << QStringList{"b", "a", "c"};
    QTest::newRow("ctrl+up") << abc << 2 << "Ctrl+Up" << QStringList{"a", "c", "b"};
    QTest::newRow("ctrl+up at the top") << abc << 0 << "Ctrl+Up" << abc;
    QTest::newRow("move down at the bottom") << abc << 2 << "Move Down" << abc;
    QTest::newRow("move up") << abc << 1 << "Move Up" << QStringList{"b", "a", "c"};
    QTest::newRow("remove from list") << abc << 1 << "Remove from List" << QStringList{"a", "c"};
    QTest::newRow("delete") << abc << 1 << "Del" << QStringList{"a", "c"};
}

void ListOrderTest::orders() {
    QFETCH(QStringList, names);
    QFETCH(int, selected);
    QFETCH(QString, action);
    QFETCH(QStringList, after);
    List(names);
    if (selected >= 0)
        SelectRow(selected);
    if (!action.contains(u'+') && action != u"Del") {
        QVERIFY(ChooseFromListMenu(action));
    } else {
        const QKeySequence keys(action);
        QTest::keyClick(List(), keys[0].key(), keys[0].keyboardModifiers());
    }
    QCOMPARE(Names(), after);
    for (int row = 0; row < Rows(); ++row)
        QCOMPARE(Cell(row, 0), PathToText(Listed()[static_cast<std::size_t>(row)]));
    // The selection goes with its file.
    if (selected >= 0 && after.size() == names.size())
        QCOMPARE(Names().value(form->SelectedPosition()), names[selected]);
}

void ListOrderTest::runFollowsTheOrder() {
    List({"pic 10", "pic 2", "pic 1"});
    QVERIFY(ChooseFromListMenu(QStringLiteral("Sort by Name")));
    TypeBaseName(QStringLiteral("x"));
    Start();
    for (const char* name : {"x_0", "x_1", "x_2"})
        QVERIFY2(scratch->Has(QLatin1String(name)), name);
    QCOMPARE(QFile(scratch->Path(QStringLiteral("x_2"))).size(), qint64(6)); // "pic 10"
}

void ListOrderTest::dragWithinTheList() {
    List({"a", "b", "c"});
    SelectRow(0);
    std::unique_ptr<QMimeData> rows(List()->model()->mimeData({List()->model()->index(0, 0)}));
    // Dropped on the lower half of the last row: after it.
    const QPoint at = RowCentre(2) + QPoint(0, 2);
    QDragEnterEvent enter(at, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &enter);
    QDropEvent drop(at, Qt::MoveAction, rows.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::MoveAction);
    QCOMPARE(Names(), (QStringList{"b", "c", "a"}));
    QCOMPARE(form->SelectedPosition(), 2);
}

void ListOrderTest::lockedWhileEditing() {
    List({"b", "a"});
    DoubleClickRow(0);
    QVERIFY(Control(kChange)->isVisible());
    for (const char* entry : {"Sort by Name", "Sort by Modify Time", "Move Down"})
        QVERIFY2(!ChooseFromListMenu(QLatin1String(entry)), entry);
    QTest::keyClick(List(), Qt::Key_Down, Qt::ControlModifier);
    QVERIFY(!List()->dragEnabled());
    QCOMPARE(Names(), (QStringList{"b", "a"}));
}

QTEST_MAIN(ListOrderTest)
#include "ListOrderTest.moc"
