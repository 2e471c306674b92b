#include "CommandLine.h"

#include "RowTexts.h"
#include "UndoCommand.h"

#include <QCommandLineParser>
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

// Help is harmless and answers even beside an unknown option; nothing else does.
StartAction ActionAsked(const QCommandLineParser& parser, bool understood) {
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return StartAction::Help;
    if (!understood)
        return StartAction::OpenWindow;
    if (parser.isSet(QStringLiteral("undo")))
        return StartAction::Undo;
    if (parser.isSet(QStringLiteral("version")))
        return StartAction::Version;
    return StartAction::OpenWindow;
}

// The bytes of one argument. Qt decodes arguments as UTF-8, replacing what is not; a Linux
// file name need not be UTF-8, and then the bytes given are the name.
std::string ArgumentBytes(const QString& argument, const char* raw) {
    const std::string decoded = TextToPath(argument);
    if (argument.contains(QChar::ReplacementCharacter) && raw != nullptr && decoded != raw)
        return raw;
    return decoded;
}

// Absolute, and otherwise the name the system would resolve: "." and doubled or trailing
// separators go, ".." stays, since "link/../b" is beside the link's target, not beside the
// link ("Photos/" is the folder Photos, which a rename can then move).
std::string AbsolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path given = fs::absolute(fs::path(std::u8string(path.begin(), path.end())));
    fs::path resolved = given.root_path();
    for (const fs::path& part : given.relative_path())
        if (!part.empty() && part != ".")
            resolved /= part;
    const std::u8string text = resolved.u8string();
    return {text.begin(), text.end()};
}

} // namespace

StartRequest ReadStartRequest(const QStringList& arguments, char** rawArguments) {
    QCommandLineParser parser;
    Describe(parser);
    StartRequest request;
    const bool understood = parser.parse(arguments);
    request.action = ActionAsked(parser, understood);
    if (!understood && request.action != StartAction::Help) {
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

int AnswerInformationRequest(StartAction action) {
    QCommandLineParser parser;
    Describe(parser);
    parser.parse(QCoreApplication::arguments());
    if (action == StartAction::Undo)
        return UndoFromCommandLine();
    if (action == StartAction::Version)
        parser.showVersion(); // exits with 0
    parser.showHelp(0);
}

} // namespace tarvolin
