#pragma once

#include "AttributeSet.h"
#include "FileNames.h"
#include "FileOps.h"
#include "LoadedName.h"
#include "LocalDateTime.h"
#include "RenameOptions.h"

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QDateEdit;
class QKeyEvent;
class QKeySequence;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace tarvolin {

class AddFilesDialog;
class BevelPanel;
class FileListModel;
class FileListView;
class Gauge;
class PreviewWindow;
class SpinField;
class TForm2;
class WindowOutlets;

// The main window. It owns the controls and the list of paths; its handlers read the
// controls, hand the work to the renaming core and the file list, and show what comes back.
//
// Map, from "Start" to the disk and back:
//   BitBtn1 ("Start") -> BitBtn1Click: one RenameOptions snapshot of the controls
//   (TakeRenameOptions) -> RunJournaledRenameJob (core/RenameJob.h) over `fileNames`: the
//   whole plan into a run journal (core/RunJournal.h), then file by file, names freed first
//   (core/RenameOrder.h):
//   ComposeBatchName, then RenameOnDisk, ApplyAttributes, SetCreationTime, SetModifyTime
//   (fileops/FileOps.h, the only code that makes system calls) -> back through
//   WindowOutlets (RenameOutlets): SetGaugePosition moves Gauge1; RowChanged writes the
//   entry and has the row read again (FileListModel::SetPathAt; the core never writes the
//   list); ShowError shows the one error box
//   and the run ends. The list itself is painted once the run is over.
//   Into the list: "Add Files" (Button1Click), drops (fileListDragDrop) and the command line
//   all come through AppendFiles -> FileListModel::Append; "Remove from List" (Delete) and
//   "Clear" go through FileListModel::RemoveAt and Clear; the list's context menu and a row
//   dragged within the list put the rows in order through FileListModel's sorts and moves.
//   Besides these only a run and its undo change `fileNames`, entry by entry, each change
//   shown through FileListModel::SetPathAt.
//   Undo: Ctrl+Z or "Undo Last Run" (UndoLastRunClick) -> UndoLastRunInWindow (RunUndoing.h)
//   -> UndoLastRun (core/RunUndo.h) reads the newest journal and puts each file back.
//   Preview: Ctrl+P or "Preview New Names…" (PreviewNewNamesClick) -> PreviewWindow, which
//   follows the option controls and the rows' model, -> PreviewModel -> PreviewBatch
//   (core/BatchPreview.h), the disk read once per folder through ReadFolderFacts.
//   One file: a double-click (fileListDblClick) loads the selected file into the controls
//   and locks the other buttons; "Change" (Button3Click) runs ChangeSingleFile on the same
//   road; "Cancel" (Button4Click) resets the controls and unlocks.
//
// Controls, steps and handlers are private: a test finds a control by its object name, the
// name it has here, and uses it as a user would.
class TForm1 final : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The paths listed, in list order.
    const FileNames& ListedFiles() const { return fileNames; }
    // The file layer the window's runs and undos go through.
    FileLayer& Files() { return files_; }
    // The row selected in the file list, -1 when none.
    int SelectedPosition() const;
    // Appends `paths` to `fileNames` and reads every row again, as a confirmed "Add Files"
    // does: the files named on the command line and those dropped on the list come in this way.
    void AppendFiles(FileNames paths);
    // The About window that "About..." shows, made once at start-up and reused.
    void SetAboutWindow(TForm2* window);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The ordered paths the renames work on. Row k of `fileList` shows entry k: the list
    // changes only through the rows' model (`rows_`), which announces every change.
    FileNames fileNames;

    // The controls, in the order they are created; each carries its name as object name.
    BevelPanel* Panel1;     // the options' panel
    QLabel* Label3;         // "Start Number:", the caption of SpinEdit1
    QLabel* Label1;         // "File Name:", the caption of Edit1
    QCheckBox* CheckBox1;   // "Expand Name:": enables Edit2, a new extension replaces the old
    QLineEdit* Edit1;       // the base name of the new names
    QLineEdit* Edit2;       // the new extension, without its dot
    QCheckBox* aUpper;      // "All Uppercase": once ticked, Edit1 and Edit2 to upper case
    BevelPanel* Panel3;     // holds the four attribute boxes
    QCheckBox* chR;         // "ReadOnly" attribute
    QCheckBox* chH;         // "Hidden" attribute
    QCheckBox* chS;         // "SysFile": the system attribute
    QCheckBox* chA;         // "Archive" attribute
    QCheckBox* CheckBox3;   // "Property": enables chR, chH, chS, chA; the run sets them
    QCheckBox* aLower;      // "All Lowercase": once ticked, Edit1 and Edit2 to lower case
    QPushButton* Button3;   // "Change": applies the options to the selected file alone
    QPushButton* Button4;   // "Cancel": ends editing one file
    SpinField* SpinEdit1;   // the start number, 0..9999
    BevelPanel* Panel4;     // holds DP1 and DT1
    QDateEdit* DP1;         // the creation date to set
    QTimeEdit* DT1;         // the creation time of day to set
    QCheckBox* CheckBox2;   // "Create Time": enables DP1, DT1; the run sets the creation time
    QCheckBox* CheckBox4;   // "Modify Time": enables DP2, DT2; the run sets the modification time
    BevelPanel* Panel5;     // holds DP2 and DT2
    QDateEdit* DP2;         // the modification date to set
    QTimeEdit* DT2;         // the modification time of day to set
    BevelPanel* Panel2;     // the list's panel
    Gauge* Gauge1;          // the progress of a run, in percent
    FileListView* fileList; // the rows of `fileNames`: path, attribute letters, both times
    QPushButton* Button1;   // "Add Files": the dialog; appends the chosen files
    QPushButton* Button2;   // "Clear": empties the list, the files stay
    QPushButton* BitBtn1;   // "Start": renames every listed file; the default button
    QPushButton* BitBtn2;   // "Quit": ends the program
    QPushButton* BitBtn3;   // "About...": shows the About window
    // Made for each use of "Add Files"; what lives on is the filter of the last confirmed choice.
    std::unique_ptr<AddFilesDialog> OpenDialog1;

    void CreateControls();
    void ConnectHandlers();

    // Each attribute box with its bit, both ways between the boxes and an AttributeSet.
    struct AttributeBox {
        QCheckBox* TForm1::*box;
        AttributeSet bit;
    };
    static const AttributeBox kAttributeBoxes[4];

    // The option values as the controls hold them now, enabled or not.
    RenameOptions TakeRenameOptions() const;

    // Single-file editing: the steps its handlers are made of.
    void SetButtonsLocked(bool locked);
    void ResetOptions();
    // Both date pickers to today, both time pickers to the time of day now.
    void SetPickersToNow();
    void ShowAttributes(AttributeSet attributes);
    void ShowFileTimes(const std::optional<LocalDateTime>& creation,
                       const std::optional<LocalDateTime>& modification);

    // Event handlers.
    void FormCreate();
    void FormDestroy();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void fileListDblClick();
    void Button3Click();
    void Button4Click();
    void fileListDragDrop(const QList<QUrl>& urls);
    // The list's context menu. "Remove from List" (Delete) stays usable while one file is
    // being edited, as Delete always was; the orders and moves wait until the edit ends.
    void RemoveFromListClick();
    void SortByNameClick();
    void SortByModifyTimeClick();
    void MoveUpClick();
    void MoveDownClick();
    void fileListRowsDragged(int first, int count, int destination);
    // Adds an entry to the list's context menu, its shortcut shown there and working while
    // the list has the focus.
    QAction* AddListAction(const char* name, const QString& text, const QKeySequence& keys,
                           void (TForm1::*handler)());
    void AddListSeparator();
    // Shows the selected row where it went.
    void ShowSelectedRow();
    void SpinEdit1KeyPress(char16_t& key);
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void aUpperClick();
    void aLowerClick();
    // Ctrl+Z, and "Undo Last Run" in the list's context menu.
    void UndoLastRunClick();
    // Ctrl+P, and "Preview New Names…" in the list's context menu: the preview window, made
    // on first use and shown again after.
    void PreviewNewNamesClick();
    // Runs `run` with the folder for run journals, or with none when there is no such folder
    // and the user, asked, chose to run without undo; `run` gives its journal's path.
    void RunWithJournal(const std::function<std::string(const std::string*)>& run);

    FileListModel* rows_;
    // The window's file layer for its whole life: every run, undo and read of it goes
    // through this one, which keeps what it learns of the volumes.
    FileLayer files_;
    std::string lastRunJournal_;  // this window's last run, undone without a question
    bool runSinceTyping_ = false; // Ctrl+Z in a text field undoes that run
    // The loaded file's title and extension, kept as bytes for as long as Edit1 and Edit2
    // show them unchanged.
    LoadedName loadedTitle_;
    LoadedName loadedExtension_;
    QAction* undoLastRun_ = nullptr;
    // The context menu's orders and moves, disabled while one file is being edited.
    QList<QAction*> orderActions_;
    std::unique_ptr<WindowOutlets> outlets_;
    QPointer<TForm2> aboutWindow_;
    QPointer<PreviewWindow> previewWindow_;
};

} // namespace tarvolin
