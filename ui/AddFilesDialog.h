#pragma once

#include "FileNames.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tarvolin {

// The names typed in (or put there by a selection in) the dialog's name field, as full
// paths: each name between double quotes when there are quotes, else the whole text;
// a relative name is taken in `folder`. None for an empty field.
QStringList TypedFileNames(const QString& text, const QString& folder);

// "Add Files": Qt's own open-file dialog, shown modally over `owner`. Several files may be
// chosen, and a typed name is taken whether or not the file or its folder exists. It offers
// the filters "*.*", "*.htm", "*.html" and "*.txt" and preselects the one of the last
// confirmed choice.
//
// The file dialog itself lives only while it is shown. Kept alive between uses it would go
// on watching its last folder with the old names still selected, and digest every rename a
// later "Start" makes there, one by one, with the window frozen.
class AddFilesDialog final {
public:
    explicit AddFilesDialog(QWidget* owner) : owner_(owner) {}

    // The chosen full paths in the dialog's order, or none when the user cancelled.
    FileNames Choose();

private:
    QWidget* owner_;
    QString confirmedFilter_;
};

} // namespace tarvolin
