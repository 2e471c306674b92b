#include "RunUndoing.h"

#include "ErrorBoxes.h"
#include "FileListModel.h"
#include "FileOps.h"
#include "RowTexts.h"
#include "RunUndo.h"

#include <QMessageBox>
#include <QPushButton>
#include <string_view>
#include <unordered_map>

namespace tarvolin {

namespace {

constexpr int kSkippedLinesShown = 20;

// Collects what an undo did, to show it once it is over. Given the window's list, the rows
// that show a file the undo restores show its old path again as soon as the file is back,
// each row once: the restored paths are not kept, which for 100 000 files would be two
// more copies of every path while the run's journal is still held.
class CollectingReport final : public UndoReport {
public:
    CollectingReport() = default;
    CollectingReport(const FileNames& fileNames, FileListModel& rows)
        : fileNames_(&fileNames), rows_(&rows) {}

    void FileRestored(const std::string& from, const std::string& to) override {
        if (rows_ == nullptr)
            return;
        // Made at the first file back, once the undo's plan no longer needs its room.
        if (!indexed_) {
            rowsOfPath_.reserve(fileNames_->size());
            for (std::size_t position = 0; position < fileNames_->size(); ++position)
                rowsOfPath_.emplace((*fileNames_)[position], static_cast<int>(position));
            indexed_ = true;
        }
        const auto [first, last] = rowsOfPath_.equal_range(from);
        std::vector<int> positions;
        for (auto at = first; at != last; ++at)
            positions.push_back(at->second);
        // Gone from the index before the rows change the paths its keys point into.
        rowsOfPath_.erase(first, last);
        for (const int position : positions)
            rows_->SetPathAt(position, to);
    }
    void FileSkipped(const std::string& path, const std::string& reason) override {
        if (skipped.size() < kSkippedLinesShown)
            skipped += PathToText(path) + QStringLiteral(": ") + QString::fromStdString(reason);
        ++skippedCount;
    }
    void PartLeftAlone(const std::string& path, const std::string& why) override {
        if (partsLeft.size() < kSkippedLinesShown)
            partsLeft += PathToText(path) + QStringLiteral(": ") + QString::fromStdString(why);
    }

    QStringList skipped;
    int skippedCount = 0;
    QStringList partsLeft; // of restored files, what someone changed after the run

private:
    const FileNames* fileNames_ = nullptr;
    FileListModel* rows_ = nullptr;
    bool indexed_ = false;
    std::unordered_multimap<std::string_view, int> rowsOfPath_; // into the list's own paths
};

QString Plural(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

void ShowOutcome(QWidget* owner, const UndoOutcome& outcome, const CollectingReport& report) {
    if (outcome.result == UndoResult::Refused) {
        ShowErrorBox(owner, QString::fromStdString(outcome.message));
        return;
    }
    if (outcome.result == UndoResult::NothingToUndo) {
        ShowErrorBox(owner, QStringLiteral("There is no run to undo."));
        return;
    }
    QString text = QStringLiteral("Undo finished: %1 back as before the run.")
                       .arg(Plural(outcome.restored, "file is", "files are"));
    if (report.skippedCount > 0) {
        text += QStringLiteral("\n\n%1 left as they are, as they changed since the run:\n\n")
                    .arg(Plural(report.skippedCount, "file was", "files were")) +
                report.skipped.join(u'\n');
        if (report.skippedCount > report.skipped.size())
            text += QStringLiteral("\n... and %1 more.")
                        .arg(report.skippedCount - report.skipped.size());
    }
    if (!report.partsLeft.isEmpty())
        text +=
            QStringLiteral("\n\nKept as changed after the run:\n\n") + report.partsLeft.join(u'\n');
    QMessageBox box(report.skippedCount > 0 ? QMessageBox::Warning : QMessageBox::Information,
                    QStringLiteral("Undo"), text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("UndoOutcomeBox"));
    box.exec();
}

// A run that is not this window's last one (an earlier one, or another window's or
// session's) is undone only when the user says so.
bool ConfirmUndo(QWidget* owner, const PendingUndo& pending) {
    const bool finishing = pending.contents.kind == JournalKind::Undo;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Undo"),
                    PathToText((finishing ? "Finish " : "Undo ") + DescribePendingUndo(pending) +
                               "?\n\nIt is not the last run of this window."),
                    QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("ConfirmUndoBox"));
    QPushButton* undoButton = box.addButton(finishing ? QStringLiteral("Finish the Undo")
                                                      : QStringLiteral("Undo the Run"),
                                            QMessageBox::AcceptRole);
    QPushButton* cancelButton = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancelButton);
    box.setEscapeButton(cancelButton);
    box.exec();
    return box.clickedButton() == undoButton;
}

enum class RecoveryAnswer { Undo, Keep, Later };

// Escape, and Enter with no button chosen, decide nothing: no file is touched and the
// journal stays, so the box comes back at the next start.
RecoveryAnswer AskWhetherToUndo(QWidget* owner, const UnfinishedRun& run) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("C-Tarvolin"),
                    PathToText(DescribeUnfinishedRun(run)), QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("RecoveryBox"));
    const bool undo = run.contents.kind == JournalKind::Undo;
    QPushButton* undoButton =
        box.addButton(undo ? QStringLiteral("Finish the Undo") : QStringLiteral("Undo the Run"),
                      QMessageBox::AcceptRole);
    QPushButton* keepButton = box.addButton(QStringLiteral("Keep"), QMessageBox::ActionRole);
    QPushButton* laterButton =
        box.addButton(QStringLiteral("Decide Later"), QMessageBox::RejectRole);
    box.setDefaultButton(laterButton);
    box.setEscapeButton(laterButton);
    box.exec();
    if (box.clickedButton() == undoButton)
        return RecoveryAnswer::Undo;
    return box.clickedButton() == keepButton ? RecoveryAnswer::Keep : RecoveryAnswer::Later;
}

} // namespace

bool UndoLastRunInWindow(QWidget* owner, FileLayer& files, const FileNames& fileNames,
                         FileListModel& rows, const std::string& windowsLastRun) {
    std::string problem;
    const std::string directory = JournalDirectory(&problem);
    if (directory.empty()) {
        ShowErrorBox(owner, PathToText("There is no run to undo: " + problem + "."));
        return false;
    }
    PendingUndo pending = FindPendingUndo(files, directory);
    if (pending.result == UndoResult::Finished && pending.path != windowsLastRun &&
        !ConfirmUndo(owner, pending))
        return false;
    CollectingReport report(fileNames, rows);
    // The undo takes the run's journal as read, rather than a copy of it.
    const UndoOutcome outcome = CarryOutUndo(files, directory, std::move(pending), report);
    // The journal as read and the undo's plan are freed by now.
    ReturnFreedMemory();
    ShowOutcome(owner, outcome, report);
    return outcome.result == UndoResult::Finished;
}

bool AskToRunWithoutJournal(QWidget* owner, const std::string& reason) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("C-Tarvolin"),
                    PathToText("The run cannot be written to its journal (" + reason +
                               "), so it could not be undone.\n\nRun it without undo?"),
                    QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("NoJournalBox"));
    QPushButton* runButton =
        box.addButton(QStringLiteral("Run Without Undo"), QMessageBox::AcceptRole);
    QPushButton* cancelButton = box.addButton(QStringLiteral("Don't Run"), QMessageBox::RejectRole);
    box.setDefaultButton(cancelButton);
    box.setEscapeButton(cancelButton);
    box.exec();
    return box.clickedButton() == runButton;
}

void OfferRecoveryOfUnfinishedRuns(QWidget* owner, FileLayer& files) {
    const std::string directory = JournalDirectory();
    if (directory.empty())
        return;
    std::string lastAsked;
    while (const std::optional<UnfinishedRun> run = FindUnfinishedRun(files, directory)) {
        if (run->path == lastAsked) // its undo was refused, and the box said why
            return;
        lastAsked = run->path;
        const RecoveryAnswer answer = AskWhetherToUndo(owner, *run);
        if (answer == RecoveryAnswer::Later)
            return;
        if (answer == RecoveryAnswer::Undo) {
            CollectingReport report;
            ShowOutcome(owner, UndoUnfinishedRun(files, directory, *run, report), report);
        } else if (!KeepUnfinishedRun(files, directory, *run)) {
            ShowErrorBox(owner, QStringLiteral("A file could not be taken off its temporary "
                                               "name, which begins with \".\" and holds "
                                               "\".Tarvolin-Case-\" or \".Tarvolin-Cycle-\"."));
        }
    }
}

} // namespace tarvolin
