#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace tarvolin {

// The error box of every failed step: modal, owned by `owner`, caption "Error",
// information icon, one OK button. `detail`, when given, stands below `text` in the box: which
// file, and the system's reason.
void ShowErrorBox(QWidget* owner, const QString& text, const QString& detail = {});

// Runs one event handler. A failure that nothing inside it caught ends that handler only:
// it is shown in a box with the application's name as caption, the error icon and the
// failure's text, and the program goes on.
void RunGuarded(QWidget* owner, const std::function<void()>& handler);

} // namespace tarvolin
