#pragma once

#include "AttributeSet.h"
#include "FileNames.h"
#include "LocalDateTime.h"
#include "RenameOptions.h"

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <optional>

class QCheckBox;
class QDateEdit;
class QKeyEvent;
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
class SpinField;
class TForm2;
class WindowOutlets;

// The main window. It owns the controls and the list of paths; its handlers read the
// controls, hand the work to the renaming core and the file list, and show what comes back.
class TForm1 final : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The ordered paths the renames work on. Row k of `fileList` shows entry k: the list
    // changes only through the rows' model (`rows_`), which announces every change.
    FileNames fileNames;

    // The controls, in the order they are created; each carries its name as object name.
    BevelPanel* Panel1;
    QLabel* Label3;
    QLabel* Label1;
    QCheckBox* CheckBox1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QCheckBox* aUpper;
    BevelPanel* Panel3;
    QCheckBox* chR;
    QCheckBox* chH;
    QCheckBox* chS;
    QCheckBox* chA;
    QCheckBox* CheckBox3;
    QCheckBox* aLower;
    QPushButton* Button3;
    QPushButton* Button4;
    SpinField* SpinEdit1;
    BevelPanel* Panel4;
    QDateEdit* DP1;
    QTimeEdit* DT1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox4;
    BevelPanel* Panel5;
    QDateEdit* DP2;
    QTimeEdit* DT2;
    BevelPanel* Panel2;
    Gauge* Gauge1;
    FileListView* fileList;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    // Made for each use of "Add Files"; what lives on is the filter of the last confirmed choice.
    std::unique_ptr<AddFilesDialog> OpenDialog1;

    // The paths listed, in list order.
    const FileNames& ListedFiles() const { return fileNames; }
    // The row selected in the file list, -1 when none.
    int SelectedPosition() const;
    // The option values as the controls hold them now, enabled or not.
    RenameOptions TakeRenameOptions() const;
    // Appends `paths` to `fileNames` and reads every row again, as a confirmed "Add Files" does:
    // the files named on the command line and those dropped on the list come in this way.
    void AppendFiles(const FileNames& paths);
    // The About window that "About..." shows, made once at start-up and reused.
    void SetAboutWindow(TForm2* window);

    // Single-file editing: the steps its handlers are made of.
    void SetButtonsLocked(bool locked);
    void ResetOptions();
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
    void fileListKeyDown(const QKeyEvent& key);
    void fileListDragDrop(const QList<QUrl>& urls);
    void SpinEdit1KeyPress(char16_t& key);
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void aUpperClick();
    void aLowerClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectHandlers();

    FileListModel* rows_;
    std::unique_ptr<WindowOutlets> outlets_;
    QPointer<TForm2> aboutWindow_;
};

} // namespace tarvolin
