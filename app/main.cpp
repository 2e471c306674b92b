#include "Unit1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    tarvolin::TForm1 Form1;
    QApplication::setWindowIcon(Form1.windowIcon());
    Form1.show();
    return QApplication::exec();
}
