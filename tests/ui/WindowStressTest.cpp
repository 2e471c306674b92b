// The window with a hundred thousand files: added through the dialog, deleted one by one
// from the middle, cleared, added again, and renamed with a failure waiting at the very
// last file. Nothing may crash or leak, and the rows, the list and the disk must agree.

#include "RenameJob.h"
#include "WindowDriver.h"

#include <QDir>
#include <QFileInfo>

using namespace tarvolin;
using namespace tarvolin::uitest;

namespace {

constexpr int kFileCount = 100000;
constexpr int kDeletions = 1000;

QStringList MakeEmptyFiles(Scratch& scratch, int count) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        paths << scratch.Path(QStringLiteral("file%1.dat").arg(i));
        QFile file(paths.back());
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(paths.back()));
    }
    return paths;
}

} // namespace

class WindowStressTest : public QObject, public WindowDriver {
    Q_OBJECT

    // Lists the paths as the command line does, then lets "Add Files" read every row again
    // with the dialog cancelled. Typing or pasting 100 000 names into Qt's dialog is no way
    // in: it selects each name in its own view as it goes, which takes quadratic time; the
    // dialog's handling of long selections has its own tests.
    void AddFilesAtOnce(const QStringList& paths) {
        FileNames names;
        for (const QString& path : paths)
            names.push_back(path.toStdString());
        form->AppendFiles(names);
        HandleNextDialog([](QFileDialog& dialog) { dialog.reject(); });
        PressAddFiles();
        Reactivate();
    }

    void DeleteSelectedRow(int row) {
        List()->scrollTo(List()->model()->index(row, 0));
        SelectRow(row);
        QTest::keyClick(List(), Qt::Key_Delete);
    }

    // Every row shows its entry of the list, and every entry names a file on disk.
    void VerifyRowsMatchListAndDisk() {
        QCOMPARE(Rows(), static_cast<int>(Listed().size()));
        for (int row = 0; row < Rows(); ++row) {
            const QString path = QString::fromStdString(Listed()[row]);
            if (Cell(row, 0) != path || !QFileInfo::exists(path))
                QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(row).arg(Cell(row, 0))));
        }
    }

private slots:
    void init() { OpenWindow(); }
    void cleanup() { form.reset(); }
    void hundredThousandFiles();
};

void WindowStressTest::hundredThousandFiles() {
    Scratch scratch;
    const QStringList paths = MakeEmptyFiles(scratch, kFileCount);

    AddFilesAtOnce(paths);
    QCOMPARE(Rows(), kFileCount);
    VerifyRowsMatchListAndDisk();

    const QString firstDeleted = Cell(kFileCount / 2, 0);
    for (int i = 0; i < kDeletions; ++i)
        DeleteSelectedRow(Rows() / 2);
    QCOMPARE(Rows(), kFileCount - kDeletions);
    QVERIFY(!Listed().empty());
    QVERIFY(std::find(Listed().begin(), Listed().end(), firstDeleted.toStdString()) ==
            Listed().end());
    VerifyRowsMatchListAndDisk();
    QVERIFY2(QFileInfo::exists(firstDeleted), "Delete must never touch the file on disk");

    Clear();
    QCOMPARE(Rows(), 0);
    QVERIFY(Listed().empty());

    AddFilesAtOnce(paths);
    QCOMPARE(Rows(), kFileCount);

    // The last file's new name is taken by a file outside the list.
    const QString blocker = scratch.Make(QStringLiteral("x_%1.dat").arg(kFileCount - 1));
    TypeBaseName(QStringLiteral("x"));
    BoxSeen box;
    CloseNextBox(box);
    Start();

    QVERIFY(box.shown);
    QCOMPARE(box.text, QString::fromLatin1(kRenameErrorText));
    QCOMPARE(Cell(kFileCount - 1, 0), paths.back());
    QCOMPARE(Cell(kFileCount - 2, 0), scratch.Path(QStringLiteral("x_%1.dat").arg(kFileCount - 2)));
    QFile blockerFile(blocker);
    QVERIFY(blockerFile.open(QIODevice::ReadOnly));
    QCOMPARE(blockerFile.readAll(), QByteArray("x_99999.dat"));
    VerifyRowsMatchListAndDisk();
    QCOMPARE(QDir(scratch.dir.path()).entryList(QDir::Files).size(), kFileCount + 1);
}

QTEST_MAIN(WindowStressTest)
#include "WindowStressTest.moc"
