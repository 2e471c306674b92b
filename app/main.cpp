#include "CommandLine.h"
#include "RunUndoing.h"
#include "Unit1.h"
#include "Unit2.h"
#include "WindowSystemCheck.h"

#include <QApplication>
#include <cstdio>

namespace {

void NameTheApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVOLIN_VERSION));
}

// The arguments are read, and --help, --version and --undo answered, before the window
// system is touched: those need no display, and Qt would take "-style x.txt" for its own.
std::optional<int> ReadArguments(int argc, char* argv[], tarvolin::StartRequest& request) {
    int count = argc;
    const QCoreApplication reading(count, argv);
    NameTheApplication();
    request = tarvolin::ReadStartRequest(QCoreApplication::arguments(), argv);
    if (!request.error.isEmpty()) {
        std::fprintf(stderr, "ctarvolin: %s\n", qPrintable(request.error));
        return 2;
    }
    if (request.action != tarvolin::StartAction::OpenWindow)
        return tarvolin::AnswerInformationRequest(request.action);
    if (const std::optional<std::string> why = tarvolin::WhyNoWindowCanOpen()) {
        std::fprintf(stderr, "ctarvolin: %s\n", why->c_str());
        return 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    tarvolin::StartRequest request;
    if (const std::optional<int> answered = ReadArguments(argc, argv, request))
        return *answered;
    // Qt is given the program's name alone: every argument was a file or one of ours.
    int qtArgumentCount = 1;
    char* qtArguments[] = {argv[0], nullptr};
    QApplication application(qtArgumentCount, qtArguments);
    NameTheApplication();
    tarvolin::TForm1 Form1;
    // The About window is made once, hidden, and shown by "About..." each time.
    tarvolin::TForm2 Form2;
    Form1.SetAboutWindow(&Form2);
    QApplication::setWindowIcon(Form1.windowIcon());
    // Before any file is listed, so that the rows show the files where recovery left them.
    tarvolin::OfferRecoveryOfUnfinishedRuns(&Form1, Form1.Files());
    // Files named on the command line are listed as if chosen in "Add Files".
    if (!request.files.empty())
        Form1.AppendFiles(request.files);
    Form1.show();
    return QApplication::exec();
}
