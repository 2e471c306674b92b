// The command line as a file manager or a shell uses it: which files are listed, and how the
// program answers --help, --version, --undo and an option it does not know.

#include "CommandLine.h"

#include "RenameJob.h"
#include "RowTexts.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace tarvolin;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void filesListed_data();
    void filesListed();
    void nameThatIsNotUtf8KeepsItsBytes();
    void programAnswers_data();
    void programAnswers();
    void undoWithoutAWindow();
};

void CommandLineTest::filesListed_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("files"); // "~" stands for the current folder
    QTest::newRow("in the order given")
        << QStringList{"b.txt", "a.txt", "b.txt"} << QStringList{"~/b.txt", "~/a.txt", "~/b.txt"};
    QTest::newRow("absolute, relative, dotted")
        << QStringList{"/srv/x y.jpg", "./sub/../c.txt", "sub/d"}
        << QStringList{"/srv/x y.jpg", "~/sub/../c.txt", "~/sub/d"};
    // ".." after a link is beside the link's target: only the system can resolve it.
    QTest::newRow("dot-dot stays")
        << QStringList{"link/../b.txt"} << QStringList{"~/link/../b.txt"};
    QTest::newRow("trailing slashes go")
        << QStringList{"Photos/", "/srv//a//"} << QStringList{"~/Photos", "/srv/a"};
    QTest::newRow("after -- a dash is a name")
        << QStringList{"--", "-v", "--help"} << QStringList{"~/-v", "~/--help"};
    QTest::newRow("a lone dash is a name") << QStringList{"-"} << QStringList{"~/-"};
    QTest::newRow("none") << QStringList{} << QStringList{};
}

void CommandLineTest::filesListed() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    const StartRequest request = ReadStartRequest(QStringList{"ctarvolin"} + arguments, nullptr);
    QCOMPARE(request.error, QString());
    FileNames expected;
    for (QString file : files)
        expected.push_back(file.replace(u'~', QDir::currentPath()).toStdString());
    QCOMPARE(request.files, expected);
}

void CommandLineTest::nameThatIsNotUtf8KeepsItsBytes() {
    char program[] = "ctarvolin";
    char name[] = "/srv/bad\xFF.txt";
    char* raw[] = {program, name, nullptr};
    const QStringList arguments{QString::fromLocal8Bit(program), QString::fromLocal8Bit(name)};
    QCOMPARE(ReadStartRequest(arguments, raw).files, FileNames{name});
}

void CommandLineTest::programAnswers_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: "
                            << "";
    QTest::newRow("-h") << QStringList{"-h", "a.txt"} << 0 << "Usage: "
                        << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "C-Tarvolin 1.5\n"
                               << "";
    QTest::newRow("--undo with no run")
        << QStringList{"--undo"} << 0 << "There is no run to undo.\n"
        << "";
    QTest::newRow("unknown option") << QStringList{"--bogus", "a.txt"} << 2 << ""
                                    << "ctarvolin: Unknown option 'bogus'.\n";
    QTest::newRow("--undo with an unknown option") << QStringList{"--undo", "--dry-run"} << 2 << ""
                                                   << "ctarvolin: Unknown option 'dry-run'.\n";
    const QString noDisplay = QStringLiteral("ctarvolin: no display to open the window on "
                                             "(neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
    QTest::newRow("no display") << QStringList{"a.txt"} << 1 << "" << noDisplay;
    // Names, not Qt's options: Qt would have started on the offscreen platform.
    QTest::newRow("Qt's options after --")
        << QStringList{"--", "-reverse", "-platform", "offscreen", "a.txt"} << 1 << "" << noDisplay;
}

void CommandLineTest::programAnswers() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir runtime;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display: --help and --version must not need one, and a window says it cannot open.
    environment.insert(QStringLiteral("DISPLAY"), QString());
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("XDG_STATE_HOME"), runtime.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CTARVOLIN_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()), err);
}

// One line per file, and a failure exit when a file could not be put back.
void CommandLineTest::undoWithoutAWindow() {
    QTemporaryDir files;
    QTemporaryDir state;
    std::vector<std::string> paths;
    for (const char* name : {"b\nc.txt", "a.txt"}) {
        paths.push_back(TextToPath(files.filePath(QString::fromUtf8(name))));
        QFile(files.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    }
    RenameOptions options;
    options.baseName = "n";
    struct : RenameOutlets {
        FileLayer layer;
        FileLayer& Files() override { return layer; }
        void SetGaugeRange(int, int) override {}
        void SetGaugePosition(int) override {}
        void RowChanged(int, const std::string&) override {}
        void ShowError(const std::string& text) override { QFAIL(text.c_str()); }
    } outlets;
    QVERIFY(QDir(state.path()).mkpath(QStringLiteral("ctarvolin")));
    RunJournaledRenameJob(paths, options, outlets, TextToPath(state.filePath("ctarvolin")));
    QVERIFY(QFile::rename(files.filePath("n_1.txt"), files.filePath("aside")));
    QFile(files.filePath("n_1.txt")).open(QIODevice::WriteOnly);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CTARVOLIN_PROGRAM), {QStringLiteral("--undo")});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
             QStringLiteral("not restored %1: another file now has its name\n"
                            "restored %2 -> %3\n")
                 .arg(files.filePath("n_1.txt"), files.filePath("n_0.txt"),
                      files.filePath("b%0Ac.txt")));
    QCOMPARE(program.exitCode(), 1);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
