#include "RunJournal.h"

#include "JournalShelf.h"

#include <chrono>

namespace tarvolin {

namespace {

// Large enough that 100 000 files cost a few hundred writes, small enough that a killed run
// forgets little.
constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr int kDoneMarksPerBatch = 512;
constexpr int kNameAttempts = 100;

std::string ReasonOf(const JournalFile& file) {
    const std::string reason = file.failure();
    return reason.empty() ? "the system refused to write it" : reason;
}

} // namespace

RunJournal::RunJournal(FileLayer& files, std::unique_ptr<JournalFile> file, std::string path,
                       int doneThrough)
    : files_(files), file_(std::move(file)), path_(std::move(path)), doneThrough_(doneThrough),
      doneWritten_(doneThrough) {}

std::unique_ptr<RunJournal> RunJournal::Create(FileLayer& files, const std::string& directory,
                                               JournalKind kind, const std::string& undoes,
                                               std::string* problem, int format) {
    if (directory.empty()) {
        if (problem != nullptr)
            *problem = "there is no folder for run journals";
        return nullptr;
    }
    // Two programs may pick the same next number at once: the one that comes second takes
    // the number after.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = NewJournalPath(directory);
        if (std::unique_ptr<JournalFile> file = JournalFile::Create(path, problem)) {
            std::unique_ptr<RunJournal> journal(
                new RunJournal(files, std::move(file), std::move(path), -1));
            journal->buffer_ = HeaderRecords(kind, undoes, format);
            return journal;
        }
        if (!files.ReadFileIdentity(path))
            return nullptr; // nobody took the name: the folder refuses new files
    }
    return nullptr;
}

std::unique_ptr<RunJournal> RunJournal::Continue(FileLayer& files, const std::string& path,
                                                 const JournalContents& contents) {
    std::unique_ptr<JournalFile> file = JournalFile::OpenToAppend(path);
    if (!file)
        return nullptr;
    std::unique_ptr<RunJournal> journal(
        new RunJournal(files, std::move(file), path, contents.doneThrough));
    journal->changeCount_ = contents.changes.size();
    files.SetCaseChangeListener(journal.get());
    journal->listening_ = true;
    return journal;
}

RunJournal::~RunJournal() {
    if (listening_)
        files_.SetCaseChangeListener(nullptr);
    if (!finished_)
        Flush();
}

void RunJournal::AddChange(const JournalChange& change) {
    const std::lock_guard lock(guard_);
    AppendChangeRecord(buffer_, change);
    ++changeCount_;
    if (buffer_.size() >= kBatchBytes)
        Flush();
}

void RunJournal::AddTemporaryPath(int index, const std::string& path) {
    const std::lock_guard lock(guard_);
    buffer_ += CaseRecord(index, path);
    Flush();
}

bool RunJournal::StartChanges() {
    const std::lock_guard lock(guard_);
    buffer_ += PlannedRecord(changeCount_);
    Flush();
    if (!buffer_.empty() || !file_->MakeDurable())
        return false;
    files_.SetCaseChangeListener(this);
    listening_ = true;
    return true;
}

// Only the thread that moves the files marks them done and writes the records that name the
// change moving (CaseChangeStarting, ReservationStarting, ReservationDropped), so the count
// needs the lock only when a batch of marks is written.
bool RunJournal::ChangeDone(int index) {
    doneThrough_ = index;
    if (doneThrough_ - doneWritten_ >= kDoneMarksPerBatch) {
        const std::lock_guard lock(guard_);
        buffer_ += DoneRecord(doneThrough_);
        doneWritten_ = doneThrough_;
        Flush();
    }
    return healthy();
}

void RunJournal::RecordLeft(int index, const FileFingerprint& left, bool atOnce) {
    const std::lock_guard lock(guard_);
    AppendLeftRecord(buffer_, index, left);
    if (atOnce || buffer_.size() >= kBatchBytes)
        Flush();
}

void RunJournal::CorrectChange(int index, const std::optional<FileStamp>& found) {
    const std::lock_guard lock(guard_);
    buffer_ += SeenRecord(index, found);
    Flush();
}

void RunJournal::RecordNameBack(int index, const FileFingerprint& back) {
    const std::lock_guard lock(guard_);
    buffer_ += BackRecord(index, back);
    Flush();
}

void RunJournal::ChangeDoneNow(int index) {
    const std::lock_guard lock(guard_);
    doneThrough_ = index;
    buffer_ += DoneRecord(doneThrough_);
    doneWritten_ = doneThrough_;
    Flush();
}

bool RunJournal::Finish(RunEnding how) {
    const std::lock_guard lock(guard_);
    if (listening_)
        files_.SetCaseChangeListener(nullptr);
    listening_ = false;
    if (doneThrough_ > doneWritten_)
        buffer_ += DoneRecord(doneThrough_);
    buffer_ += EndRecord(how);
    Flush();
    if (failure_.empty() && !file_->MakeDurable())
        Fail();
    finished_ = true;
    return failure_.empty();
}

void RunJournal::LeaveUnfinished() {
    const std::lock_guard lock(guard_);
    if (listening_)
        files_.SetCaseChangeListener(nullptr);
    listening_ = false;
    if (doneThrough_ > doneWritten_)
        buffer_ += DoneRecord(doneThrough_);
    doneWritten_ = doneThrough_;
    Flush();
    file_->MakeDurable();
}

// The change after the last one done is the one moving.
void RunJournal::CaseChangeStarting(const std::string&, const std::string& temporaryPath,
                                    const std::string&) {
    const std::lock_guard lock(guard_);
    buffer_ += CaseRecord(doneThrough_ + 1, temporaryPath);
    Flush();
}

void RunJournal::CaseChangeFinished(const std::string&) {}

// The clock is read before the empty file is made, so the file cannot look older than its
// record (but for the volume's rounding, which the check allows for).
void RunJournal::ReservationStarting(const std::string& path) {
    const std::lock_guard lock(guard_);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    buffer_ += ReserveRecord(doneThrough_ + 1,
                             std::chrono::duration_cast<std::chrono::seconds>(now).count(), path);
    Flush();
}

// Written at once: what is at that path now may be another program's new empty file, which
// recovery must then leave alone.
void RunJournal::ReservationDropped(const std::string& path) {
    const std::lock_guard lock(guard_);
    buffer_ += DroppedRecord(doneThrough_ + 1, path);
    Flush();
}

void RunJournal::Fail() {
    failure_ = ReasonOf(*file_);
    broken_.store(true, std::memory_order_release);
}

// A record that did not reach the system stays in the buffer, and the journal is no longer
// healthy: whoever runs the changes stops before the next one.
void RunJournal::Flush() {
    if (buffer_.empty())
        return;
    if (file_->Append(buffer_))
        buffer_.clear();
    else if (failure_.empty())
        Fail();
}

} // namespace tarvolin
