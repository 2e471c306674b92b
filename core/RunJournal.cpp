#include "RunJournal.h"

#include "JournalShelf.h"

namespace tarvolin {

namespace {

// Large enough that 100 000 files cost a few hundred writes, small enough that a killed run
// forgets little.
constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr int kDoneMarksPerBatch = 512;

} // namespace

RunJournal::RunJournal(std::unique_ptr<JournalFile> file, std::string path, int doneThrough)
    : file_(std::move(file)), path_(std::move(path)), doneThrough_(doneThrough),
      doneWritten_(doneThrough) {}

std::unique_ptr<RunJournal> RunJournal::Create(const std::string& directory, JournalKind kind,
                                               const std::string& undoes) {
    if (directory.empty())
        return nullptr;
    std::string path = NewJournalPath(directory);
    std::unique_ptr<JournalFile> file = JournalFile::Create(path);
    if (!file)
        return nullptr;
    std::unique_ptr<RunJournal> journal(new RunJournal(std::move(file), std::move(path), -1));
    journal->buffer_ = HeaderRecords(kind, undoes);
    return journal;
}

std::unique_ptr<RunJournal> RunJournal::Continue(const std::string& path,
                                                 const JournalContents& contents) {
    std::unique_ptr<JournalFile> file = JournalFile::OpenToAppend(path);
    if (!file)
        return nullptr;
    std::unique_ptr<RunJournal> journal(
        new RunJournal(std::move(file), path, contents.doneThrough));
    journal->changeCount_ = contents.changes.size();
    SetCaseChangeListener(journal.get());
    journal->listening_ = true;
    return journal;
}

RunJournal::~RunJournal() {
    if (listening_)
        SetCaseChangeListener(nullptr);
    if (!finished_)
        Flush();
}

void RunJournal::AddChange(const JournalChange& change) {
    AppendChangeRecord(buffer_, change);
    ++changeCount_;
    if (buffer_.size() >= kBatchBytes)
        Flush();
}

void RunJournal::AddTemporaryPath(int index, const std::string& path) {
    buffer_ += CaseRecord(index, path);
    Flush();
}

bool RunJournal::StartChanges() {
    buffer_ += PlannedRecord(changeCount_);
    Flush();
    if (!buffer_.empty() || !file_->MakeDurable())
        return false;
    SetCaseChangeListener(this);
    listening_ = true;
    return true;
}

void RunJournal::ChangeDone(int index) {
    doneThrough_ = index;
    if (doneThrough_ - doneWritten_ >= kDoneMarksPerBatch) {
        buffer_ += DoneRecord(doneThrough_);
        doneWritten_ = doneThrough_;
        Flush();
    }
}

void RunJournal::RecordLeft(int index, const FileFingerprint& left, bool atOnce) {
    AppendLeftRecord(buffer_, index, left);
    if (atOnce || buffer_.size() >= kBatchBytes)
        Flush();
}

void RunJournal::RecordNameBack(int index, const FileFingerprint& back) {
    buffer_ += BackRecord(index, back);
    Flush();
}

void RunJournal::ChangeDoneNow(int index) {
    doneThrough_ = index;
    buffer_ += DoneRecord(doneThrough_);
    doneWritten_ = doneThrough_;
    Flush();
}

void RunJournal::Finish(std::string_view how) {
    if (listening_)
        SetCaseChangeListener(nullptr);
    listening_ = false;
    if (doneThrough_ > doneWritten_)
        buffer_ += DoneRecord(doneThrough_);
    buffer_ += EndRecord(how);
    Flush();
    file_->MakeDurable();
    finished_ = true;
}

// The change after the last one done is the one moving.
void RunJournal::CaseChangeStarting(const std::string&, const std::string& temporaryPath,
                                    const std::string&) {
    buffer_ += CaseRecord(doneThrough_ + 1, temporaryPath);
    Flush();
}

void RunJournal::CaseChangeFinished(const std::string&) {}

void RunJournal::Flush() {
    if (!buffer_.empty() && file_->Append(buffer_))
        buffer_.clear();
}

} // namespace tarvolin
