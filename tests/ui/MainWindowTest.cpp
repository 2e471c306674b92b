// The main window driven as a user drives it: files are added through the real "Add Files"
// dialog by typing their names, options are set with the mouse and keyboard, and the
// results are read from the disk, the rows and the error boxes.

#include "FileOps.h"
#include "Gauge.h"
#include "RowTexts.h"
#include "SpinField.h"
#include "SpinFieldRules.h"
#include "Unit1.h"
#include "WindowDriver.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

using namespace tarvolin;
using namespace tarvolin::uitest;

class MainWindowTest : public QObject, public uitest::WindowDriver {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFrame();
    void screenReaderHearsPanelsAndTheEnd();
    void initialStates_data();
    void initialStates();
    void pickersStartTodayAndNow();
    void listColumns();
    void enableRules_data();
    void enableRules();
    void caseBoxes();
    void spinKeys_data();
    void spinKeys();
    void spinTextFromElsewhere_data();
    void spinTextFromElsewhere();
    void spinClampsOnLeaving_data();
    void spinClampsOnLeaving();
    void spinButtons();
    void addFilesTypedNames_data();
    void addFilesTypedNames();
    void addFilesShowsNamesWithoutDot();
    void addFilesPickedWithTheMouse();
    void addFilesTakesALongSelection();
    void addFilesCancelledRereadsRows();
    void addFilesRemembersConfirmedFilter();
    void deleteKey_data();
    void deleteKey();
    void startRenamesFiles();
    void runPaintsOnlyTheGauge();
    void startErrors_data();
    void startErrors();
    void enterKey_data();
    void enterKey();
    void enterInSpinFieldStartsUnclamped();
    void clearKeepsGaugeRange();
    void quitAndDesktopCloseEndTheProgram_data();
    void quitAndDesktopCloseEndTheProgram();
};

void MainWindowTest::init() {
    OpenWindow();
    QVERIFY(form->isActiveWindow());
}

void MainWindowTest::cleanup() {
    form.reset();
}

void MainWindowTest::windowFrame() {
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    const QList<QSize> iconSizes = form->windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(16, 16)));
    QVERIFY(iconSizes.contains(QSize(32, 32)));
}

// Panels are announced by what they hold, and the gauge says when a run has ended.
void MainWindowTest::screenReaderHearsPanelsAndTheEnd() {
    for (const char* panel : {"Panel1", "Panel2", "Panel3", "Panel4", "Panel5"}) {
        const QString name = Control(panel)->accessibleName();
        QVERIFY2(!name.isEmpty() && !name.startsWith(u"Panel"), panel);
    }
    Scratch scratch;
    AddFiles({scratch.Make("a.txt")});
    Start();
    QCOMPARE(TheGauge()->accessibleDescription(), QStringLiteral("The run has ended."));
}

void MainWindowTest::initialStates_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("color"); // of the control's own background
    const auto rows = [](std::initializer_list<const char*> names, QColor color) {
        for (const char* name : names)
            QTest::newRow(name) << name << color;
    };
    rows({"Panel1", "Panel2"}, QColor(217, 217, 217));
    rows({"Panel3", "Panel4", "Panel5", kStartNumber}, QColor(232, 227, 204));
    rows({kNameField, kExtensionField, kFileList}, QColor(255, 255, 255));
}

// Which controls start enabled and shown is pinned by the Tab order at start
// (WindowInvariantsTest.tabVisitsWhatCanTakeTheFocus); here, the colours and the values.
void MainWindowTest::initialStates() {
    QFETCH(QString, name);
    QFETCH(QColor, color);
    QWidget* painted = name == kStartNumber ? SpinEditor() : Control(qPrintable(name));
    const auto role = qobject_cast<QLineEdit*>(painted) || qobject_cast<QTableView*>(painted)
                          ? QPalette::Base
                          : QPalette::Window;
    QCOMPARE(painted->palette().color(role), color);
    // Common to every start: empty list, a gauge at 0% of 0..100, start number 0, and
    // "Start" as the default button.
    QCOMPARE(Rows(), 0);
    QCOMPARE(Listed().size(), std::size_t{0});
    QCOMPARE(TheGauge()->MinValue(), 0);
    QCOMPARE(TheGauge()->MaxValue(), 100);
    QCOMPARE(TheGauge()->Progress(), 0);
    QCOMPARE(TheGauge()->ForeColor(), QColor(0, 128, 255));
    QCOMPARE(TheGauge()->BackColor(), QColor(232, 227, 204));
    QCOMPARE(SpinEditor()->text(), QStringLiteral("0"));
    QCOMPARE(SpinEditor()->maxLength(), 4);
    QCOMPARE(Control<SpinField>(kStartNumber)->MinValue(), 0);
    QCOMPARE(Control<SpinField>(kStartNumber)->MaxValue(), 9999);
    QVERIFY(Control<QPushButton>(kStart)->isDefault());
}

void MainWindowTest::pickersStartTodayAndNow() {
    const QTime before = QTime::currentTime();
    TForm1 fresh;
    const QTime after = QTime::currentTime();
    for (const char* name : {kCreateDate, kModifyDate})
        QCOMPARE(fresh.findChild<QDateEdit*>(QLatin1String(name))->date(), QDate::currentDate());
    for (const char* name : {kCreateTimeOfDay, kModifyTimeOfDay}) {
        const QTime shown = fresh.findChild<QTimeEdit*>(QLatin1String(name))->time();
        if (after >= before) // not across midnight
            QVERIFY(shown >= before.addMSecs(-before.msec()) && shown <= after);
    }
    QVERIFY(fresh.findChild<QDateEdit*>(QLatin1String(kCreateDate))->calendarPopup());
}

void MainWindowTest::listColumns() {
    QHeaderView* header = List()->horizontalHeader();
    const int widths[] = {260, 66, 150, 150};
    const QStringList captions = {"File Name", "Property", "Create Time", "Modify Time"};
    QCOMPARE(List()->model()->columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(header->sectionSize(column), widths[column]);
        QCOMPARE(List()->model()->headerData(column, Qt::Horizontal).toString(), captions[column]);
    }
    QCOMPARE(List()->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(List()->selectionBehavior(), QAbstractItemView::SelectItems);
    QCOMPARE(List()->editTriggers(), QAbstractItemView::NoEditTriggers);
    // The selection is not shown while the list is unfocused.
    const QPalette colours = List()->palette();
    QCOMPARE(colours.color(QPalette::Inactive, QPalette::Highlight),
             colours.color(QPalette::Inactive, QPalette::Base));
}

void MainWindowTest::enableRules_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<bool>("byProgram");
    const QList<std::pair<const char*, QStringList>> rules = {
        {kExpandName, {kExtensionField}},
        {kProperty, {kReadOnlyBox, kHiddenBox, kArchiveBox, kSysFileBox}},
        {kCreateTime, {kCreateDate, kCreateTimeOfDay}},
        {kModifyTime, {kModifyDate, kModifyTimeOfDay}},
    };
    for (const auto& [box, controls] : rules) {
        QTest::addRow("%s by the user", box) << box << controls << false;
        QTest::addRow("%s by the program", box) << box << controls << true;
    }
}

void MainWindowTest::enableRules() {
    QFETCH(QString, box);
    QFETCH(QStringList, controls);
    QFETCH(bool, byProgram);
    auto* checkBox = Control<QCheckBox>(qPrintable(box));
    const auto toggle = [&] {
        if (byProgram)
            checkBox->setChecked(!checkBox->isChecked());
        else if (checkBox->isChecked())
            Untick(qPrintable(box));
        else
            Tick(qPrintable(box));
    };
    toggle();
    QVERIFY(checkBox->isChecked());
    for (const QString& name : controls)
        QVERIFY2(Control(qPrintable(name))->isEnabled(), qPrintable(name));
    // Give each control a value, then disable it: the value stays.
    for (const QString& name : controls) {
        QWidget* control = Control(qPrintable(name));
        if (auto* attribute = qobject_cast<QCheckBox*>(control))
            attribute->setChecked(true);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(QStringLiteral("txt"));
        else if (auto* time = qobject_cast<QTimeEdit*>(control))
            time->setTime(QTime(10, 20, 30));
        else if (auto* date = qobject_cast<QDateEdit*>(control))
            date->setDate(QDate(2001, 2, 3));
    }
    toggle();
    QVERIFY(!checkBox->isChecked());
    for (const QString& name : controls) {
        QWidget* control = Control(qPrintable(name));
        QVERIFY2(!control->isEnabled(), qPrintable(name));
        if (auto* attribute = qobject_cast<QCheckBox*>(control))
            QVERIFY(attribute->isChecked());
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            QCOMPARE(edit->text(), QStringLiteral("txt"));
        else if (auto* time = qobject_cast<QTimeEdit*>(control))
            QCOMPARE(time->time(), QTime(10, 20, 30));
        else if (auto* date = qobject_cast<QDateEdit*>(control))
            QCOMPARE(date->date(), QDate(2001, 2, 3));
    }
    // Setting the state the box already has runs nothing: the controls stay disabled.
    checkBox->setChecked(false);
    for (const QString& name : controls)
        QVERIFY(!Control(qPrintable(name))->isEnabled());
}

void MainWindowTest::caseBoxes() {
    TypeBaseName(QStringLiteral("photo"));
    Tick(kExpandName);
    Control(kExtensionField)->setFocus();
    QTest::keyClicks(Control(kExtensionField), QStringLiteral("jpg"));
    Untick(kExpandName); // Edit2 disabled again: it is converted all the same
    auto* edit1 = Control<QLineEdit>(kNameField);
    auto* edit2 = Control<QLineEdit>(kExtensionField);
    auto* upper = Control<QCheckBox>(kAllUppercase);
    auto* lower = Control<QCheckBox>(kAllLowercase);

    Tick(kAllUppercase);
    QCOMPARE(edit1->text(), QStringLiteral("PHOTO"));
    QCOMPARE(edit2->text(), QStringLiteral("JPG"));
    QVERIFY(!edit2->isEnabled());

    Tick(kAllLowercase);
    QVERIFY(lower->isChecked());
    QVERIFY(!upper->isChecked());
    QCOMPARE(edit1->text(), QStringLiteral("photo"));
    QCOMPARE(edit2->text(), QStringLiteral("jpg"));

    // A one-time conversion: later typing stays as typed, unticking restores nothing.
    edit1->setFocus();
    edit1->end(false);
    QTest::keyClicks(edit1, QStringLiteral("XY"));
    QCOMPARE(edit1->text(), QStringLiteral("photoXY"));
    Untick(kAllLowercase);
    QVERIFY(!lower->isChecked());
    QCOMPARE(edit1->text(), QStringLiteral("photoXY"));
    QCOMPARE(edit2->text(), QStringLiteral("jpg"));

    // Ticked by the program, the conversion happens too.
    upper->setChecked(true);
    QCOMPARE(edit1->text(), QStringLiteral("PHOTOXY"));
}

void MainWindowTest::spinKeys_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");

    QTestEventList typing;
    typing.addKeyClicks(QStringLiteral("12a"));
    QTest::newRow("digits pass, a letter is refused with a beep") << "0" << typing << "12" << 1;

    QTestEventList quiet;
    quiet.addKeyClicks(QStringLiteral("+-.7"));
    QTest::newRow("signs and separator are taken by the field, then dropped")
        << "0" << quiet << "7" << 0;

    QTestEventList backspace;
    backspace.addKeyClick(Qt::Key_End);
    backspace.addKeyClick(Qt::Key_Backspace);
    QTest::newRow("backspace does nothing") << "42" << backspace << "42" << 0;

    QTestEventList del;
    del.addKeyClick(Qt::Key_Home);
    del.addKeyClick(Qt::Key_Delete);
    QTest::newRow("delete deletes") << "42" << del << "2" << 0;

    QTestEventList fiveDigits;
    fiveDigits.addKeyClicks(QStringLiteral("12345"));
    QTest::newRow("at most four characters") << "" << fiveDigits << "1234" << 0;

    QTestEventList up;
    up.addKeyClick(Qt::Key_Up);
    QTest::newRow("up steps by one") << "41" << up << "42" << 0;
    QTest::newRow("up stops at 9999") << "9999" << up << "9999" << 0;
    QTest::newRow("up from hexadecimal") << "$A" << up << "11" << 0;
    QTest::newRow("up from garbage counts from 0") << "a" << up << "1" << 0;
    QTest::newRow("up from below the range") << "-5" << up << "0" << 0;

    QTestEventList down;
    down.addKeyClick(Qt::Key_Down);
    QTest::newRow("down steps by one") << "42" << down << "41" << 0;
    QTest::newRow("down stops at 0") << "0" << down << "0" << 0;

    QTestEventList paste;
    paste.addKeyClick(Qt::Key_V, Qt::ControlModifier);
    QTest::newRow("ctrl+v is dropped") << "" << paste << "" << 0;

    QTestEventList shiftInsert;
    shiftInsert.addKeyClick(Qt::Key_Insert, Qt::ShiftModifier);
    QTest::newRow("shift+insert pastes anything, up to four characters")
        << "" << shiftInsert << "-5xy" << 0;

    QTestEventList alt;
    alt.addKeyClick(Qt::Key_A, Qt::AltModifier);
    alt.addKeyClick(Qt::Key_5, Qt::AltModifier);
    QTest::newRow("alt combinations type nothing") << "1" << alt << "1" << 0;
}

void MainWindowTest::spinTextFromElsewhere_data() {
    QTest::addColumn<bool>("dropped"); // else committed by an input method
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("beeps");
    QTest::newRow("input method: digits pass") << false << "12"
                                               << "12" << 0;
    QTest::newRow("input method: letters refused") << false << "1a２"
                                                   << "1" << 2;
    QTest::newRow("drop: digits pass") << true << "34"
                                       << "34" << 0;
    QTest::newRow("drop: the rest refused") << true << "3x4"
                                            << "34" << 1;
}

void MainWindowTest::spinTextFromElsewhere() {
    QFETCH(bool, dropped);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(int, beeps);
    auto* field = Control<SpinField>(kStartNumber);
    int refused = 0;
    connect(field, &SpinField::KeyRefused, this, [&refused] { ++refused; });
    QLineEdit* editor = SpinEditor();
    editor->clear();
    editor->setFocus();
    if (dropped) {
        QMimeData data;
        data.setText(text);
        // Qt hands a drop to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor, &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor, &drop);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(editor, &commit);
    }
    QCOMPARE(editor->text(), result);
    QCOMPARE(refused, beeps);
}

void MainWindowTest::spinKeys() {
    QFETCH(QString, start);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QApplication::clipboard()->setText(QStringLiteral("-5xyz"));
    auto* field = Control<SpinField>(kStartNumber);
    int refused = 0;
    connect(field, &SpinField::KeyRefused, this, [&refused] { ++refused; });
    QLineEdit* editor = SpinEditor();
    editor->setText(start);
    editor->setFocus();
    editor->selectAll();
    keys.simulate(editor);
    QCOMPARE(editor->text(), text);
    QCOMPARE(refused, beeps);
    QVERIFY(editor->hasFocus());
}

void MainWindowTest::spinClampsOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");
    QTest::newRow("negative is clamped to 0") << "-5"
                                              << "0";
    QTest::newRow("hexadecimal in range stays as typed") << "$FFF"
                                                         << "$FFF";
    QTest::newRow("garbage reads 0, which is in range, and stays") << "ab"
                                                                   << "ab";
    QTest::newRow("leading blank stays") << " 12"
                                         << " 12";
}

void MainWindowTest::spinClampsOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QString, left);
    QApplication::clipboard()->setText(typed);
    QLineEdit* editor = SpinEditor();
    editor->setFocus();
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(editor->text(), typed);
    QCOMPARE(Control<SpinField>(kStartNumber)->Value(), ReadSpinText(typed));
    QTest::mouseClick(Control(kNameField), Qt::LeftButton);
    QVERIFY(!editor->hasFocus());
    QCOMPARE(editor->text(), left);
}

void MainWindowTest::spinButtons() {
    auto* field = Control<SpinField>(kStartNumber);
    QLineEdit* editor = SpinEditor();
    QTest::mouseClick(field->UpButton(), Qt::LeftButton);
    QCOMPARE(editor->text(), QStringLiteral("1"));
    QVERIFY(editor->hasFocus());
    QTest::mouseClick(field->DownButton(), Qt::LeftButton);
    QTest::mouseClick(field->DownButton(), Qt::LeftButton);
    QCOMPARE(editor->text(), QStringLiteral("0"));
    // Held down: one step at once, none more before 400 ms, then repeats.
    QTest::mousePress(field->UpButton(), Qt::LeftButton);
    QCOMPARE(editor->text(), QStringLiteral("1"));
    QTest::qWait(250);
    QCOMPARE(editor->text(), QStringLiteral("1"));
    QTRY_VERIFY_WITH_TIMEOUT(editor->text().toInt() >= 3, 3000);
    QTest::mouseRelease(field->UpButton(), Qt::LeftButton);
    const QString released = editor->text();
    QTest::qWait(300);
    QCOMPARE(editor->text(), released);
}

void MainWindowTest::addFilesTypedNames_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("letters");
    QTest::newRow("one file") << QStringList{"a.txt"} << QStringList{"a.txt"} << QStringList{""};
    QTest::newRow("several files, in the order given")
        << QStringList{"a.txt", "b.doc", "c"} << QStringList{"c", "a.txt", "b.doc"}
        << QStringList{"", "", ""};
    QTest::newRow("a name that does not exist, kept without suffix")
        << QStringList{} << QStringList{"newname"} << QStringList{"R H A S "};
    QTest::newRow("in a folder that does not exist")
        << QStringList{} << QStringList{"nofolder/x.txt"} << QStringList{"R H A S "};
    QTest::newRow("existing and missing together")
        << QStringList{"a.txt", "b.doc"} << QStringList{"a.txt", "gone.txt", "b.doc"}
        << QStringList{"", "R H A S ", ""};
    QTest::newRow("the same file twice gives two rows")
        << QStringList{"a.txt"} << QStringList{"a.txt", "a.txt"} << QStringList{"", ""};
}

void MainWindowTest::addFilesTypedNames() {
    QFETCH(QStringList, existing);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, letters);
    Scratch scratch;
    for (const QString& name : existing)
        scratch.Make(name);
    QStringList paths;
    for (const QString& name : typed)
        paths << scratch.Path(name);
    bool titled = false;
    HandleNextDialog([&](QFileDialog& dialog) {
        titled = dialog.windowTitle() == QStringLiteral("Add Files");
        TypeAndConfirm(dialog, paths.size() == 1 ? paths.front() : Quoted(paths));
    });
    PressAddFiles();
    Reactivate();
    QVERIFY(titled);
    QCOMPARE(Rows(), paths.size());
    QCOMPARE(Listed().size(), std::size_t(paths.size()));
    for (int row = 0; row < paths.size(); ++row) {
        QCOMPARE(Cell(row, 0), paths[row]);
        QCOMPARE(QString::fromStdString(Listed()[std::size_t(row)]), paths[row]);
        QCOMPARE(Cell(row, 1), letters[row]);
        QCOMPARE(Cell(row, 3).isEmpty(), !QFile::exists(paths[row]));
    }
}

void MainWindowTest::addFilesShowsNamesWithoutDot() {
    Scratch scratch;
    scratch.Make(QStringLiteral("README"));
    scratch.Make(QStringLiteral("page.htm"));
    bool listedWithoutDot = false;
    QString filter;
    HandleNextDialog([&](QFileDialog& dialog) {
        filter = dialog.selectedNameFilter().section(u' ', 0, 0);
        // Go to the folder as a user would: type it and press Enter.
        TypeAndConfirm(dialog, scratch.dir.path());
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) == 2);
        for (int row = 0; row < 2; ++row)
            listedWithoutDot |=
                view->model()->index(row, 0, view->rootIndex()).data() == QStringLiteral("README");
        TypeAndConfirm(dialog, QStringLiteral("README"));
    });
    PressAddFiles();
    QCOMPARE(filter, QStringLiteral("*.*"));
    QVERIFY(listedWithoutDot);
    QCOMPARE(Rows(), 1);
    QCOMPARE(Cell(0, 0), scratch.Path(QStringLiteral("README")));
}

void MainWindowTest::addFilesPickedWithTheMouse() {
    // Names that a file URL would have to escape come through as they are.
    const QString one = QStringLiteral("one #1 %41?.txt");
    const QString three = QStringLiteral("thr\u00e9e [3].txt");
    Scratch scratch;
    for (const QString& name : {one, QStringLiteral("two.txt"), three})
        scratch.Make(name);
    HandleNextDialog([&](QFileDialog& dialog) {
        TypeAndConfirm(dialog, scratch.dir.path());
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
        QTest::qWait(50); // the listing is sorted once it is complete
        const auto itemNamed = [view](const QString& name) {
            for (int row = 0; row < 3; ++row) {
                const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
                if (index.data().toString() == name)
                    return index;
            }
            return QModelIndex();
        };
        const QModelIndex first = itemNamed(one);
        const QModelIndex last = itemNamed(three);
        QVERIFY(first.isValid() && last.isValid());
        view->scrollTo(first);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(first).center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          view->visualRect(last).center());
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
    });
    PressAddFiles();
    QStringList rows;
    for (int row = 0; row < Rows(); ++row)
        rows << Cell(row, 0);
    QCOMPARE(rows, (QStringList{scratch.Path(one), scratch.Path(three)}));
}

void MainWindowTest::addFilesTakesALongSelection() {
    // Far more than the 32767 characters a name field takes by default; none of the files
    // exists, so the names alone count.
    Scratch scratch;
    QStringList paths;
    for (int i = 0; i < 500; ++i)
        paths << scratch.Path(
            QStringLiteral("%1-%2.txt").arg(i, 4, 10, QChar(u'0')).arg(QString(70, u'n')));
    const QString text = Quoted(paths);
    QVERIFY(text.size() > 40000);
    HandleNextDialog([&](QFileDialog& dialog) {
        QApplication::clipboard()->setText(text);
        QLineEdit* field = NameField(dialog);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Return);
    });
    PressAddFiles();
    QCOMPARE(Rows(), paths.size());
    QCOMPARE(Cell(0, 0), paths.front());
    QCOMPARE(Cell(499, 0), paths.back());
}

void MainWindowTest::addFilesCancelledRereadsRows() {
    Scratch scratch;
    const QStringList paths = {scratch.Make("a.txt"), scratch.Make("b.txt"), scratch.Make("c")};
    AddFiles(paths);
    QCOMPARE(Rows(), 3);
    QCOMPARE(Cell(1, 1), QString());
    // The file goes behind the program's back; a cancelled "Add Files" still re-reads it.
    QVERIFY(QFile::remove(paths[1]));
    HandleNextDialog([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    PressAddFiles();
    QCOMPARE(Rows(), 3);
    QCOMPARE(Listed().size(), std::size_t{3});
    QCOMPARE(Cell(1, 0), paths[1]);
    QCOMPARE(Cell(1, 1), QStringLiteral("R H A S "));
    QCOMPARE(Cell(1, 2), QString());
    QCOMPARE(Cell(0, 1), QString());
}

void MainWindowTest::addFilesRemembersConfirmedFilter() {
    Scratch scratch;
    const QString file = scratch.Make("notes.txt");
    // Picks a filter with the arrow keys on the filter list, as a user can.
    const auto pickFilter = [](QFileDialog& dialog, const QString& caption) {
        auto* filters = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        filters->setFocus();
        const int target = filters->findText(caption);
        while (filters->currentIndex() != target)
            QTest::keyClick(filters, filters->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(dialog.selectedNameFilter().section(u' ', 0, 0), caption);
    };
    QStringList captions;
    HandleNextDialog([&](QFileDialog& dialog) {
        auto* filters = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < filters->count(); ++i)
            captions << filters->itemText(i);
        pickFilter(dialog, QStringLiteral("*.txt"));
        TypeAndConfirm(dialog, file);
    });
    PressAddFiles();
    QCOMPARE(captions, (QStringList{"*.*", "*.htm", "*.html", "*.txt"}));

    QString preselected;
    HandleNextDialog([&](QFileDialog& dialog) {
        preselected = dialog.selectedNameFilter().section(u' ', 0, 0);
        pickFilter(dialog, QStringLiteral("*.htm"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    PressAddFiles();
    QCOMPARE(preselected, QStringLiteral("*.txt"));

    // The cancelled choice of "*.htm" is not remembered.
    HandleNextDialog([&](QFileDialog& dialog) {
        preselected = dialog.selectedNameFilter().section(u' ', 0, 0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    PressAddFiles();
    QCOMPARE(preselected, QStringLiteral("*.txt"));
    QCOMPARE(Rows(), 1);
}

void MainWindowTest::deleteKey_data() {
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("delete removes the selected row")
        << 1 << int(Qt::Key_Delete) << 0 << QStringList{"a", "c"};
    QTest::newRow("with shift") << 0 << int(Qt::Key_Delete) << int(Qt::ShiftModifier)
                                << QStringList{"b", "c"};
    QTest::newRow("with ctrl") << 2 << int(Qt::Key_Delete) << int(Qt::ControlModifier)
                               << QStringList{"a", "b"};
    QTest::newRow("with alt") << 2 << int(Qt::Key_Delete) << int(Qt::AltModifier)
                              << QStringList{"a", "b"};
    QTest::newRow("no selection, nothing happens")
        << -1 << int(Qt::Key_Delete) << 0 << QStringList{"a", "b", "c"};
    QTest::newRow("backspace is not delete")
        << 1 << int(Qt::Key_Backspace) << 0 << QStringList{"a", "b", "c"};
}

void MainWindowTest::deleteKey() {
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, left);
    Scratch scratch;
    AddFiles({scratch.Make("a"), scratch.Make("b"), scratch.Make("c")});
    List()->setFocus();
    if (selected >= 0) {
        SelectRow(selected);
        QCOMPARE(form->SelectedPosition(), selected);
    }
    const auto shown = [this] {
        QStringList rows;
        for (int row = 0; row < Rows(); ++row) {
            rows << QFileInfo(Cell(row, 0)).fileName();
            if (QString::fromStdString(Listed()[std::size_t(row)]) != Cell(row, 0))
                rows << QStringLiteral("(list and rows differ)");
        }
        return rows;
    };
    QTest::keyClick(List(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(shown(), left);
    QCOMPARE(Listed().size(), std::size_t(left.size()));
    QCOMPARE(form->SelectedPosition(), key == Qt::Key_Delete ? -1 : selected);
    if (key == Qt::Key_Delete) {
        // A second Delete finds no selection and removes nothing more.
        QTest::keyClick(List(), Qt::Key_Delete);
        QCOMPARE(shown(), left);
    }
    // The files on disk stay.
    for (const char* name : {"a", "b", "c"})
        QVERIFY(scratch.Has(QLatin1String(name)));
}

void MainWindowTest::startRenamesFiles() {
    Scratch scratch;
    AddFiles({scratch.Make("a.txt"), scratch.Make("b.doc"), scratch.Make("c")});
    TypeBaseName(QStringLiteral("x"));
    SpinEditor()->setFocus();
    SpinEditor()->selectAll();
    QTest::keyClick(SpinEditor(), Qt::Key_7);
    Start();
    const QStringList expected = {"x_7.txt", "x_8.doc", "x_9"};
    for (int row = 0; row < 3; ++row) {
        QVERIFY2(scratch.Has(expected[row]), qPrintable(expected[row]));
        QCOMPARE(Cell(row, 0), scratch.Path(expected[row]));
    }
    for (const char* old : {"a.txt", "b.doc", "c"})
        QVERIFY(!scratch.Has(QLatin1String(old)));
    QCOMPARE(TheGauge()->MaxValue(), 2);
    QCOMPARE(TheGauge()->PercentDone(), 100);

    // Attributes through the window: "Property" with "ReadOnly", no new name.
    Control<QLineEdit>(kNameField)->clear();
    Tick(kProperty);
    Tick(kReadOnlyBox);
    Start();
    for (int row = 0; row < 3; ++row) {
        QVERIFY(scratch.Has(expected[row]));
        QCOMPARE(Cell(row, 1).left(2), QStringLiteral("R "));
        QVERIFY(ReadAttributes(Listed()[std::size_t(row)]) & kReadOnly);
    }
    Untick(kReadOnlyBox);
    Start(); // leaves them writable for the clean-up
}

// Records which widgets receive a paint event while it is installed on the application.
class PaintRecorder : public QObject {
public:
    QStringList painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted << watched->objectName();
        return false;
    }
};

void MainWindowTest::runPaintsOnlyTheGauge() {
    Scratch scratch;
    AddFiles({scratch.Make("a"), scratch.Make("b"), scratch.Make("c")});
    TypeBaseName(QStringLiteral("p"));
    QTest::qWait(50); // what is already due is painted before the run
    PaintRecorder recorder;
    qApp->installEventFilter(&recorder);
    QTest::keyClick(Control(kNameField), Qt::Key_Return); // handled to the end, run included
    qApp->removeEventFilter(&recorder);
    QVERIFY(scratch.Has("p_2"));
    // The gauge went 0%, 50%, 100%, each painted at once; the rewritten rows wait.
    QCOMPARE(recorder.painted.count(QLatin1String(kGauge)), 2);
    recorder.painted.removeAll(QLatin1String(kGauge));
    QCOMPARE(recorder.painted, QStringList());
    // Once the run is over the list is painted with the new names.
    PaintRecorder after;
    List()->viewport()->installEventFilter(&after);
    QTRY_VERIFY(!after.painted.isEmpty());
    QCOMPARE(Cell(2, 0), scratch.Path("p_2"));
}

void MainWindowTest::startErrors_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after"); // names on disk afterwards
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("detail"); // {} stands for the scratch folder
    QTest::newRow("empty list") << "empty"
                                << "Did not specify the modification's document!" << QStringList{}
                                << QStringList{} << "";
    QTest::newRow("second name taken")
        << "taken"
        << "Rename Error!" << QStringList{"c.txt", "x_0.txt", "x_1.txt", "b.txt"}
        << QStringList{"x_0.txt", "b.txt", "c.txt"} << "{}/b.txt\nto {}/x_1.txt\nFile exists";
    QTest::newRow("read-only, then a creation time before 1980")
        << "readonly"
        << "Set file Create Time Error!" << QStringList{"b.txt", "c.txt", "x_0.txt"}
        << QStringList{"x_0.txt", "b.txt", "c.txt"} << "{}/x_0.txt\nNumerical result out of range";
    QTest::newRow("same file listed twice")
        << "twice"
        << "Rename Error!" << QStringList{"x_0.txt"} << QStringList{"x_0.txt", "a.txt"}
        << "{}/a.txt\nto {}/x_1.txt\nNo such file or directory";
}

void MainWindowTest::startErrors() {
    QFETCH(QString, scenario);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QFETCH(QStringList, rows);
    QFETCH(QString, detail);
    Scratch scratch;
    if (scenario == "twice") {
        // Two "Add Files" with the same file give two rows.
        const QString a = scratch.Make("a.txt");
        AddFiles({a});
        AddFiles({a});
        QCOMPARE(Rows(), 2);
    } else if (scenario != "empty") {
        AddFiles({scratch.Make("a.txt"), scratch.Make("b.txt"), scratch.Make("c.txt")});
    }
    if (scenario == "taken")
        scratch.Make("x_1.txt");
    if (scenario == "readonly") {
        Tick(kProperty);
        Tick(kReadOnlyBox);
        Tick(kCreateTime);
        // Read-only does not refuse a time; a date the DOS range cannot hold does.
        Control<QDateEdit>(kCreateDate)->setDate(QDate(1975, 1, 1));
    }
    TypeBaseName(QStringLiteral("x"));
    BoxSeen box;
    CloseNextBox(box);
    Start();
    VerifyErrorBox(box, text);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(box.detail, detail.replace(QStringLiteral("{}"), scratch.dir.path()));
    QStringList onDisk = QDir(scratch.dir.path()).entryList(QDir::Files, QDir::Name);
    std::sort(after.begin(), after.end());
    QCOMPARE(onDisk, after);
    QStringList shown;
    for (int row = 0; row < Rows(); ++row)
        shown << QFileInfo(Cell(row, 0)).fileName();
    QCOMPARE(shown, rows);
    if (scenario == "readonly") {
        QCOMPARE(Cell(0, 1).left(2), QStringLiteral("R "));
        ApplyAttributes(TextToPath(scratch.Path("x_0.txt")), 0);
    }
}

void MainWindowTest::enterKey_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("startEnabled");
    QTest::addColumn<QString>("outcome"); // "renamed", "nothing" or "cleared"
    QTest::newRow("Enter in the name field starts")
        << kNameField << int(Qt::Key_Return) << 0 << true << "renamed";
    QTest::newRow("keypad Enter starts")
        << kNameField << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << "renamed";
    QTest::newRow("Enter in the list starts")
        << kFileList << int(Qt::Key_Return) << 0 << true << "renamed";
    QTest::newRow("Enter on a check box starts")
        << kExpandName << int(Qt::Key_Return) << 0 << true << "renamed";
    QTest::newRow("shift+Enter does nothing")
        << kNameField << int(Qt::Key_Return) << int(Qt::ShiftModifier) << true << "nothing";
    QTest::newRow("Escape does nothing")
        << kNameField << int(Qt::Key_Escape) << 0 << true << "nothing";
    QTest::newRow("Start disabled: nothing")
        << kNameField << int(Qt::Key_Return) << 0 << false << "nothing";
    QTest::newRow("Enter on a focused button clicks that button")
        << kClear << int(Qt::Key_Return) << 0 << true << "cleared";
    for (const auto& [name, modifier] :
         {std::pair{"shift", Qt::ShiftModifier}, std::pair{"ctrl", Qt::ControlModifier},
          std::pair{"alt", Qt::AltModifier}})
        QTest::addRow("%s+Enter on a focused button does nothing", name)
            << kClear << int(Qt::Key_Return) << int(modifier) << true << "nothing";
}

void MainWindowTest::enterKey() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, startEnabled);
    QFETCH(QString, outcome);
    Scratch scratch;
    AddFiles({scratch.Make("a.txt")});
    TypeBaseName(QStringLiteral("x"));
    Control(kStart)->setEnabled(startEnabled);
    QWidget* focused = Control(qPrintable(focus));
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(form->isVisible());
    QVERIFY(focused->hasFocus());
    if (outcome == "renamed") {
        QVERIFY(scratch.Has("x_0.txt"));
        QCOMPARE(Rows(), 1);
    } else if (outcome == "cleared") {
        QVERIFY(scratch.Has("a.txt"));
        QCOMPARE(Rows(), 0);
    } else {
        QVERIFY(scratch.Has("a.txt"));
        QCOMPARE(Rows(), 1);
    }
}

void MainWindowTest::enterInSpinFieldStartsUnclamped() {
    Scratch scratch;
    AddFiles({scratch.Make("a.txt")});
    TypeBaseName(QStringLiteral("x"));
    QApplication::clipboard()->setText(QStringLiteral("-5"));
    QLineEdit* editor = SpinEditor();
    editor->setFocus();
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    // Started with Enter the field kept the focus, so the number went in unclamped.
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->text(), QStringLiteral("-5"));
    QVERIFY(scratch.Has("x_-5.txt"));
    // Clicking "Start" takes the focus first, which clamps the field.
    Start();
    QCOMPARE(editor->text(), QStringLiteral("0"));
    QVERIFY(scratch.Has("x_0.txt"));
}

void MainWindowTest::clearKeepsGaugeRange() {
    Scratch scratch;
    AddFiles({scratch.Make("a"), scratch.Make("b"), scratch.Make("c")});
    TypeBaseName(QStringLiteral("n"));
    Start();
    QCOMPARE(TheGauge()->PercentDone(), 100);
    Clear();
    QCOMPARE(Rows(), 0);
    QVERIFY(Listed().empty());
    QCOMPARE(TheGauge()->Progress(), 0);
    QCOMPARE(TheGauge()->MinValue(), 0);
    QCOMPARE(TheGauge()->MaxValue(), 2);
    // The renamed files are still there: "Clear" only empties the list.
    for (const char* name : {"n_0", "n_1", "n_2"})
        QVERIFY(scratch.Has(QLatin1String(name)));
}

void MainWindowTest::quitAndDesktopCloseEndTheProgram_data() {
    QTest::addColumn<bool>("byQuit");
    QTest::newRow("Quit") << true;
    QTest::newRow("closed from the desktop") << false;
}

void MainWindowTest::quitAndDesktopCloseEndTheProgram() {
    QFETCH(bool, byQuit);
    QTimer::singleShot(0, [this, byQuit] {
        if (byQuit)
            Quit();
        else
            form->close();
    });
    QCOMPARE(RunUntilTheProgramEnds(), 0);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
