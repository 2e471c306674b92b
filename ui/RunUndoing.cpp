#include "RunUndoing.h"

#include "ErrorBoxes.h"
#include "FileListModel.h"
#include "FileOps.h"
#include "RowTexts.h"
#include "RunUndo.h"

#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace tarvolin {

namespace {

constexpr int kSkippedLinesShown = 20;

// Collects what an undo did, to show it once it is over.
class CollectingReport final : public UndoReport {
public:
    void FileRestored(const std::string& from, const std::string& to) override {
        restored.emplace_back(from, to);
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

    std::vector<std::pair<std::string, std::string>> restored;
    QStringList skipped;
    int skippedCount = 0;
    QStringList partsLeft; // of restored files, what someone changed after the run
};

// Each row whose file the undo moved shows the file's old path again. The restored pairs are
// sorted in place and looked up, rather than copied into a map beside them: an undo of 100 000
// files would hold every path twice more.
void ShowRestoredPaths(CollectingReport& report, const FileNames& fileNames, FileListModel& rows) {
    auto& restored = report.restored;
    std::stable_sort(restored.begin(), restored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t position = 0; position < fileNames.size(); ++position) {
        const auto found = std::lower_bound(
            restored.begin(), restored.end(), fileNames[position],
            [](const auto& pair, const std::string& path) { return pair.first < path; });
        if (found == restored.end() || found->first != fileNames[position])
            continue;
        rows.SetPathAt(static_cast<int>(position), found->second);
    }
    decltype(report.restored)().swap(restored);
}

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
    CollectingReport report;
    // The undo takes the run's journal as read, rather than a copy of it.
    const UndoOutcome outcome = CarryOutUndo(files, directory, std::move(pending), report);
    ShowRestoredPaths(report, fileNames, rows);
    // The journal as read, the undo's plan and the restored paths are freed by now.
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
