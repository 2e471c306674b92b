#include "CommandLine.h"
#include "RunUndoing.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = tarvolin::AnswerInformationRequest(argc, argv))
        return *answered;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    QApplication::setApplicationVersion(QStringLiteral(TARVOLIN_VERSION));
    // Qt has taken its own options (-style, -platform...) out of argv by now.
    const tarvolin::StartRequest request =
        tarvolin::ReadStartRequest(QApplication::arguments(), argv);
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "ctarvolin: %s\n", qPrintable(request.error));
        return 2;
    }
    tarvolin::TForm1 Form1;
    // The About window is made once, hidden, and shown by "About..." each time.
    tarvolin::TForm2 Form2;
    Form1.SetAboutWindow(&Form2);
    QApplication::setWindowIcon(Form1.windowIcon());
    // Before any file is listed, so that the rows show the files where recovery left them.
    tarvolin::OfferRecoveryOfUnfinishedRuns(&Form1);
    // Files named on the command line are listed as if chosen in "Add Files".
    if (!request.files.empty())
        Form1.AppendFiles(request.files);
    Form1.show();
    return QApplication::exec();
}
