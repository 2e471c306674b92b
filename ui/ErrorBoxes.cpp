#include "ErrorBoxes.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTextDocument>

namespace tarvolin {

namespace {

void ShowFailureBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

void ShowErrorBox(QWidget* owner, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Error"), text, QMessageBox::Ok,
                    owner);
    // Shown at once, not behind a button: the file and the reason are what the user acts on.
    // A path that looks like markup is shown as the characters it holds.
    box.setInformativeText(Qt::mightBeRichText(detail) ? Qt::convertFromPlainText(detail) : detail);
    box.exec();
}

void RunGuarded(QWidget* owner, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        ShowFailureBox(owner, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        ShowFailureBox(owner, QStringLiteral("Unknown failure."));
    }
}

} // namespace tarvolin
