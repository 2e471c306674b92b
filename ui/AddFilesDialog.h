#pragma once

#include <QFileDialog>
#include <QStringList>

namespace tarvolin {

// The names typed in (or put there by a selection in) the dialog's name field, as full
// paths: each name between double quotes when there are quotes, else the whole text;
// a relative name is taken in `folder`. None for an empty field.
QStringList TypedFileNames(const QString& text, const QString& folder);

// The "Add Files" open dialog. Several files may be chosen, and a typed name is taken
// whether or not the file or its folder exists. It offers the filters "*.*", "*.htm",
// "*.html" and "*.txt" and preselects the one of the last confirmed choice.
class AddFilesDialog final : public QFileDialog {
    Q_OBJECT

public:
    explicit AddFilesDialog(QWidget* parent = nullptr);

    // Shows the dialog modally; the chosen full paths in the dialog's order, or none when
    // the user cancelled.
    QStringList Choose();

    void accept() override;

private:
    QString confirmedFilter_;
    // Whether the name field holds names the user typed, rather than the previous folder or
    // a selection made in the file list.
    bool namesTyped_ = false;
};

} // namespace tarvolin
