#pragma once

#include <QDialog>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace tarvolin {

class BevelPanel;

// The About window: the product name and version, who made it and where to reach them.
// Created once, hidden, when the program starts, and shown modally each time "About..." is
// pressed.
class TForm2 final : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    BevelPanel* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* BitBtn1;

protected:
    // Escape is not a way out of this window; only OK, Enter and the title bar close it.
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tarvolin
