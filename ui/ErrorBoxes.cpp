#include "ErrorBoxes.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace tarvolin {

namespace {

void ShowFailureBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

void ShowErrorBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Error"), text, QMessageBox::Ok,
                    owner);
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
