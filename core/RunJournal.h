#pragma once

#include "FileOps.h"
#include "JournalRecords.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace tarvolin {

// Writes one run's journal while the run goes on. The plan is made durable before the first
// file is touched; after that, records reach the system in batches and once more when the
// run ends. A program that is killed therefore loses at most the last batch of "done" marks,
// and a power loss at most what the disk had not stored since the plan: recovery looks at
// the files themselves, so either only makes it report an earlier file as the one in
// progress. While the run goes on it hears of letter-case changes, whose temporary names
// reach the system before the file moves, and of reservations, whose paths reach it before
// the empty file is made.
//
// A run may write it from two threads: the one renaming marks each change done (ChangeDone)
// before it moves the next file, so that a letter-case change or a reservation names the change
// that is moving; the caller's thread, which reads each file again after its steps, follows
// with what it found (CorrectChange, RecordLeft), a few files behind. Each record is written
// whole under one lock.
class RunJournal final : public CaseChangeListener {
public:
    // A new journal in `directory`; null when none can be written there, and `problem`, when
    // given, says why. From StartChanges (Continue: at once) until it ends, it is the
    // listener of `files`, the layer the run's files go through.
    // `format` is kJournalFormat for a plan that CorrectChange may correct.
    static std::unique_ptr<RunJournal> Create(FileLayer& files, const std::string& directory,
                                              JournalKind kind, const std::string& undoes = {},
                                              std::string* problem = nullptr,
                                              int format = kUncorrectedJournalFormat);
    // The journal at `path` again, to finish the changes after `contents.doneThrough`.
    static std::unique_ptr<RunJournal> Continue(FileLayer& files, const std::string& path,
                                                const JournalContents& contents);
    ~RunJournal() override;
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    void AddChange(const JournalChange& change);
    // After the start: the file of change `index` may already be under a temporary name.
    void AddTemporaryPath(int index, const std::string& path);
    // Writes the end of the plan and waits for the disk; false when it could not.
    bool StartChanges();
    // Both false once a record could not be written (see healthy()).
    bool ChangeDone(int index);
    bool Finish(RunEnding how);
    // The same, reaching the system at once: after a file's `RecordNameBack`, whose fingerprint
    // the attributes and times put back no longer match.
    void ChangeDoneNow(int index);
    // What the last step taken on change `index`'s file left it showing; it reaches the
    // system with the next batch, or at once: a file whose times the run set can be told by
    // nothing else where the volume keeps no birth time. Like CorrectChange, it follows the
    // file's rename by up to 512 files where a run renames on a thread of its own.
    void RecordLeft(int index, const FileFingerprint& left, bool atOnce = false);
    // The file of change `index` is not the one the plan names (it was read before the run,
    // and replaced or removed since): this is the file the run took, or none. Reaches the
    // system at once, so that recovery and undo know the file by it. The run's caller reads
    // the file after its steps while the renames go on (StepHandOver.h), so later files, up
    // to 512, may have moved before: a crash in between leaves a plan naming another file,
    // which recovery and undo leave where it is and report, as any file they cannot prove
    // the run's.
    void CorrectChange(int index, const std::optional<FileStamp>& found);
    // An undo's file is back under its old name, its attributes and times still to come:
    // reaches the system at once, so that finishing a cut-off undo puts those back too.
    void RecordNameBack(int index, const FileFingerprint& back);
    // Stops writing without an end, so that the next start offers to finish the run: a file
    // is left under a temporary name.
    void LeaveUnfinished();
    const std::string& path() const { return path_; }
    // False once a record could not be handed to the system, or the end not made durable:
    // the journal no longer tells what the run did. `failure()` gives the system's reason.
    bool healthy() const { return !broken_.load(std::memory_order_acquire); }
    // Once the run has ended.
    const std::string& failure() const { return failure_; }

    void CaseChangeStarting(const std::string& oldPath, const std::string& temporaryPath,
                            const std::string& newPath) override;
    void CaseChangeFinished(const std::string& newPath) override;
    void ReservationStarting(const std::string& path) override;
    void ReservationDropped(const std::string& path) override;

private:
    RunJournal(FileLayer& files, std::unique_ptr<JournalFile> file, std::string path,
               int doneThrough);
    void Flush();
    void Fail();

    mutable std::mutex guard_; // one record at a time, whichever thread writes it
    FileLayer& files_;
    std::unique_ptr<JournalFile> file_;
    std::string path_;
    std::string buffer_;
    std::size_t changeCount_ = 0;
    int doneThrough_ = -1;
    int doneWritten_ = -1;
    bool listening_ = false;
    bool finished_ = false;
    std::string failure_;
    std::atomic<bool> broken_ = false; // failure_ is set: read without the lock
};

} // namespace tarvolin
