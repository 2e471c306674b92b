// Times the main window against the core doing the same work, on N files (default 100 000):
//  - "Add Files": every row rebuilt, re-reading each file's attributes and times, against
//    reading the same summaries (and stamps, as a row keeps them) into plain vectors;
//  - "Start": a batch rename run clicked in the window (journaled, as the program does),
//    against RunJournaledRenameJob with outlets that re-read each changed file as a row must,
//    give the run the stamps they read, and keep the gauge as a number.
// Runs offscreen; prints the times, a "ratio <window/core>" line for each, the peak resident
// memory with N rows listed (the whole process, Qt and this program's own copy of the paths
// included), and what the window's rows cost: the rise of the peak resident set while the
// window takes the N paths, per row, beyond the paths' own bytes.
//
//   window_bench [N] [directory]     the directory defaults to /dev/shm, else the temp dir

#include "FileListModel.h"
#include "FileOps.h"
#include "RenameJob.h"
#include "RowTexts.h"
#include "Unit1.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tarvolin;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepeats = 3;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Work>
double Time(Work work) {
    const auto start = Clock::now();
    work();
    return Milliseconds(Clock::now() - start);
}

// The best of kRepeats rounds of each, taken in turns so that both meet the same caches.
// `handOver` runs untimed after each core round, `handBack` after each window round.
template <typename Core, typename Window, typename HandOver, typename HandBack>
std::pair<double, double> BestInTurns(Core core, Window window, HandOver handOver,
                                      HandBack handBack) {
    double bestCore = 1e300;
    double bestWindow = 1e300;
    for (int i = 0; i < kRepeats; ++i) {
        bestCore = std::min(bestCore, Time(core));
        handOver();
        bestWindow = std::min(bestWindow, Time(window));
        handBack();
    }
    return {bestCore, bestWindow};
}

class RowRereadingOutlets final : public RenameOutlets {
public:
    FileLayer files;
    FileLayer& Files() override { return files; }
    std::vector<UtcFileSummary> rows;
    std::vector<std::optional<FileStamp>> stamps;
    FileNames* names = nullptr; // the list the run's new paths go to, as the window's do
    int gauge = 0;
    void SetGaugeRange(int, int) override {}
    void SetGaugePosition(int position) override { gauge = position; }
    void RowChanged(int position, const std::string& path) override {
        (*names)[static_cast<std::size_t>(position)] = path;
        Read(static_cast<std::size_t>(position), path);
    }
    std::optional<FileStamp> KnownStamp(int position) override {
        return stamps[static_cast<std::size_t>(position)];
    }
    // Every row, as the list reads them when the files are listed.
    void ReadAll(const FileNames& paths) {
        rows.resize(paths.size());
        stamps.resize(paths.size());
        for (std::size_t row = 0; row < paths.size(); ++row)
            Read(row, paths[row]);
    }
    void Read(std::size_t row, const std::string& path) {
        FileSummaryAndStamp read = files.ReadFileSummaryAndStamp(path);
        rows[row] = read.summary;
        stamps[row] = std::move(read.stamp);
    }
    void ShowError(const std::string& text) override {
        throw std::runtime_error("the run failed: " + text);
    }
};

// A figure of /proc/self/status in bytes ("VmHWM:" the peak resident set, "VmRSS:" the
// present one) where the system reports it, else -1.
double StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtod(line.c_str() + std::strlen(field), nullptr) * 1024.0;
    }
    return -1;
}

// Lowers the peak resident set to the present one, so that the next peak is that of the
// work that follows (Linux 4.0 and later).
void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Press(TForm1& form, const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

// Clicks "Add Files" and cancels the dialog, which reads every row again.
void AddFilesCancelled(TForm1& form) {
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    Press(form, "Button1"); // "Add Files"
}

// Clicks "Clear" and lists `names` as the command line does.
void ListAnew(TForm1& form, const FileNames& names) {
    Press(form, "Button2"); // "Clear"
    form.AppendFiles(names);
}

void Check(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(what);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path base = argc > 2 ? std::filesystem::path(argv[2])
                                          : (std::filesystem::is_directory("/dev/shm")
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path());
    const std::filesystem::path root =
        base / ("window-bench-" + std::to_string(QCoreApplication::applicationPid()));
    const std::filesystem::path files = root / "files";
    const std::filesystem::path elsewhere = root / "dialog";
    std::filesystem::create_directories(files);
    std::filesystem::create_directories(elsewhere);
    // The run journals go beside the files unless the caller names a place.
    if (qEnvironmentVariableIsEmpty("XDG_STATE_HOME"))
        qputenv("XDG_STATE_HOME", (root / "state").string().c_str());
    int status = 0;
    try {
        FileNames names;
        names.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const std::string path = (files / ("file" + std::to_string(i) + ".txt")).string();
            std::ofstream(path) << 'x';
            names.push_back(path);
        }
        // The dialog opens in the working folder; keep it away from the N files.
        QDir::setCurrent(QString::fromStdString(elsewhere.string()));

        TForm1 form;
        form.show();
        Check(QTest::qWaitForWindowExposed(&form), "the window did not show");
        auto* list = form.findChild<QTableView*>(QStringLiteral("fileList"));
        AddFilesCancelled(form); // the dialog's first showing is not what is measured

        // Memory: the window takes the N paths as the command line hands them over.
        double pathBytes = 0;
        for (const std::string& path : names)
            pathBytes += static_cast<double>(path.size());
        QTest::qWait(50);
        ResetPeakResident();
        const double residentBefore = StatusBytes("VmRSS:");
        form.AppendFiles(names);
        QTest::qWait(50); // let the view lay out and paint the rows
        const double peakWithRows = StatusBytes("VmHWM:");
        const double bytesPerRow = (peakWithRows - residentBefore - pathBytes) / count;
        Check(list->model()->rowCount() == count, "the rows were not listed");

        // "Add Files" -------------------------------------------------------------------
        RowRereadingOutlets outlets; // its layer is the list's own, as the model reads through one
        const auto [coreAdd, windowAdd] = BestInTurns(
            [&] {
                outlets.rows.clear();
                outlets.stamps.clear();
                outlets.ReadAll(names);
            },
            [&] { AddFilesCancelled(form); }, [] {}, [] {});
        Check(list->model()->rowCount() == count, "the rows were not rebuilt");

        // "Start" -------------------------------------------------------------------------
        // Each run renames every file onto a new base name, so both do the same disk work.
        // The core works on its own copy of the list, the window on its own; between turns
        // each is handed the names the other left on the disk (untimed).
        RenameOptions options;
        FileNames coreNames = names;
        const std::string journals = JournalDirectory();
        outlets.names = &coreNames;
        int round = 0;
        auto* baseName = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        const auto [coreStart, windowStart] = BestInTurns(
            [&] {
                options.baseName = "core" + std::to_string(round++);
                outlets.SetGaugeRange(0, count - 1);
                RunJournaledRenameJob(coreNames, options, outlets, journals);
            },
            [&] {
                baseName->setText(QStringLiteral("window%1").arg(round++));
                Press(form, "BitBtn1"); // "Start"
            },
            [&] {
                Check(outlets.gauge == count - 1, "the core run did not finish");
                ListAnew(form, coreNames);
            },
            [&] {
                coreNames = form.ListedFiles();
                outlets.ReadAll(coreNames); // listed anew, as the window's rows are
            });
        Check(form.ListedFiles().back().find("window") != std::string::npos,
              "the window run did not finish");
        Check(list->model()->index(count - 1, 0).data().toString() ==
                  PathToText(form.ListedFiles().back()),
              "the rows do not show the new names");

        std::printf("files: %d in %s\n", count, files.string().c_str());
        std::printf("add files: window %.1f ms, core %.1f ms (best of %d)\n", windowAdd, coreAdd,
                    kRepeats);
        std::printf("ratio %.2f\n", windowAdd / coreAdd);
        std::printf("start: window %.1f ms, core %.1f ms (best of %d)\n", windowStart, coreStart,
                    kRepeats);
        std::printf("ratio %.2f\n", windowStart / coreStart);
        std::printf("peak RSS with %d rows: %.1f MiB, %.0f bytes per row beyond the path bytes\n",
                    count, peakWithRows / (1 << 20), (peakWithRows - pathBytes) / count);
        std::printf(
            "the window's rows: %.0f bytes per row beyond the path bytes (mean path %.0f)\n",
            bytesPerRow, pathBytes / count);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "window_bench: %s\n", failure.what());
        status = 1;
    }
    std::filesystem::remove_all(root);
    return status;
}
