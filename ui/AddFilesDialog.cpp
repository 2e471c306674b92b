#include "AddFilesDialog.h"

#include <QAbstractItemView>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <limits>

namespace tarvolin {

namespace {

// Captions as the user sees them; the first shows every file. Its pattern is "*" rather
// than "*.*", which would hide names without a dot.
const QStringList kFilters = {
    QStringLiteral("*.* (*)"),
    QStringLiteral("*.htm (*.htm)"),
    QStringLiteral("*.html (*.html)"),
    QStringLiteral("*.txt (*.txt)"),
};

// The full filter whose caption `filter` names; Qt reports a chosen filter by its caption
// alone while the patterns are hidden.
QString FullFilter(const QString& filter) {
    const QString caption = filter.section(u' ', 0, 0);
    for (const QString& candidate : kFilters) {
        if (candidate.section(u' ', 0, 0) == caption)
            return candidate;
    }
    return kFilters.front();
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

AddFilesDialog::AddFilesDialog(QWidget* parent) : QFileDialog(parent) {
    // Qt's own dialog on every platform, so that the rules below hold everywhere.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setWindowTitle(QStringLiteral("Add Files"));
    setAcceptMode(QFileDialog::AcceptOpen);
    // "Any file" is the mode that takes a typed name of a file that does not exist, in a
    // folder that need not exist either; the views are then opened up to several files,
    // which is what "existing files" mode would give but without its existence check.
    setFileMode(QFileDialog::AnyFile);
    for (auto* view : findChildren<QAbstractItemView*>(QStringLiteral("listView")))
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (auto* view : findChildren<QAbstractItemView*>(QStringLiteral("treeView")))
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A long selection is written into the name field as quoted names; the field's usual
    // 32767-character limit would cut it short and drop files.
    auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (nameField != nullptr) {
        nameField->setMaxLength(std::numeric_limits<int>::max());
        connect(nameField, &QLineEdit::textEdited, this, [this] { namesTyped_ = true; });
    }
    if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
        // A selection made in the list, not one the field makes while the user types.
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, nameField] {
                    if (nameField == nullptr || !nameField->hasFocus())
                        namesTyped_ = false;
                });
    }
    // No default suffix: a typed name is taken as typed.
    setDefaultSuffix(QString());
    setNameFilters(kFilters);
    confirmedFilter_ = kFilters.front();
    setSizeGripEnabled(true);
}

void AddFilesDialog::accept() {
    const QString folder = directory().absolutePath();
    QFileDialog::accept();
    // A typed folder name opens that folder and leaves its path in the name field, where
    // it would be taken for a file name.
    if (isVisible() && directory().absolutePath() != folder) {
        if (auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            nameField->clear();
        namesTyped_ = false;
    }
}

QStringList AddFilesDialog::Choose() {
    selectNameFilter(confirmedFilter_);
    // Each time the name field starts empty, as the platform's dialog does.
    auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (nameField != nullptr)
        nameField->clear();
    namesTyped_ = false;
    if (exec() != QDialog::Accepted)
        return {};
    confirmedFilter_ = FullFilter(selectedNameFilter());
    // Typed names are read from the field as typed, not through the list's selection: that
    // depends on how far the folder listing had got while the user typed, and it drops names
    // of files that do not exist and repeated names. Files picked in the list come from
    // the selection, which has no length limit.
    QStringList chosen;
    if (namesTyped_ && nameField != nullptr)
        chosen = TypedFileNames(nameField->text(), directory().absolutePath());
    if (chosen.isEmpty())
        chosen = selectedFiles();
    for (QString& path : chosen)
        path = QDir::toNativeSeparators(path);
    return chosen;
}

} // namespace tarvolin
