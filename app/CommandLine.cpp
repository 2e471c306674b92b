#include "CommandLine.h"

#include "RowTexts.h"
#include "UndoCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstring>
#include <filesystem>

namespace tarvolin {

namespace {

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Renames many files in one go: lists FILE... in the order given."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("undo"),
        QStringLiteral("Undo the last run without a window, one line per file; exits with 1 "
                       "when a file could not be restored.")));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Files to list."),
                                 QStringLiteral("[FILE...]"));
}

bool AsksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--") == 0)
            return false;
        for (const char* option :
             {"-h", "--help", "-?", "--help-all", "-v", "--version", "--undo"}) {
            if (std::strcmp(argument, option) == 0)
                return true;
        }
    }
    return false;
}

// The bytes of one argument. Qt decodes arguments as UTF-8, replacing what is not; a Linux
// file name need not be UTF-8, and then the bytes given are the name.
std::string ArgumentBytes(const QString& argument, const char* raw) {
    const std::string decoded = TextToPath(argument);
    if (argument.contains(QChar::ReplacementCharacter) && raw != nullptr && decoded != raw)
        return raw;
    return decoded;
}

std::string AbsolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path given(std::u8string(path.begin(), path.end()));
    const std::u8string absolute = fs::absolute(given).lexically_normal().u8string();
    return {absolute.begin(), absolute.end()};
}

} // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    if (!AsksForInformation(argc, argv))
        return std::nullopt;
    // Without a window: the help must also answer where no display is.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVOLIN_VERSION));
    QCommandLineParser parser;
    Describe(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("undo")) && !parser.isSet(QStringLiteral("help")))
        return UndoFromCommandLine();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion(); // exits with 0
    parser.showHelp(0);
}

StartRequest ReadStartRequest(const QStringList& arguments, char** rawArguments) {
    QCommandLineParser parser;
    Describe(parser);
    StartRequest request;
    if (!parser.parse(arguments)) {
        request.error = parser.errorText();
        return request;
    }
    // Qt's parser does not say where each positional argument stood, and the bytes are wanted:
    // everything after "--", and before it whatever is not an option.
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(u'-') && argument != u"-")
            continue;
        const std::string path = ArgumentBytes(argument, rawArguments ? rawArguments[i] : nullptr);
        if (!path.empty())
            request.files.push_back(AbsolutePath(path));
    }
    return request;
}

} // namespace tarvolin
