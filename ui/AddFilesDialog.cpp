#include "AddFilesDialog.h"

#include "PickedFiles.h"
#include "RowTexts.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace tarvolin {

namespace {

// Captions as the user sees them; the first shows every file. Its pattern is "*" rather
// than "*.*", which would hide names without a dot (MainWindowTest::addFilesShowsNamesWithoutDot).
const QStringList kFilters = {
    QStringLiteral("*.* (*)"),
    QStringLiteral("*.htm (*.htm)"),
    QStringLiteral("*.html (*.html)"),
    QStringLiteral("*.txt (*.txt)"),
};

// The full filter whose caption `filter` names; Qt reports a chosen filter by its caption
// alone while the patterns are hidden (MainWindowTest::addFilesRemembersConfirmedFilter).
QString FullFilter(const QString& filter) {
    const QString caption = filter.section(u' ', 0, 0);
    for (const QString& candidate : kFilters) {
        if (candidate.section(u' ', 0, 0) == caption)
            return candidate;
    }
    return kFilters.front();
}

// Qt's dialog set up for "Add Files", for one use.
class OpenFileDialog final : public QFileDialog {
public:
    explicit OpenFileDialog(QWidget* parent);

    // Shows the dialog; the chosen full paths, or none when cancelled.
    FileNames Run();

    void accept() override;

private:
    void SelectTypedNamesOnlyWhileTyping();
    void CheckOpenButtonOnlyForTypedNames();
    QLineEdit* NameField() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // Whether the name field holds names the user typed, rather than the previous folder or
    // a selection made in the file list.
    bool namesTyped_ = false;
    // While Qt writes a selection made in the list into the name field.
    bool fieldFollowsSelection_ = false;
};

OpenFileDialog::OpenFileDialog(QWidget* parent) : QFileDialog(parent) {
    setObjectName(QStringLiteral("OpenDialog1"));
    // Qt's own dialog on every platform, so that the rules below hold everywhere; see
    // README ("The Add Files dialog") for why the desktop's dialog is not used.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setWindowTitle(QStringLiteral("Add Files"));
    setAcceptMode(QFileDialog::AcceptOpen);
    // "Any file" is the mode that takes a typed name of a file that does not exist, in a
    // folder that need not exist either; the views are then opened up to several files,
    // which is what "existing files" mode would give but without its existence check
    // (MainWindowTest::addFilesTypedNames).
    setFileMode(QFileDialog::AnyFile);
    for (auto* view : findChildren<QAbstractItemView*>(QStringLiteral("listView")))
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (auto* view : findChildren<QAbstractItemView*>(QStringLiteral("treeView")))
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QLineEdit* nameField = NameField();
    // A long selection is written into the name field as quoted names; the field's usual
    // 32767-character limit would cut it short and drop files
    // (MainWindowTest::addFilesTakesALongSelection).
    nameField->setMaxLength(std::numeric_limits<int>::max());
    connect(nameField, &QLineEdit::textEdited, this, [this] { namesTyped_ = true; });
    CheckOpenButtonOnlyForTypedNames();
    if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
        // A selection made in the list, not one the field makes while the user types.
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, nameField] {
                    if (!nameField->hasFocus())
                        namesTyped_ = false;
                });
    }
    SelectTypedNamesOnlyWhileTyping();
    // No default suffix: a typed name is taken as typed.
    setDefaultSuffix(QString());
    setNameFilters(kFilters);
    setSizeGripEnabled(true);
}

void OpenFileDialog::SelectTypedNamesOnlyWhileTyping() {
    // Qt selects in its list every name the field holds, looking each one up in the current
    // selection: quadratic in the number of names. It does so on every change of the field,
    // also when a selection in the list wrote it, where there is nothing to select: Ctrl+A
    // in a folder of 100 000 files then took 40 s (bench/dialog_bench.sh measures it). Only
    // what the user types needs it (MainWindowTest::addFilesPickedWithTheMouse and
    // addFilesTypedNames pin both ways in).
    QLineEdit* nameField = NameField();
    if (disconnect(nameField, SIGNAL(textChanged(QString)), this,
                   SLOT(_q_autoCompleteFileName(QString))))
        connect(nameField, SIGNAL(textEdited(QString)), this,
                SLOT(_q_autoCompleteFileName(QString)));
}

void OpenFileDialog::CheckOpenButtonOnlyForTypedNames() {
    // Qt checks the Open button against selectedFiles() on every change of the name field
    // (PickedFiles.h says what that costs), also when a selection in the list wrote it.
    // There the answer is known without it: Qt's check looks at the first picked entry, a
    // file or folder that is listed, and enables the button, whose caption stays "Open".
    // Typed text, and a selection that leaves the field alone, are still checked by Qt.
    auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
    QPushButton* open =
        findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open);
    QItemSelectionModel* selection = list != nullptr ? list->selectionModel() : nullptr;
    if (selection == nullptr || open == nullptr ||
        !disconnect(selection, SIGNAL(selectionChanged(QItemSelection, QItemSelection)), this,
                    SLOT(_q_selectionChanged())))
        return;
    connect(selection, &QItemSelectionModel::selectionChanged, this, [this] {
        fieldFollowsSelection_ = true;
        QMetaObject::invokeMethod(this, "_q_selectionChanged", Qt::DirectConnection);
        fieldFollowsSelection_ = false;
    });
    if (disconnect(NameField(), SIGNAL(textChanged(QString)), this, SLOT(_q_updateOkButton())))
        connect(NameField(), &QLineEdit::textChanged, this, [this, open] {
            if (fieldFollowsSelection_ && HasPickedRows(*this))
                open->setEnabled(true);
            else
                QMetaObject::invokeMethod(this, "_q_updateOkButton", Qt::DirectConnection);
        });
}

void OpenFileDialog::accept() {
    // With files picked in the list, Qt's accept() takes the first of them: a folder is
    // opened, a file ends the dialog. It finds that first one through selectedFiles(), as
    // costly as above; a file is told here, and the dialog ends as Qt's would.
    if (const std::optional<QString> first = FirstPickedPath(*this);
        first && !QFileInfo(*first).isDir()) {
        QDialog::accept();
        return;
    }
    const QString folder = directory().absolutePath();
    QFileDialog::accept();
    // A typed folder name opens that folder and leaves its path in the name field, where
    // it would be taken for a file name (MainWindowTest::addFilesShowsNamesWithoutDot).
    if (isVisible() && directory().absolutePath() != folder) {
        NameField()->clear();
        namesTyped_ = false;
    }
}

FileNames OpenFileDialog::Run() {
    if (exec() != QDialog::Accepted)
        return {};
    // Typed names are read from the field as typed, not through the list's selection: that
    // depends on how far the folder listing had got while the user typed, and it drops names
    // of files that do not exist and repeated names (MainWindowTest::addFilesTypedNames).
    FileNames chosen;
    if (namesTyped_) {
        for (const QString& path : TypedFileNames(NameField()->text(), directory().absolutePath()))
            chosen.push_back(TextToPath(QDir::toNativeSeparators(path)));
    }
    if (chosen.empty())
        chosen = PickedPaths(*this);
    if (chosen.empty()) {
        // Nothing picked: Qt's answer (the folder itself, or nothing).
        for (const QString& path : selectedFiles())
            chosen.push_back(TextToPath(QDir::toNativeSeparators(path)));
    }
    return chosen;
}

} // namespace

QStringList TypedFileNames(const QString& text, const QString& folder) {
    QStringList names;
    if (!text.contains(u'"')) {
        if (!text.isEmpty())
            names << text;
    } else {
        // "first" "second" ...: every odd piece between the quotes is a name.
        const QStringList pieces = text.split(u'"');
        for (qsizetype i = 1; i < pieces.size(); i += 2) {
            if (!pieces[i].isEmpty())
                names << pieces[i];
        }
    }
    const QDir base(folder);
    for (QString& name : names)
        name = base.absoluteFilePath(name);
    return names;
}

FileNames AddFilesDialog::Choose() {
    OpenFileDialog dialog(owner_);
    if (!confirmedFilter_.isEmpty())
        dialog.selectNameFilter(confirmedFilter_);
    FileNames chosen = dialog.Run();
    if (!chosen.empty())
        confirmedFilter_ = FullFilter(dialog.selectedNameFilter());
    return chosen;
}

} // namespace tarvolin
