// Times the preview window on N files spread over F folders (default 100 000 over 100), with
// the real main window: opening "Preview New Names…" through the list's context-menu action
// until its rows are painted (the disk read once per folder), and each keystroke in
// "File Name:" until the preview's visible rows are painted anew. Runs offscreen; prints the
// figures for people to read.
//
//   preview_bench [N] [F] [directory]     the directory defaults to /dev/shm, else the temp dir

#include "BatchPreview.h"
#include "PreviewModel.h"
#include "Unit1.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tarvolin;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Wall time and the process's processor time of one piece of work, in ms. On a machine shared
// with other work the processor time is the steadier of the two.
struct Timing {
    double wall = 0;
    double cpu = 0;
    friend bool operator<(const Timing& a, const Timing& b) { return a.wall < b.wall; }
};

template <typename Work>
Timing Time(Work work) {
    const auto start = Clock::now();
    const std::clock_t startCpu = std::clock();
    work();
    return {Milliseconds(Clock::now() - start),
            1000.0 * static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC};
}

void Check(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(what);
}

FileNames MakeFiles(const std::filesystem::path& root, int count, int folders) {
    FileNames names;
    names.reserve(static_cast<std::size_t>(count));
    for (int f = 0; f < folders; ++f)
        std::filesystem::create_directories(root / ("folder" + std::to_string(f)));
    for (int i = 0; i < count; ++i) {
        const std::filesystem::path path =
            root / ("folder" + std::to_string(i % folders)) / ("file" + std::to_string(i) + ".txt");
        std::ofstream(path) << 'x';
        names.push_back(path.string());
    }
    return names;
}

QAction* PreviewAction(TForm1& form) {
    for (QAction* action : form.findChild<QTableView*>(QStringLiteral("fileList"))->actions())
        if (action->objectName() == QStringLiteral("PreviewNewNames"))
            return action;
    throw std::runtime_error("the list has no \"Preview New Names\" action");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int folders = std::max(1, argc > 2 ? std::atoi(argv[2]) : 100);
    const std::filesystem::path base = argc > 3 ? std::filesystem::path(argv[3])
                                       : std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    const std::filesystem::path root =
        base / ("preview-bench-" + std::to_string(QCoreApplication::applicationPid()));
    if (qEnvironmentVariableIsEmpty("XDG_STATE_HOME"))
        qputenv("XDG_STATE_HOME", (root / "state").string().c_str());
    int status = 0;
    try {
        const FileNames names = MakeFiles(root, count, folders);
        TForm1 form;
        form.show();
        Check(QTest::qWaitForWindowExposed(&form), "the window did not show");
        form.AppendFiles(names);
        QApplication::processEvents();

        QTableView* table = nullptr;
        const Timing open = Time([&] {
            PreviewAction(form)->trigger();
            table = form.findChild<QTableView*>(QStringLiteral("PreviewTable"));
            Check(table != nullptr, "no preview opened");
            QApplication::processEvents();
            table->viewport()->repaint();
        });
        const auto& model = static_cast<const PreviewModel&>(*table->model());
        Check(model.rowCount() == count, "the preview does not show every row");

        auto* nameField = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        nameField->setFocus();
        std::vector<Timing> keys;
        const QString typed = QStringLiteral("renamedpicture");
        for (const QChar letter : typed) {
            keys.push_back(Time([&] {
                QTest::keyClick(nameField, letter.toLatin1());
                table->viewport()->repaint();
            }));
        }
        Check(model.index(0, PreviewModel::NewNameColumn).data().toString().startsWith(typed),
              "the preview did not follow the typing");
        std::sort(keys.begin(), keys.end());

        // The core's share of a keystroke: the verdicts alone, without the window.
        const ListOnDisk list(names);
        RenameOptions options;
        Timing verdicts{1e300, 1e300};
        for (int i = 0; i < 5; ++i) {
            options.baseName = "core" + std::to_string(i);
            verdicts = std::min(verdicts, Time([&] { (void)PreviewBatch(list, options); }));
        }

        std::printf("files: %d over %d folders in %s\n", count, folders, root.string().c_str());
        std::printf("preview open: %.1f ms (processor %.1f ms)\n", open.wall, open.cpu);
        std::printf("keystroke to painted preview: median %.1f ms (processor %.1f ms), worst %.1f "
                    "ms (%zu keys)\n",
                    keys[keys.size() / 2].wall, keys[keys.size() / 2].cpu, keys.back().wall,
                    keys.size());
        std::printf("verdicts alone (PreviewBatch): %.1f ms (processor %.1f ms, best of 5)\n",
                    verdicts.wall, verdicts.cpu);
        std::printf("summary: %s\n", qPrintable(model.Summary()));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "preview_bench: %s\n", failure.what());
        status = 1;
    }
    std::filesystem::remove_all(root);
    return status;
}
