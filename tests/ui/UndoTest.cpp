// Undo as a user meets it in the window: Ctrl+Z after "Start", and the box at start-up after
// a run that did not finish.
#include "FileOps.h"
#include "RowTexts.h"
#include "RunJournal.h"
#include "RunUndoing.h"
#include "WindowDriver.h"

namespace tarvolin::uitest {

class UndoTest : public QObject, public WindowDriver {
    Q_OBJECT

    QTemporaryDir state;

private slots:
    void initTestCase() { qputenv("XDG_STATE_HOME", state.path().toUtf8()); }
    void ctrlZPutsTheLastRunBack();
    void startUpBoxOffersToUndoARunThatDidNotFinish();
};

void UndoTest::ctrlZPutsTheLastRunBack() {
    Scratch files;
    OpenWindow();
    AddFiles({files.Make("a.txt"), files.Make("b.txt")});
    const QString rowBefore = Cell(0, 0);
    TypeBaseName(QStringLiteral("n"));
    Start();
    QVERIFY(files.Has("n_0.txt") && files.Has("n_1.txt"));
    Undo();
    QVERIFY(files.Has("a.txt") && files.Has("b.txt"));
    QVERIFY(!files.Has("n_0.txt") && !files.Has("n_1.txt"));
    QCOMPARE(Cell(0, 0), rowBefore);
}

void UndoTest::startUpBoxOffersToUndoARunThatDidNotFinish() {
    Scratch files;
    const std::string a = TextToPath(files.Make("a.txt"));
    const std::string b = TextToPath(files.Make("b.txt"));
    {
        std::unique_ptr<RunJournal> journal =
            RunJournal::Create(JournalDirectory(), JournalKind::Run);
        for (const std::string& path : {a, b})
            journal->AddChange(
                {path, path + ".new", ReadFileIdentity(path), {}, {}, {}, {}, {}, {}});
        QVERIFY(journal->StartChanges());
        QVERIFY(RenameOnDisk(a, a + ".new"));
    } // the program dies here: the journal never ends
    OpenWindow();
    QString text;
    QTimer::singleShot(0, [&text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Undo the Run"))
                QTest::mouseClick(button, Qt::LeftButton);
    });
    OfferRecoveryOfUnfinishedRuns(form.get());
    QVERIFY2(text.contains(QStringLiteral("1 of 2 files were renamed")), qPrintable(text));
    QVERIFY(files.Has("a.txt") && !files.Has("a.txt.new"));

    bool askedAgain = false;
    QTimer::singleShot(0, [&askedAgain] {
        askedAgain = QApplication::activeModalWidget() != nullptr;
        if (askedAgain)
            QApplication::activeModalWidget()->close();
    });
    OfferRecoveryOfUnfinishedRuns(form.get());
    QVERIFY(!askedAgain);
}

} // namespace tarvolin::uitest

QTEST_MAIN(tarvolin::uitest::UndoTest)
#include "UndoTest.moc"
