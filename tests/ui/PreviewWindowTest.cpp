// The preview window as a user meets it: opened from the list with Ctrl+P, it follows what is
// typed into "File Name:" and what the list holds.
#include "WindowDriver.h"

#include <QLabel>
#include <QTableView>

namespace tarvolin::uitest {

class PreviewWindowTest : public QObject, public WindowDriver {
    Q_OBJECT

private slots:
    void followsTheNameFieldAndTheList();
};

void PreviewWindowTest::followsTheNameFieldAndTheList() {
    OpenWindow();
    Scratch files;
    files.Make(QStringLiteral("n_1.txt"));
    AddFiles({files.Make(QStringLiteral("a.txt")), files.Make(QStringLiteral("b.txt"))});
    SelectRow(0);
    QTest::keyClick(List(), Qt::Key_P, Qt::ControlModifier);
    auto* preview = form->findChild<QWidget*>(QStringLiteral("PreviewWindow"));
    QVERIFY(preview != nullptr && preview->isVisible());
    auto* summary = preview->findChild<QLabel*>(QStringLiteral("PreviewSummary"));
    const QAbstractItemModel* rows =
        preview->findChild<QTableView*>(QStringLiteral("PreviewTable"))->model();
    const auto cell = [rows](int row, int column) {
        return rows->index(row, column).data().toString();
    };
    QCOMPARE(summary->text(), QStringLiteral("None of 2 will fail."));

    TypeBaseName(QStringLiteral("n"));
    QCOMPARE(summary->text(), QStringLiteral("1 of 2 will fail: 1 name taken on disk"));
    const QStringList problemFirst = {cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3)};
    QCOMPARE(problemFirst,
             (QStringList{"2", "b.txt", "n_1.txt", "Name taken by a file not in the list"}));

    TypeBaseName(QStringLiteral("m"));
    QCOMPARE(summary->text(), QStringLiteral("None of 2 will fail."));
    QCOMPARE(cell(1, 2), QStringLiteral("nm_1.txt"));

    Clear();
    QTRY_COMPARE(summary->text(), QStringLiteral("Did not specify the modification's document!"));
}

} // namespace tarvolin::uitest

QTEST_MAIN(tarvolin::uitest::PreviewWindowTest)
#include "PreviewWindowTest.moc"
