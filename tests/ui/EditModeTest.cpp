// Editing one file at a time: a double-click loads a row's file into the option controls,
// "Change" applies them to the selected file only and "Cancel" leaves. Files are real, and
// what happened is read back from the disk, the rows and the error boxes.

#include "FileOps.h"
#include "RowTexts.h"
#include "WindowDriver.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeEdit>
#include <fstream>
#include <optional>

using namespace tarvolin;
using namespace tarvolin::uitest;

namespace {

// Records, in order, what a handler does to the window while it is installed on the
// application: buttons and the start number enabled or disabled, buttons shown, boxes
// ticked (+) or unticked (-), and the name fields' new texts.
class StepRecorder : public QObject {
public:
    QStringList steps;

    void Watch(TForm1& form) {
        for (QCheckBox* box : form.findChildren<QCheckBox*>())
            connect(box, &QCheckBox::toggled, this, [this, box](bool ticked) {
                steps << box->objectName() + (ticked ? u'+' : u'-');
            });
        for (const char* name : {kNameField, kExtensionField}) {
            auto* edit = form.findChild<QLineEdit*>(QLatin1String(name));
            connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
                steps << edit->objectName() + u'=' + text;
            });
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QString name = watched->objectName();
        if (event->type() == QEvent::EnabledChange && kSwitched.contains(name))
            steps << name + (static_cast<QWidget*>(watched)->isEnabled() ? u'+' : u'-');
        if (event->type() == QEvent::Show && kShown.contains(name))
            steps << QStringLiteral("shown ") + name;
        return false;
    }

private:
    const QStringList kSwitched = {kAddFiles, kClear, kStart, kQuit, kAbout, kStartNumber};
    const QStringList kShown = {kChange, kCancel};
};

const char* const kLockedButtons[] = {kAddFiles, kClear, kStart, kQuit, kAbout};

// A box that was arranged for but did not come would otherwise be looked for later, by a
// timer that outlives the test.
void SettleBoxTimer() {
    QCoreApplication::processEvents();
}

LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
    return {year, month, day, hour, minute, second, 0};
}

QDateTime ToQDateTime(const LocalDateTime& value) {
    return QDateTime(ToQDate(value), ToQTime(value));
}

} // namespace

class EditModeTest : public QObject, public WindowDriver {
    Q_OBJECT

private:
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(name); }
    QCheckBox* Box(const char* name) const { return Control<QCheckBox>(name); }
    std::string PathOf(const QString& path) const { return TextToPath(path); }
    bool Editing() const { return Control(kChange)->isVisible() && Control(kCancel)->isVisible(); }
    // Adds `names`, made fresh in `scratch`, and double-clicks the row of the first.
    void EnterOn(Scratch& scratch, const QStringList& names, int row = 0) {
        QStringList paths;
        for (const QString& name : names)
            paths << scratch.Make(name);
        AddFiles(paths);
        DoubleClickRow(row);
    }
    void ReplaceText(const char* name, const QString& text) {
        QLineEdit* edit = Edit(name);
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }
    QStringList FilesIn(const Scratch& scratch) const {
        return QDir(scratch.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void SetPickers(const char* date, const char* time, const LocalDateTime& value) {
        Control<QDateEdit>(date)->setDate(ToQDate(value));
        Control<QTimeEdit>(time)->setTime(ToQTime(value));
    }

private slots:
    void init();
    void cleanup();

    void entersWithNameAndExtension_data();
    void entersWithNameAndExtension();
    void entersWithAttributes_data();
    void entersWithAttributes();
    void entersWithTimes();
    void entersStepByStep();
    void vanishedFileTicksEveryAttribute();
    void doubleClickWithoutRowDoesNothing();
    void doubleClickWhileEditingReloads();
    void lockedWhileEditing();
    void listStaysUsableWhileEditing();
    void enterKeyWhileEditing_data();
    void enterKeyWhileEditing();
    void changeRenames_data();
    void changeRenames();
    void changeOntoItselfRewritesRow();
    void changeMakesReadOnly();
    void untouchedNameKeepsItsBytes();
    void changeCaseOnly();
    void changeWritesTimes();
    void changeTakesRowSelectedNow();
    void changeWithoutSelectionDoesNothing();
    void changeFailures_data();
    void changeFailures();
    void cancelResetsAndUnlocks();
    void desktopCloseWhileEditing();
};

void EditModeTest::init() {
    OpenWindow();
    QVERIFY(form->isActiveWindow());
}

void EditModeTest::cleanup() {
    // Files a test left read-only would stop its scratch folder from going.
    if (form != nullptr) {
        for (const std::string& path : Listed())
            ApplyAttributes(path, 0);
    }
    form.reset();
}

void EditModeTest::entersWithNameAndExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("extension");
    QTest::newRow("two dots") << "report.final.txt"
                              << "report.final"
                              << "txt";
    QTest::newRow("no extension") << "README"
                                  << "README"
                                  << "";
    QTest::newRow("only an extension") << ".profile"
                                       << ""
                                       << "profile";
    QTest::newRow("last dot counts") << "archive.tar.gz"
                                     << "archive.tar"
                                     << "gz";
    QTest::newRow("trailing dot") << "notes."
                                  << "notes"
                                  << "";
}

void EditModeTest::entersWithNameAndExtension() {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, extension);
    Scratch scratch;
    // Values left in the controls beforehand are replaced, not merged.
    TypeBaseName(QStringLiteral("leftover"));
    Tick(kExpandName);
    EnterOn(scratch, {name});
    QVERIFY(Editing());
    QCOMPARE(Edit(kNameField)->text(), title);
    QCOMPARE(Edit(kExtensionField)->text(), extension);
    QVERIFY(!Box(kExpandName)->isChecked());
    QVERIFY(!Edit(kExtensionField)->isEnabled());
    for (const char* box :
         {kExpandName, kCreateTime, kProperty, kModifyTime, kAllUppercase, kAllLowercase})
        QVERIFY2(!Box(box)->isChecked(), box);
    // Loading changed nothing on the disk.
    QCOMPARE(FilesIn(scratch), QStringList{name});
}

void EditModeTest::entersWithAttributes_data() {
    QTest::addColumn<int>("attributes");
    QTest::newRow("none") << 0;
    QTest::newRow("read-only") << int(kReadOnly);
    QTest::newRow("hidden") << int(kHidden);
    QTest::newRow("system") << int(kSystem);
    QTest::newRow("archive") << int(kArchive);
    QTest::newRow("hidden and archive") << int(kHidden | kArchive);
    QTest::newRow("all four") << int(kReadOnly | kHidden | kSystem | kArchive);
}

void EditModeTest::entersWithAttributes() {
    QFETCH(int, attributes);
    Scratch scratch;
    const QString path = scratch.Make(QStringLiteral("a.txt"));
    const std::string bytes = PathOf(path);
    QVERIFY(ApplyAttributes(bytes, attributes));
    if (ReadAttributes(bytes) != attributes)
        QSKIP("this file system does not keep the DOS attributes");
    AddFiles({path});
    DoubleClickRow(0);
    QVERIFY(Editing());
    QCOMPARE(Box(kReadOnlyBox)->isChecked(), bool(attributes & kReadOnly));
    QCOMPARE(Box(kHiddenBox)->isChecked(), bool(attributes & kHidden));
    QCOMPARE(Box(kSysFileBox)->isChecked(), bool(attributes & kSystem));
    QCOMPARE(Box(kArchiveBox)->isChecked(), bool(attributes & kArchive));
    // Loaded, but not in force: "Property" stays unticked and the boxes disabled.
    QVERIFY(!Box(kProperty)->isChecked());
    for (const char* box : {kReadOnlyBox, kHiddenBox, kSysFileBox, kArchiveBox})
        QVERIFY2(!Box(box)->isEnabled(), box);
}

void EditModeTest::entersWithTimes() {
    Scratch scratch;
    const QString path = scratch.Make(QStringLiteral("a.txt"));
    const LocalDateTime created = At(2003, 4, 5, 6, 7, 8);
    const LocalDateTime modified = At(2011, 12, 13, 14, 15, 16);
    QVERIFY(SetCreationTime(PathOf(path), created, created));
    QVERIFY(SetModifyTime(PathOf(path), modified, modified));
    QCOMPARE(GetCreationTime(PathOf(path)), std::optional(created));
    QCOMPARE(GetModifyTime(PathOf(path)), std::optional(modified));
    AddFiles({path});
    DoubleClickRow(0);
    QVERIFY(Editing());
    QCOMPARE(Control<QDateEdit>(kCreateDate)->date(), QDate(2003, 4, 5));
    QCOMPARE(Control<QTimeEdit>(kCreateTimeOfDay)->time(), QTime(6, 7, 8));
    QCOMPARE(Control<QDateEdit>(kModifyDate)->date(), QDate(2011, 12, 13));
    QCOMPARE(Control<QTimeEdit>(kModifyTimeOfDay)->time(), QTime(14, 15, 16));
    QVERIFY(!Box(kCreateTime)->isChecked());
    QVERIFY(!Box(kModifyTime)->isChecked());
    for (const char* picker : {kCreateDate, kCreateTimeOfDay, kModifyDate, kModifyTimeOfDay})
        QVERIFY2(!Control(picker)->isEnabled(), picker);
}

void EditModeTest::entersStepByStep() {
    Scratch scratch;
    const QString path = scratch.Make(QStringLiteral("a.txt"));
    QVERIFY(ApplyAttributes(PathOf(path), kArchive));
    if (ReadAttributes(PathOf(path)) != kArchive)
        QSKIP("this file system does not keep the DOS attributes");
    AddFiles({path});
    TypeBaseName(QStringLiteral("x"));
    // Every box ticked, so that the reset unticks each of them; both case boxes at once can
    // only be had behind the handlers' back.
    for (const char* box : {kExpandName, kProperty, kCreateTime, kModifyTime, kAllLowercase,
                            kReadOnlyBox, kHiddenBox, kSysFileBox, kArchiveBox})
        Box(box)->setChecked(true);
    Edit(kExtensionField)->setText(QStringLiteral("y"));
    Box(kAllUppercase)->blockSignals(true);
    Box(kAllUppercase)->setChecked(true);
    Box(kAllUppercase)->blockSignals(false);
    StepRecorder recorder;
    recorder.Watch(*form);
    qApp->installEventFilter(&recorder);
    DoubleClickRow(0);
    qApp->removeEventFilter(&recorder);
    const QStringList expected = {// SetButtonsLocked(true)
                                  "Button1-", "Button2-", "BitBtn1-", "BitBtn3-", "BitBtn2-",
                                  // "Change" and "Cancel" appear, the start number goes
                                  "shown Button3", "shown Button4", "SpinEdit1-",
                                  // ResetOptions()
                                  "Edit1=", "Edit2=", "CheckBox1-", "CheckBox3-", "CheckBox2-",
                                  "CheckBox4-", "aUpper-", "aLower-", "chR-", "chH-", "chA-",
                                  "chS-",
                                  // the file's name, extension and attributes
                                  "Edit1=a", "Edit2=txt", "chA+"};
    QCOMPARE(recorder.steps, expected);
}

void EditModeTest::vanishedFileTicksEveryAttribute() {
    Scratch scratch;
    const QString path = scratch.Make(QStringLiteral("gone.txt"));
    AddFiles({path});
    QVERIFY(QFile::remove(path));
    // Pickers set to other values beforehand show that the reset's today and now stay.
    for (const char* date : {kCreateDate, kModifyDate})
        Control<QDateEdit>(date)->setDate(QDate(2001, 1, 1));
    const QDate today = QDate::currentDate();
    const QTime before = QTime::currentTime();
    DoubleClickRow(0);
    const QTime after = QTime::currentTime();
    QVERIFY(Editing());
    QCOMPARE(Edit(kNameField)->text(), QStringLiteral("gone"));
    QCOMPARE(Edit(kExtensionField)->text(), QStringLiteral("txt"));
    for (const char* box : {kReadOnlyBox, kHiddenBox, kSysFileBox, kArchiveBox})
        QVERIFY2(Box(box)->isChecked(), box);
    if (QDate::currentDate() == today && after >= before) { // not across midnight
        for (const char* date : {kCreateDate, kModifyDate})
            QCOMPARE(Control<QDateEdit>(date)->date(), today);
        for (const char* time : {kCreateTimeOfDay, kModifyTimeOfDay}) {
            const QTime shown = Control<QTimeEdit>(time)->time();
            QVERIFY2(shown >= before.addMSecs(-before.msec()) && shown <= after, time);
        }
    }
}

void EditModeTest::doubleClickWithoutRowDoesNothing() {
    Scratch scratch;
    AddFiles({scratch.Make(QStringLiteral("a.txt")), scratch.Make(QStringLiteral("b.txt"))});
    TypeBaseName(QStringLiteral("keep"));
    // First with nothing selected, then after a row was selected: the first click below the
    // rows takes the selection away, so neither double-click finds a file.
    for (const bool rowSelectedBefore : {false, true}) {
        if (rowSelectedBefore) {
            SelectRow(1);
            QCOMPARE(form->SelectedPosition(), 1);
        }
        const QPoint belowRows(40, List()->viewport()->height() - 5);
        QVERIFY(!List()->indexAt(belowRows).isValid());
        DoubleClickList(belowRows);
        QCOMPARE(form->SelectedPosition(), -1);
        QVERIFY(!Editing());
        QCOMPARE(Edit(kNameField)->text(), QStringLiteral("keep"));
        for (const char* name : kLockedButtons)
            QVERIFY2(Control(name)->isEnabled(), name);
        QVERIFY(SpinEditor()->isEnabled());
    }
}

void EditModeTest::doubleClickWhileEditingReloads() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("first.txt"), QStringLiteral("second.doc")});
    QCOMPARE(Edit(kNameField)->text(), QStringLiteral("first"));
    Tick(kProperty);
    DoubleClickRow(1);
    QVERIFY(Editing());
    QCOMPARE(Edit(kNameField)->text(), QStringLiteral("second"));
    QCOMPARE(Edit(kExtensionField)->text(), QStringLiteral("doc"));
    QVERIFY(!Box(kProperty)->isChecked());
}

void EditModeTest::lockedWhileEditing() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    QVERIFY(Editing());
    for (const char* name : kLockedButtons)
        QVERIFY2(!Control(name)->isEnabled(), name);
    QVERIFY(!Control(kStartNumber)->isEnabled());
    for (const char* name : {kChange, kCancel, kFileList, kNameField, kExpandName, kCreateTime,
                             kProperty, kModifyTime, kAllUppercase, kAllLowercase})
        QVERIFY2(Control(name)->isEnabled(), name);
    // Clicking the locked buttons does nothing: no dialog, no rename, no About window.
    for (const char* name : kLockedButtons)
        Click(name);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(form->isVisible());
    QCOMPARE(Rows(), 1);
    QCOMPARE(FilesIn(scratch), QStringList{"a.txt"});
    // "Change" keeps the mode.
    Change();
    QVERIFY(Editing());
    for (const char* name : kLockedButtons)
        QVERIFY2(!Control(name)->isEnabled(), name);
    QVERIFY(!Control(kStartNumber)->isEnabled());
}

void EditModeTest::listStaysUsableWhileEditing() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    SelectRow(2);
    QCOMPARE(form->SelectedPosition(), 2);
    QTest::keyClick(List(), Qt::Key_Delete);
    QCOMPARE(Rows(), 2);
    QCOMPARE(Listed().size(), std::size_t{2});
    QCOMPARE(QFileInfo(Cell(1, 0)).fileName(), QStringLiteral("b.txt"));
    QVERIFY(Editing());
    QCOMPARE(FilesIn(scratch), (QStringList{"a.txt", "b.txt", "c.txt"}));
}

void EditModeTest::enterKeyWhileEditing_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("after");
    const QStringList untouched = {"a.txt"};
    QTest::newRow("in the name field") << kNameField << untouched;
    QTest::newRow("in the extension field") << kExtensionField << untouched;
    QTest::newRow("in the list") << kFileList << untouched;
    QTest::newRow("on a check box") << kProperty << untouched;
    QTest::newRow("on Change, which it clicks") << kChange << QStringList{"b.txt"};
    QTest::newRow("on Cancel, which it clicks") << kCancel << untouched;
}

void EditModeTest::enterKeyWhileEditing() {
    QFETCH(QString, focus);
    QFETCH(QStringList, after);
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    Tick(kExpandName); // so that the extension field can take the focus
    ReplaceText(kNameField, QStringLiteral("b"));
    QWidget* focused = Control(qPrintable(focus));
    focused->setFocus();
    QVERIFY(focused->hasFocus());
    BoxSeen box;
    CloseNextBox(box);
    QTest::keyClick(focused, Qt::Key_Return);
    SettleBoxTimer();
    QVERIFY(!box.shown);
    QCOMPARE(FilesIn(scratch), after);
    QCOMPARE(Editing(), focus != kCancel);
}

void EditModeTest::changeRenames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<bool>("expand");
    QTest::addColumn<QString>("typedExtension");
    QTest::addColumn<QString>("after");
    QTest::newRow("new name, old extension") << "report.final.txt"
                                             << "summary" << false << ""
                                             << "summary.txt";
    QTest::newRow("extension typed while unticked is not used") << "report.txt"
                                                                << "summary" << false << "doc"
                                                                << "summary.txt";
    QTest::newRow("expand with an empty extension drops it") << "report.final.txt"
                                                             << "summary" << true << ""
                                                             << "summary";
    QTest::newRow("expand with a new extension") << "report.txt"
                                                 << "summary" << true << "md"
                                                 << "summary.md";
    QTest::newRow("new extension, name kept") << "report.txt"
                                              << "report" << true << "htm"
                                              << "report.htm";
    QTest::newRow("no number is added") << "a.txt"
                                        << "photo" << false << ""
                                        << "photo.txt";
}

void EditModeTest::changeRenames() {
    QFETCH(QString, name);
    QFETCH(QString, typedName);
    QFETCH(bool, expand);
    QFETCH(QString, typedExtension);
    QFETCH(QString, after);
    Scratch scratch;
    EnterOn(scratch, {name, QStringLiteral("other.txt")});
    // The start number is not read even when it holds a value.
    SpinEditor()->setText(QStringLiteral("7"));
    ReplaceText(kNameField, typedName);
    Tick(kExpandName);
    ReplaceText(kExtensionField, typedExtension);
    if (!expand)
        Untick(kExpandName); // what the field holds then stays out of the name
    QCOMPARE(Box(kExpandName)->isChecked(), expand);
    SelectRow(0);
    Change();
    QStringList expected = {after, "other.txt"};
    expected.sort();
    QCOMPARE(FilesIn(scratch), expected);
    QCOMPARE(Cell(0, 0), scratch.Path(after));
    QCOMPARE(Listed()[0], PathOf(scratch.Path(after)));
    QCOMPARE(Cell(1, 0), scratch.Path(QStringLiteral("other.txt")));
    QCOMPARE(TheGauge()->Progress(), 0);
    QVERIFY(Editing());
}

void EditModeTest::changeOntoItselfRewritesRow() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("report.txt")});
    ReplaceText(kNameField, QString());
    QCOMPARE(Edit(kNameField)->text(), QString());
    // Changed behind the program's back: the rewritten row shows it.
    const std::string path = Listed()[0];
    QVERIFY(ApplyAttributes(path, kHidden));
    QCOMPARE(Cell(0, 1), QString());
    SelectRow(0);
    Change();
    QCOMPARE(FilesIn(scratch), QStringList{"report.txt"});
    QCOMPARE(Cell(0, 0), scratch.Path(QStringLiteral("report.txt")));
    QCOMPARE(Cell(0, 1), QStringLiteral("H "));
    QVERIFY(Editing());
}

void EditModeTest::changeMakesReadOnly() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("report.txt")});
    Tick(kProperty);
    Tick(kReadOnlyBox);
    SelectRow(0);
    Change();
    QCOMPARE(FilesIn(scratch), QStringList{"report.txt"});
    QVERIFY(ReadAttributes(Listed()[0]) & kReadOnly);
    QCOMPARE(Cell(0, 1), QStringLiteral("R "));
    QVERIFY(Editing());
}

// A Latin-1 name shows with a replacement character; left untouched it must stay the same
// bytes, while typed text is UTF-8.
void EditModeTest::untouchedNameKeepsItsBytes() {
    Scratch scratch;
    const std::string folder = PathOf(scratch.dir.path()) + '/';
    const std::string latin1 = folder + "caf\xe9.t\xe9";
    std::ofstream(latin1) << "x";
    form->AppendFiles({latin1});
    DoubleClickRow(0);
    Tick(kExpandName);
    Tick(kProperty);
    Tick(kReadOnlyBox);
    Change();
    QCOMPARE(Listed()[0], latin1);
    QCOMPARE(ReadAttributes(latin1), kReadOnly);

    Edit(kNameField)->setText(QStringLiteral("\u00e9"));
    Change();
    QCOMPARE(Listed()[0], folder + "\xc3\xa9.t\xe9");
    QCOMPARE(ReadAttributes(Listed()[0]), kReadOnly);
}

void EditModeTest::changeCaseOnly() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("report.txt")});
    Tick(kAllUppercase);
    QCOMPARE(Edit(kNameField)->text(), QStringLiteral("REPORT"));
    QCOMPARE(Edit(kExtensionField)->text(), QStringLiteral("TXT"));
    SelectRow(0);
    Change();
    // The extension box is unticked, so the old extension stays as it was.
    QCOMPARE(FilesIn(scratch), QStringList{"REPORT.txt"});
    QCOMPARE(Cell(0, 0), scratch.Path(QStringLiteral("REPORT.txt")));
    QCOMPARE(Cell(0, 1), QString());
}

void EditModeTest::changeWritesTimes() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    const LocalDateTime created = At(2004, 2, 29, 23, 58, 58);
    const LocalDateTime modified = At(1999, 7, 1, 0, 0, 2);
    Tick(kCreateTime);
    SetPickers(kCreateDate, kCreateTimeOfDay, created);
    Tick(kModifyTime);
    SetPickers(kModifyDate, kModifyTimeOfDay, modified);
    SelectRow(0);
    Change();
    const std::string path = Listed()[0];
    QCOMPARE(GetCreationTime(path), std::optional(created));
    QCOMPARE(GetModifyTime(path), std::optional(modified));
    const TimeTextFormat format = TimeTextFormatOf(QLocale());
    QCOMPARE(Cell(0, 2), FormatTimeText(created, format));
    QCOMPARE(Cell(0, 3), FormatTimeText(modified, format));
    QCOMPARE(QFileInfo(PathToText(path)).lastModified(), ToQDateTime(modified));
}

void EditModeTest::changeTakesRowSelectedNow() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QCOMPARE(Edit(kNameField)->text(), QStringLiteral("a"));
    ReplaceText(kNameField, QStringLiteral("c"));
    SelectRow(1);
    Change();
    QCOMPARE(FilesIn(scratch), (QStringList{"a.txt", "c.txt"}));
    QCOMPARE(Cell(0, 0), scratch.Path(QStringLiteral("a.txt")));
    QCOMPARE(Cell(1, 0), scratch.Path(QStringLiteral("c.txt")));
}

void EditModeTest::changeWithoutSelectionDoesNothing() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    ReplaceText(kNameField, QStringLiteral("c"));
    // Deleting a row leaves no row selected.
    SelectRow(1);
    QTest::keyClick(List(), Qt::Key_Delete);
    QCOMPARE(form->SelectedPosition(), -1);
    BoxSeen box;
    CloseNextBox(box);
    Change();
    SettleBoxTimer();
    QVERIFY(!box.shown);
    QCOMPARE(FilesIn(scratch), (QStringList{"a.txt", "b.txt"}));
    QVERIFY(Editing());
}

void EditModeTest::changeFailures_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("letters");
    QTest::newRow("target exists") << "taken"
                                   << "Rename Error!" << QStringList{"a.txt", "b.txt"} << "a.txt"
                                   << "";
    QTest::newRow("file gone") << "gone"
                               << "Rename Error!" << QStringList{} << "a.txt"
                               << "R H A S ";
    QTest::newRow("read-only, then a creation time before 1980")
        << "readonly"
        << "Set file Create Time Error!" << QStringList{"b.txt"} << "b.txt"
        << "R ";
    QTest::newRow("read-only, then a modification time before 1980")
        << "readonly-modify"
        << "Set file Modify Time Error!" << QStringList{"b.txt"} << "b.txt"
        << "R ";
    QTest::newRow("list emptied while editing")
        << "empty"
        << "Did not specify the modification's document!" << QStringList{"a.txt"} << ""
        << "";
}

void EditModeTest::changeFailures() {
    QFETCH(QString, scenario);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QFETCH(QString, row);
    QFETCH(QString, letters);
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    ReplaceText(kNameField, QStringLiteral("b"));
    if (scenario == "taken")
        scratch.Make(QStringLiteral("b.txt"));
    if (scenario == "gone")
        QVERIFY(QFile::remove(scratch.Path(QStringLiteral("a.txt"))));
    if (scenario.startsWith(QStringLiteral("readonly"))) {
        Tick(kProperty);
        Tick(kReadOnlyBox);
        Tick(scenario == "readonly" ? kCreateTime : kModifyTime);
        // Read-only does not refuse a time; a date the DOS range cannot hold does.
        Control<QDateEdit>(scenario == "readonly" ? kCreateDate : kModifyDate)
            ->setDate(QDate(1975, 1, 1));
    }
    if (scenario == "empty") {
        SelectRow(0);
        QTest::keyClick(List(), Qt::Key_Delete);
    } else {
        SelectRow(0);
    }
    BoxSeen box;
    CloseNextBox(box);
    Change();
    VerifyErrorBox(box, text);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(FilesIn(scratch), after);
    if (!row.isEmpty()) {
        QCOMPARE(Cell(0, 0), scratch.Path(row));
        QCOMPARE(Cell(0, 1), letters);
    }
    // The mode survives the failure, and the next "Change" works.
    QVERIFY(Editing());
    for (const char* name : kLockedButtons)
        QVERIFY2(!Control(name)->isEnabled(), name);
    if (scenario == "taken") {
        ReplaceText(kNameField, QStringLiteral("c"));
        Change();
        QCOMPARE(FilesIn(scratch), (QStringList{"b.txt", "c.txt"}));
    }
    if (scenario.startsWith(QStringLiteral("readonly"))) {
        Untick(scenario == "readonly" ? kCreateTime : kModifyTime);
        Untick(kReadOnlyBox);
        Change();
        QCOMPARE(ReadAttributes(Listed()[0]) & kReadOnly, 0);
        QCOMPARE(Cell(0, 1), QString());
    }
}

void EditModeTest::cancelResetsAndUnlocks() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    for (const char* date : {kCreateDate, kModifyDate})
        Control<QDateEdit>(date)->setDate(QDate(2001, 1, 1));
    for (const char* box :
         {kExpandName, kProperty, kCreateTime, kModifyTime, kReadOnlyBox, kAllLowercase})
        Tick(box);
    const QDate today = QDate::currentDate();
    Cancel();
    QVERIFY(!Control(kChange)->isVisible());
    QVERIFY(!Control(kCancel)->isVisible());
    for (const char* name : kLockedButtons)
        QVERIFY2(Control(name)->isEnabled(), name);
    QVERIFY(Control(kStartNumber)->isEnabled());
    QCOMPARE(Edit(kNameField)->text(), QString());
    QCOMPARE(Edit(kExtensionField)->text(), QString());
    for (QCheckBox* box : form->findChildren<QCheckBox*>())
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    for (const char* name : {kExtensionField, kReadOnlyBox, kHiddenBox, kSysFileBox, kArchiveBox,
                             kCreateDate, kCreateTimeOfDay, kModifyDate, kModifyTimeOfDay})
        QVERIFY2(!Control(name)->isEnabled(), name);
    if (QDate::currentDate() == today) {
        for (const char* date : {kCreateDate, kModifyDate})
            QCOMPARE(Control<QDateEdit>(date)->date(), today);
    }
    QCOMPARE(FilesIn(scratch), QStringList{"a.txt"});
    // Normal again: "Start" renames the whole list.
    TypeBaseName(QStringLiteral("x"));
    Start();
    QCOMPARE(FilesIn(scratch), QStringList{"x_0.txt"});
}

void EditModeTest::desktopCloseWhileEditing() {
    Scratch scratch;
    EnterOn(scratch, {QStringLiteral("a.txt")});
    QVERIFY(Editing());
    QTimer::singleShot(0, [this] { form->close(); });
    QCOMPARE(RunUntilTheProgramEnds(), 0);
}

QTEST_MAIN(EditModeTest)
#include "EditModeTest.moc"
