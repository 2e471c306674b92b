// Undo as a user meets it in the window: Ctrl+Z after "Start", and the box at start-up after
// a run that did not finish.
#include "FileOps.h"
#include "RowTexts.h"
#include "RunJournal.h"
#include "RunUndoing.h"
#include "WindowDriver.h"

#include <QPushButton>
#include <functional>

namespace tarvolin::uitest {

// Owns the timers of one test: a box a test waited for and that never came must not fire
// into the next test.
std::unique_ptr<QObject> testScope;

class UndoTest : public QObject, public WindowDriver {
    Q_OBJECT

    QTemporaryDir state;

private slots:
    void init() {
        qputenv("XDG_STATE_HOME", state.path().toUtf8());
        testScope = std::make_unique<QObject>();
    }
    void cleanup() { testScope.reset(); }
    void ctrlZPutsTheLastRunBack();
    void ctrlZInTheNameFieldUndoesTheRunStartedWithEnter();
    void anotherWindowsRunIsUndoneOnlyWhenTheUserSaysSo();
    void aRunThatCannotBeJournaledAsksFirst();
    void startUpBoxOffersToUndoARunThatDidNotFinish();
    void escapeInTheStartUpBoxDecidesNothing();

private:
    // Answers the start-up box as `answer` does; the box's text and default button come back.
    QStringList AnswerStartUpBox(const std::function<void(QMessageBox*)>& answer) {
        QStringList seen;
        QTimer timer; // goes with this call when no box came to fire it
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            seen << box->text() << (box->defaultButton() ? box->defaultButton()->text() : "");
            answer(box);
        });
        timer.start(0);
        OfferRecoveryOfUnfinishedRuns(form.get(), form->Files());
        return seen;
    }
};

// Arranges for the next box to be read and answered with the button captioned `answer`.
void AnswerNextBox(const QString& answer, QString& text) {
    QTimer::singleShot(0, testScope.get(), [answer, &text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer)
                QTest::mouseClick(button, Qt::LeftButton);
    });
}

// The box that tells how an undo went comes after the question that started it.
void CloseOutcomeBox(BoxSeen& seen, int triesLeft = 300) {
    QTimer::singleShot(10, testScope.get(), [&seen, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->button(QMessageBox::Ok) == nullptr) {
            if (triesLeft > 0)
                CloseOutcomeBox(seen, triesLeft - 1);
            return;
        }
        seen = ReadBox(*box);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

void UndoTest::ctrlZPutsTheLastRunBack() {
    Scratch files;
    OpenWindow();
    AddFiles({files.Make("a.txt"), files.Make("b.txt")});
    const QString rowBefore = Cell(0, 0);
    TypeBaseName(QStringLiteral("n"));
    Start();
    QVERIFY(files.Has("n_0.txt") && files.Has("n_1.txt"));
    BoxSeen outcome;
    CloseNextBox(outcome);
    Undo();
    QVERIFY2(outcome.text.startsWith(QStringLiteral("Undo finished: 2 files are back")),
             qPrintable(outcome.text));
    QVERIFY(files.Has("a.txt") && files.Has("b.txt"));
    QVERIFY(!files.Has("n_0.txt") && !files.Has("n_1.txt"));
    QCOMPARE(Cell(0, 0), rowBefore);
}

void UndoTest::ctrlZInTheNameFieldUndoesTheRunStartedWithEnter() {
    Scratch files;
    OpenWindow();
    AddFiles({files.Make("a.txt")});
    TypeBaseName(QStringLiteral("n"));
    QTest::keyClick(Control(kNameField), Qt::Key_Return);
    QVERIFY(files.Has("n_0.txt"));
    BoxSeen outcome;
    CloseNextBox(outcome);
    QTest::keyClick(Control(kNameField), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(files.Has("a.txt") && outcome.shown);
    QCOMPARE(Control<QLineEdit>(kNameField)->text(), QStringLiteral("n"));
}

void UndoTest::anotherWindowsRunIsUndoneOnlyWhenTheUserSaysSo() {
    Scratch files;
    OpenWindow();
    AddFiles({files.Make("a.txt")});
    TypeBaseName(QStringLiteral("n"));
    Start();
    OpenWindow(); // a new window, as the next session would open
    QString question;
    AnswerNextBox(QStringLiteral("Cancel"), question);
    Undo();
    QVERIFY2(question.contains(QStringLiteral(" over 1 file in ")), qPrintable(question));
    QVERIFY(files.Has("n_0.txt"));
    Reactivate();
    BoxSeen outcome;
    AnswerNextBox(QStringLiteral("Undo the Run"), question);
    CloseOutcomeBox(outcome);
    Undo();
    QTRY_VERIFY(outcome.shown);
    QVERIFY(files.Has("a.txt"));
}

void UndoTest::aRunThatCannotBeJournaledAsksFirst() {
    Scratch files;
    const QString notAFolder = files.Make("state-is-a-file");
    qputenv("XDG_STATE_HOME", notAFolder.toUtf8());
    OpenWindow();
    AddFiles({files.Make("a.txt")});
    TypeBaseName(QStringLiteral("n"));
    QString question;
    AnswerNextBox(QStringLiteral("Don't Run"), question);
    Start();
    QVERIFY2(question.contains(notAFolder), qPrintable(question));
    QVERIFY(files.Has("a.txt") && !files.Has("n_0.txt"));
    AnswerNextBox(QStringLiteral("Run Without Undo"), question);
    Start();
    QVERIFY(files.Has("n_0.txt"));
}

void UndoTest::startUpBoxOffersToUndoARunThatDidNotFinish() {
    Scratch files;
    const std::string a = TextToPath(files.Make("a.txt"));
    const std::string b = TextToPath(files.Make("b.txt"));
    {
        FileLayer earlier; // the program that ran before
        std::unique_ptr<RunJournal> journal =
            RunJournal::Create(earlier, JournalDirectory(), JournalKind::Run);
        for (const std::string& path : {a, b})
            journal->AddChange(
                {path, path + ".new", ReadFileIdentity(path), {}, {}, {}, {}, {}, {}});
        QVERIFY(journal->StartChanges());
        QVERIFY(RenameOnDisk(a, a + ".new"));
    } // the program dies here: the journal never ends
    OpenWindow();
    QString text;
    BoxSeen outcome;
    AnswerNextBox(QStringLiteral("Undo the Run"), text);
    CloseOutcomeBox(outcome);
    OfferRecoveryOfUnfinishedRuns(form.get(), form->Files());
    QVERIFY2(text.contains(QStringLiteral("1 of 2 files were renamed")), qPrintable(text));
    QVERIFY(outcome.text.startsWith(QStringLiteral("Undo finished: 1 file is back")));
    QVERIFY(files.Has("a.txt") && !files.Has("a.txt.new"));

    bool askedAgain = false;
    QTimer::singleShot(0, testScope.get(), [&askedAgain] {
        askedAgain = QApplication::activeModalWidget() != nullptr;
        if (askedAgain)
            QApplication::activeModalWidget()->close();
    });
    OfferRecoveryOfUnfinishedRuns(form.get(), form->Files());
    QVERIFY(!askedAgain);
}

void UndoTest::escapeInTheStartUpBoxDecidesNothing() {
    Scratch files;
    const std::string a = TextToPath(files.Make("a.txt"));
    {
        FileLayer earlier; // the program that ran before
        std::unique_ptr<RunJournal> journal =
            RunJournal::Create(earlier, JournalDirectory(), JournalKind::Run);
        journal->AddChange(
            {a, a + ".new", ReadFileIdentity(a), {}, {}, {}, {}, {}, {}, false, false});
        QVERIFY(journal->StartChanges());
    } // the program dies before the first file
    OpenWindow();
    const auto escape = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); };
    for (int start = 0; start < 2; ++start)
        QCOMPARE(AnswerStartUpBox(escape).value(1), QStringLiteral("Decide Later"));
    QVERIFY(files.Has("a.txt"));
    AnswerStartUpBox([](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QStringLiteral("Keep"))
                QTest::mouseClick(button, Qt::LeftButton);
    });
    QVERIFY(AnswerStartUpBox(escape).isEmpty());
}

} // namespace tarvolin::uitest

QTEST_MAIN(tarvolin::uitest::UndoTest)
#include "UndoTest.moc"
