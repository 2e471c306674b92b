#pragma once

// Drives the main window as a user does: files go in through the real "Add Files" dialog by
// typing their names, boxes and buttons are clicked with the mouse, and message boxes are
// read and closed with their OK button. Shared by the window's test suites.

#include "Gauge.h"
#include "SpinField.h"
#include "Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace tarvolin::uitest {

// What an error box showed before the test closed it with its OK button.
struct BoxSeen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
    QString detail; // the text below the box's own
};

// What `box` shows, read before it is answered.
inline BoxSeen ReadBox(const QMessageBox& box) {
    return {true,
            box.windowTitle(),
            box.text(),
            box.icon(),
            box.standardButtons(),
            box.parentWidget(),
            box.informativeText()};
}

// Arranges for the next message box to be read and closed.
inline void CloseNextBox(BoxSeen& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen = ReadBox(*box);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

// Runs the event loop until the program ends it, and gives the loop's exit code. Should the
// program not end, a watchdog ends the loop after five seconds with 3, a code tests reject.
inline int RunUntilTheProgramEnds() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    watchdog.start(5000);
    return QApplication::exec();
}

inline QLineEdit* NameField(QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Arranges for the next "Add Files" dialog to be handled by `user`.
inline void HandleNextDialog(const std::function<void(QFileDialog&)>& user) {
    QTimer::singleShot(0, [user] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        // The user's keys go to the dialog once it is the active window.
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the dialog did not become active");
        user(*dialog);
        // A dialog the user's keys did not close would hang the test: close it, and let
        // the test find the rows missing.
        if (dialog->isVisible()) {
            qWarning("the dialog stayed open with %s", qPrintable(NameField(*dialog)->text()));
            dialog->reject();
        }
    });
}

// Types `text` into the dialog's name field and presses Enter.
inline void TypeAndConfirm(QFileDialog& dialog, const QString& text) {
    QLineEdit* field = NameField(dialog);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier); // typing replaces what is there
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

inline QString Quoted(const QStringList& paths) {
    QStringList quoted;
    for (const QString& path : paths)
        quoted << u'"' + path + u'"';
    return quoted.join(u' ');
}

struct Scratch {
    QTemporaryDir dir;
    QString Make(const QString& name) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(name.toUtf8());
        return path;
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    bool Has(const QString& name) const { return QFile::exists(dir.filePath(name)); }
};

// The main window's controls by what they are to a user; each value is the object name the
// window gives the control.
inline constexpr char kNameField[] = "Edit1";       // "File Name:"
inline constexpr char kExtensionField[] = "Edit2";  // the new extension
inline constexpr char kStartNumber[] = "SpinEdit1"; // "Start Number:"
inline constexpr char kExpandName[] = "CheckBox1";  // enables the extension field
inline constexpr char kProperty[] = "CheckBox3";    // enables the four attribute boxes
inline constexpr char kCreateTime[] = "CheckBox2";  // enables the creation pickers
inline constexpr char kModifyTime[] = "CheckBox4";  // enables the modification pickers
inline constexpr char kAllUppercase[] = "aUpper";
inline constexpr char kAllLowercase[] = "aLower";
inline constexpr char kReadOnlyBox[] = "chR";
inline constexpr char kHiddenBox[] = "chH";
inline constexpr char kSysFileBox[] = "chS";
inline constexpr char kArchiveBox[] = "chA";
inline constexpr char kCreateDate[] = "DP1";
inline constexpr char kCreateTimeOfDay[] = "DT1";
inline constexpr char kModifyDate[] = "DP2";
inline constexpr char kModifyTimeOfDay[] = "DT2";
inline constexpr char kFileList[] = "fileList";
inline constexpr char kGauge[] = "Gauge1";
inline constexpr char kAddFiles[] = "Button1";
inline constexpr char kClear[] = "Button2";
inline constexpr char kChange[] = "Button3";
inline constexpr char kCancel[] = "Button4";
inline constexpr char kStart[] = "BitBtn1";
inline constexpr char kQuit[] = "BitBtn2";
inline constexpr char kAbout[] = "BitBtn3";

// The main window under test and the moves a user makes on it.
class WindowDriver {
protected:
    std::unique_ptr<TForm1> form;

    // A fresh window, shown and active, as the program starts.
    void OpenWindow() {
        QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::setActiveWindow(form.get());
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the main window did not become active");
    }

    template <typename T = QWidget>
    T* Control(const char* name) const {
        T* control = form->findChild<T*>(QLatin1String(name));
        if (control == nullptr)
            qFatal("no control %s", name);
        return control;
    }
    QTableView* List() const { return Control<QTableView>(kFileList); }
    const FileNames& Listed() const { return form->ListedFiles(); }
    int Rows() const { return List()->model()->rowCount(); }
    QString Cell(int row, int column) const {
        return List()->model()->index(row, column).data().toString();
    }
    Gauge* TheGauge() const { return Control<Gauge>(kGauge); }
    QLineEdit* SpinEditor() const { return Control<SpinField>(kStartNumber)->Editor(); }
    void Click(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    void Start() { Click(kStart); }
    void Quit() { Click(kQuit); }
    void About() { Click(kAbout); }
    void Clear() { Click(kClear); }
    void Change() { Click(kChange); }
    void Cancel() { Click(kCancel); }
    void Undo() { QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier); }
    // "Add Files", with the dialog left to what HandleNextDialog arranged.
    void PressAddFiles() { Click(kAddFiles); }
    // Clicks a check box on its square; Tick expects it unticked, Untick ticked.
    void Tick(const char* box) { ClickBox(box, false); }
    void Untick(const char* box) { ClickBox(box, true); }
    void AddFiles(const QStringList& paths) {
        HandleNextDialog([paths](QFileDialog& dialog) { TypeAndConfirm(dialog, Quoted(paths)); });
        PressAddFiles();
        Reactivate();
    }
    // Back to the main window once a dialog has closed, so that keys reach its controls.
    void Reactivate() {
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        QTRY_VERIFY(form->isActiveWindow() && QTest::qWaitForWindowActive(form.get()));
    }
    QPoint RowCentre(int row) const {
        return List()->visualRect(List()->model()->index(row, 0)).center();
    }
    void SelectRow(int row) {
        List()->setFocus();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowCentre(row));
    }
    // A double-click as the window system delivers it: press, release, then a second press
    // followed by the double-click itself, and the last release.
    void DoubleClickList(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* viewport = List()->viewport();
        List()->setFocus();
        QTest::mousePress(viewport, button, {}, at);
        QTest::mouseRelease(viewport, button, {}, at);
        QTest::mousePress(viewport, button, {}, at);
        QTest::mouseDClick(viewport, button, {}, at);
        QTest::mouseRelease(viewport, button, {}, at);
    }
    // Right-clicks the list and picks the entry captioned `text` in its context menu; false
    // when the menu held no such entry or it was disabled.
    bool ChooseFromListMenu(const QString& text) {
        QAction* chosen = nullptr;
        QTimer::singleShot(0, [text, &chosen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>())
                if (action->text() == text && action->isEnabled())
                    menu->setActiveAction(chosen = action);
            if (menu != nullptr)
                QTest::keyClick(menu, chosen != nullptr ? Qt::Key_Return : Qt::Key_Escape);
        });
        const QPoint at(1, 1);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, List()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(List()->viewport(), &click);
        return chosen != nullptr;
    }
    // Double-clicks the first column of `row`, as a user picks a file to edit.
    void DoubleClickRow(int row) { DoubleClickList(RowCentre(row)); }
    // An error box as the program shows one: titled "Error", with the information icon and
    // only OK, over the main window. The caller returns when QTest::currentTestFailed().
    void VerifyErrorBox(const BoxSeen& box, const QString& text) const {
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.text, text);
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, form.get());
    }
    void TypeBaseName(const QString& text) {
        Control<QLineEdit>(kNameField)->setFocus();
        QTest::keyClicks(Control(kNameField), text);
    }

private:
    void ClickBox(const char* name, bool ticked) {
        auto* box = Control<QCheckBox>(name);
        QVERIFY2(box->isChecked() == ticked, name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
};

} // namespace tarvolin::uitest
