#include "Unit1.h"
#include "Unit2.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    tarvolin::TForm1 Form1;
    // The About window is made once, hidden, and shown by "About..." each time.
    tarvolin::TForm2 Form2;
    Form1.SetAboutWindow(&Form2);
    QApplication::setWindowIcon(Form1.windowIcon());
    Form1.show();
    return QApplication::exec();
}
