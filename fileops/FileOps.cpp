// The one front of the file layer: every function of FileOps.h, once for all platforms, over
// the platform's Backend. Choices made on purpose:
// - A time outside what an MS-DOS date-time can hold fails rather than reporting a success
//   that wrote nothing, so the user learns the time was not set.
// - A write counts only when the file holds what was asked afterwards: on Linux a volume may
//   accept a bit it does not keep, and an ext4 with small inodes keeps 2100 as 2038 and says
//   yes (pinned by OnEveryVolume.ATimeTheVolumeCannotHoldFails).
// - A change of letter case alone goes through a temporary name, since some volumes ignore it
//   otherwise (Wine among them: pinned by LetterCase.ShowsTheNewSpellingOnly).
#include "CaseChangeNotice.h"
#include "DosDateTime.h"
#include "FileFront.h"
#include "Guarded.h"
#include "WindowsNames.h"

namespace tarvolin {

namespace {

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.file == b.file;
}

// False, with the reason left for LastFailureReason.
bool Refuse(Refusal why) {
    LeaveFailureReason(why);
    return false;
}

} // namespace

std::vector<std::optional<FileStamp>> Backend::ReadStamps(std::span<const std::string> paths) {
    std::vector<std::optional<FileStamp>> stamps;
    stamps.reserve(paths.size());
    for (const std::string& path : paths)
        stamps.push_back(ReadStamp(path));
    return stamps;
}

MetadataAndStamp Backend::ReadMetadataAndStamp(const std::string& path) {
    return {ReadMetadata(path), ReadStamp(path)};
}

std::vector<bool> Backend::ListedAsSpelled(std::span<const std::string> paths) {
    std::vector<bool> listed;
    listed.reserve(paths.size());
    for (const std::string& path : paths)
        listed.push_back(HowListed(path) == ListedAs::Given);
    return listed;
}

void FileFront::ReservationStarting(const std::string& path) {
    if (listener_ != nullptr)
        listener_->ReservationStarting(path);
}

void FileFront::ReservationDropped(const std::string& path) {
    if (listener_ != nullptr)
        listener_->ReservationDropped(path);
}

void FileFront::Reached(Step step) {
    if (hook_)
        hook_(step);
}

bool FileFront::RenameOnDisk(const std::string& oldPath, const std::string& newPath,
                             std::string& fileNowAt) {
    fileNowAt.clear(); // Rename names a place only where it leaves the file under a temporary name
    const bool moved = Guarded(false, [&] { return Rename(oldPath, newPath, fileNowAt); });
    if (fileNowAt.empty())
        fileNowAt = moved ? newPath : oldPath;
    return moved;
}

bool FileFront::RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    std::string temporary; // written only where the file is left there, so seldom allocated
    return Guarded(false, [&] { return Rename(oldPath, newPath, temporary); });
}

bool FileFront::Rename(const std::string& oldPath, const std::string& newPath,
                       std::string& fileNowAt) {
    if (oldPath == newPath) // nothing to move, but a vanished file must not look renamed
        return backend_.KindOf(oldPath) != EntryKind::Missing;
    if (backend_.HasCaseTwin(oldPath, newPath))
        return Refuse(Refusal::NameTaken);
    // Asked only of such a name, so that a rename to a plain name costs no look at the volume.
    if (WindowsRefusesName(backend_.LastName(newPath)) && backend_.KeepsWindowsNames(newPath))
        return Refuse(Refusal::BadName);
    bool moved = false;
    switch (backend_.Move(oldPath, newPath, *this)) {
    case MoveOutcome::Moved:
        moved = true;
        break;
    case MoveOutcome::TargetExists:
        // A rename that changed nothing must not succeed: only the file's own entry counts.
        switch (backend_.WhatTakesName(oldPath, newPath)) {
        case TakenBy::SameEntry:
            moved = true;
            break;
        case TakenBy::LetterCaseAlias:
            moved = ChangeLetterCase(oldPath, newPath, fileNowAt);
            break;
        case TakenBy::OtherEntry:
            Refuse(Refusal::NameTaken); // the looks that told so leave no reason of their own
            break;
        }
        break;
    case MoveOutcome::Refused:
        break;
    }
    if (moved)
        backend_.NoteMoved(oldPath, newPath);
    return moved;
}

bool FileFront::MoveToTemporaryName(const std::string& oldPath, const std::string& newPath,
                                    std::string& temporary) {
    constexpr int kAttempts = 100; // names left over by someone else are skipped
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        temporary = backend_.Beside(
            newPath,
            CaseChangeTemporaryName(std::string(backend_.LastName(newPath)), backend_.ProcessId()));
        if (listener_ != nullptr)
            listener_->CaseChangeStarting(oldPath, temporary, newPath);
        const MoveOutcome outcome = backend_.Move(oldPath, temporary, *this);
        if (outcome != MoveOutcome::TargetExists)
            return outcome == MoveOutcome::Moved;
    }
    return false;
}

// What is left to check where the listing lowers every name.
bool FileFront::FoundOnlyUnderNewName(const std::string& newPath, const std::string& temporary,
                                      const FileIdentity& file) {
    const std::optional<FileStamp> found = backend_.ReadStamp(newPath);
    return found && SameFile(found->identity, file) &&
           backend_.KindOf(temporary) == EntryKind::Missing;
}

bool FileFront::ChangeLetterCase(const std::string& oldPath, const std::string& newPath,
                                 std::string& fileNowAt) {
    const std::optional<FileStamp> file = backend_.ReadStamp(oldPath);
    std::string temporary;
    if (!file || !MoveToTemporaryName(oldPath, newPath, temporary))
        return false;
    Reached(Step::MovedToCaseTemporary);
    // The temporary name has capitals: how it is listed tells how the folder lists names.
    const ListedAs listing = backend_.HowListed(temporary);
    if (backend_.Move(temporary, newPath, *this) != MoveOutcome::Moved) {
        if (backend_.Move(temporary, oldPath, *this) != MoveOutcome::Moved)
            fileNowAt = temporary;
        return false;
    }
    const bool done = listing == ListedAs::LowerCase
                          ? FoundOnlyUnderNewName(newPath, temporary, file->identity)
                          : backend_.HowListed(newPath) == ListedAs::Given;
    if (done && listener_ != nullptr)
        listener_->CaseChangeFinished(newPath);
    return done;
}

AttributeSet FileFront::ReadAttributes(const std::string& path) {
    return Guarded(kUnreadableAttributes, [&] {
        const std::optional<ExactMetadata> metadata = backend_.ReadMetadata(path);
        return metadata ? *metadata->attributes : kUnreadableAttributes;
    });
}

bool FileFront::ApplyAttributes(const std::string& path, AttributeSet wanted) {
    return Guarded(false, [&] {
        if ((wanted & ~kFourAttributes) != 0)
            return Refuse(Refusal::BadRequest);
        const std::optional<AttributeSet> held = backend_.WriteAttributes(path, wanted);
        if (!held)
            return false;
        return *held == wanted || Refuse(Refusal::NotKept);
    });
}

std::optional<LocalDateTime> FileFront::GetCreationTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        const std::optional<ExactMetadata> metadata = backend_.ReadMetadata(path);
        return metadata ? backend_.UtcToLocal(*metadata->creation) : std::nullopt;
    });
}

std::optional<LocalDateTime> FileFront::GetModifyTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        const std::optional<ExactTime> modify = backend_.ReadModifyTime(path);
        return modify ? backend_.UtcToLocal(*modify) : std::nullopt;
    });
}

bool FileFront::SetTime(const std::string& path, TimeSlot slot, const LocalDateTime& date,
                        const LocalDateTime& time) {
    return Guarded(false, [&] {
        const std::optional<LocalDateTime> local = AtDosPrecision(date, time);
        const std::optional<ExactTime> utc = local ? backend_.LocalToUtc(*local) : std::nullopt;
        if (!utc)
            return Refuse(Refusal::OutOfRange);
        const std::optional<ExactTime> held = backend_.WriteTime(path, slot, *utc);
        if (!held)
            return false;
        return *held == *utc || Refuse(Refusal::OutOfRange);
    });
}

FileSummary FileFront::SummaryOf(const std::optional<ExactMetadata>& metadata) {
    if (!metadata)
        return FileSummary{};
    const std::optional<LocalDateTime> created = backend_.UtcToLocal(*metadata->creation);
    return FileSummary{*metadata->attributes, created,
                       LocalInSameSecond(created, *metadata->creation, *metadata->modify)};
}

FileSummary FileFront::ReadFileSummary(const std::string& path) {
    return Guarded(FileSummary{}, [&] { return SummaryOf(backend_.ReadMetadata(path)); });
}

FileSummaryAndStamp FileFront::ReadFileSummaryAndStamp(const std::string& path) {
    return Guarded(FileSummaryAndStamp{}, [&] {
        MetadataAndStamp read = backend_.ReadMetadataAndStamp(path);
        if (!read.metadata)
            return FileSummaryAndStamp{{}, std::move(read.stamp)};
        const ExactMetadata& metadata = *read.metadata;
        return FileSummaryAndStamp{{*metadata.attributes, *metadata.creation, *metadata.modify},
                                   std::move(read.stamp)};
    });
}

std::optional<LocalDateTime> FileFront::LocalTimeOf(const ExactTime& utc) {
    return Guarded(std::optional<LocalDateTime>{}, [&] { return backend_.UtcToLocal(utc); });
}

// The local time of `utc`, from the local time of `known`, another moment, where both fall in
// one second: a file's times often do, and a list re-reads every row a run renames.
std::optional<LocalDateTime> FileFront::LocalInSameSecond(const std::optional<LocalDateTime>& local,
                                                          const ExactTime& known,
                                                          const ExactTime& utc) {
    if (!local || known.seconds != utc.seconds)
        return backend_.UtcToLocal(utc);
    LocalDateTime same = *local;
    same.millisecond = static_cast<int>(utc.nanoseconds / 1'000'000); // as every backend has it
    return same;
}

std::optional<FileStamp> FileFront::ReadFileStamp(const std::string& path) {
    return Guarded(std::optional<FileStamp>{}, [&] { return backend_.ReadStamp(path); });
}

std::vector<std::optional<FileStamp>>
FileFront::ReadFileStamps(std::span<const std::string> paths) {
    return Guarded(std::vector<std::optional<FileStamp>>(paths.size()),
                   [&] { return backend_.ReadStamps(paths); });
}

std::optional<ExactMetadata> FileFront::ReadExactMetadata(const std::string& path) {
    return Guarded(std::optional<ExactMetadata>{}, [&] { return backend_.ReadMetadata(path); });
}

MetadataRestore FileFront::RestoreExactMetadata(const std::string& path,
                                                const ExactMetadata& before,
                                                const ExactMetadata& runLeft) {
    return Guarded(MetadataRestore{}, [&] {
        Reached(Step::RestoringMetadata);
        MetadataRestore result;
        const EntryKind kind = backend_.KindOf(path);
        const std::optional<ExactMetadata> now = backend_.ReadMetadata(path);
        if (kind == EntryKind::Missing || !now)
            return result;
        // The run wrote nothing through a link or to a FIFO, socket or device.
        if (kind == EntryKind::Other)
            result.ok = true;
        else
            WriteMetadata(path, *now, before, runLeft, result);
        return result;
    });
}

// Only the parts that differ, and then read back.
void FileFront::WriteMetadata(const std::string& path, const ExactMetadata& now,
                              const ExactMetadata& before, const ExactMetadata& runLeft,
                              MetadataRestore& result) {
    const RestorePlan plan = PlanRestore(now, before, runLeft, result);
    const AttributeSet wanted = before.attributes.value_or(*now.attributes);
    const bool writes = plan.times || plan.creation || plan.forgetCreation || plan.forgetRecord ||
                        wanted != *now.attributes;
    if (!writes) {
        result.ok = true;
        return;
    }
    result.changed = true;
    const bool written = backend_.PutBack(path, now, before, plan, wanted);
    const std::optional<ExactMetadata> after = backend_.ReadMetadata(path);
    result.ok = written && after && HoldsRestored(*after, before, plan);
}

bool FileFront::RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) {
    return Guarded(false, [&] { return backend_.RemoveEmptyFileMadeSince(path, notBefore); });
}

std::vector<bool> FileFront::ListedAsSpelled(std::span<const std::string> paths) {
    return Guarded(std::vector<bool>(paths.size(), false),
                   [&] { return backend_.ListedAsSpelled(paths); });
}

FolderFacts FileFront::ReadFolderFacts(const std::string& folder) {
    return Guarded(FolderFacts{},
                   [&] { return backend_.ReadFolderFacts(folder.empty() ? "." : folder); });
}

// FileLayer: one front over a backend, its own or a test's.

FileLayer::FileLayer()
    : ownBackend_(MakeNativeBackend()), front_(std::make_unique<FileFront>(*ownBackend_)) {}

FileLayer::FileLayer(Backend& backend) : front_(std::make_unique<FileFront>(backend)) {}

FileLayer::~FileLayer() = default;

void FileLayer::SetCaseChangeListener(CaseChangeListener* listener) {
    front_->SetCaseChangeListener(listener);
}

void FileLayer::ArmStepHook(std::function<void(Step)> hook) {
    front_->ArmStepHook(std::move(hook));
}

bool FileLayer::RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    return front_->RenameOnDisk(oldPath, newPath);
}

bool FileLayer::RenameOnDisk(const std::string& oldPath, const std::string& newPath,
                             std::string& fileNowAt) {
    return front_->RenameOnDisk(oldPath, newPath, fileNowAt);
}

AttributeSet FileLayer::ReadAttributes(const std::string& path) {
    return front_->ReadAttributes(path);
}

bool FileLayer::ApplyAttributes(const std::string& path, AttributeSet wanted) {
    return front_->ApplyAttributes(path, wanted);
}

std::optional<LocalDateTime> FileLayer::GetCreationTime(const std::string& path) {
    return front_->GetCreationTime(path);
}

std::optional<LocalDateTime> FileLayer::GetModifyTime(const std::string& path) {
    return front_->GetModifyTime(path);
}

bool FileLayer::SetCreationTime(const std::string& path, const LocalDateTime& date,
                                const LocalDateTime& time) {
    return front_->SetTime(path, TimeSlot::Creation, date, time);
}

bool FileLayer::SetModifyTime(const std::string& path, const LocalDateTime& date,
                              const LocalDateTime& time) {
    return front_->SetTime(path, TimeSlot::AccessAndModify, date, time);
}

FileSummary FileLayer::ReadFileSummary(const std::string& path) {
    return front_->ReadFileSummary(path);
}

FileSummaryAndStamp FileLayer::ReadFileSummaryAndStamp(const std::string& path) {
    return front_->ReadFileSummaryAndStamp(path);
}

std::optional<LocalDateTime> FileLayer::LocalTimeOf(const ExactTime& utc) {
    return front_->LocalTimeOf(utc);
}

std::optional<FileIdentity> FileLayer::ReadFileIdentity(const std::string& path) {
    const std::optional<FileStamp> stamp = ReadFileStamp(path);
    return stamp ? std::optional<FileIdentity>(stamp->identity) : std::nullopt;
}

std::vector<std::optional<FileIdentity>>
FileLayer::ReadFileIdentities(std::span<const std::string> paths) {
    std::vector<std::optional<FileIdentity>> identities;
    identities.reserve(paths.size());
    for (const std::optional<FileStamp>& stamp : ReadFileStamps(paths))
        identities.push_back(stamp ? std::optional<FileIdentity>(stamp->identity) : std::nullopt);
    return identities;
}

std::optional<FileStamp> FileLayer::ReadFileStamp(const std::string& path) {
    return front_->ReadFileStamp(path);
}

std::vector<std::optional<FileStamp>>
FileLayer::ReadFileStamps(std::span<const std::string> paths) {
    return front_->ReadFileStamps(paths);
}

std::optional<ExactMetadata> FileLayer::ReadExactMetadata(const std::string& path) {
    return front_->ReadExactMetadata(path);
}

MetadataRestore FileLayer::RestoreExactMetadata(const std::string& path,
                                                const ExactMetadata& before,
                                                const ExactMetadata& runLeft) {
    return front_->RestoreExactMetadata(path, before, runLeft);
}

bool FileLayer::RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) {
    return front_->RemoveEmptyFileMadeSince(path, notBefore);
}

std::vector<bool> FileLayer::ListedAsSpelled(std::span<const std::string> paths) {
    return front_->ListedAsSpelled(paths);
}

FolderFacts FileLayer::ReadFolderFacts(const std::string& folder) {
    return front_->ReadFolderFacts(folder);
}

void FileLayer::HoldFolders(bool hold) {
    front_->HoldFolders(hold);
}

bool FileLayer::AllowsTwoThreads() const {
    return !oneThread_ && front_->AllowsTwoThreads();
}

// FileOps.h's free functions, each over a layer of its own for the one call.

PathSyntax NativePathSyntax() {
    return MakeNativeBackend()->Syntax();
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    return FileLayer().RenameOnDisk(oldPath, newPath);
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt) {
    return FileLayer().RenameOnDisk(oldPath, newPath, fileNowAt);
}

AttributeSet ReadAttributes(const std::string& path) {
    return FileLayer().ReadAttributes(path);
}

bool ApplyAttributes(const std::string& path, AttributeSet wanted) {
    return FileLayer().ApplyAttributes(path, wanted);
}

std::optional<LocalDateTime> GetCreationTime(const std::string& path) {
    return FileLayer().GetCreationTime(path);
}

std::optional<LocalDateTime> GetModifyTime(const std::string& path) {
    return FileLayer().GetModifyTime(path);
}

bool SetCreationTime(const std::string& path, const LocalDateTime& date,
                     const LocalDateTime& time) {
    return FileLayer().SetCreationTime(path, date, time);
}

bool SetModifyTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time) {
    return FileLayer().SetModifyTime(path, date, time);
}

FileSummary ReadFileSummary(const std::string& path) {
    return FileLayer().ReadFileSummary(path);
}

FileSummaryAndStamp ReadFileSummaryAndStamp(const std::string& path) {
    return FileLayer().ReadFileSummaryAndStamp(path);
}

std::optional<FileStamp> ReadFileStamp(const std::string& path) {
    return FileLayer().ReadFileStamp(path);
}

std::vector<std::optional<FileStamp>> ReadFileStamps(std::span<const std::string> paths) {
    return FileLayer().ReadFileStamps(paths);
}

std::optional<FileIdentity> ReadFileIdentity(const std::string& path) {
    return FileLayer().ReadFileIdentity(path);
}

std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths) {
    return FileLayer().ReadFileIdentities(paths);
}

std::optional<ExactMetadata> ReadExactMetadata(const std::string& path) {
    return FileLayer().ReadExactMetadata(path);
}

MetadataRestore RestoreExactMetadata(const std::string& path, const ExactMetadata& before,
                                     const ExactMetadata& runLeft) {
    return FileLayer().RestoreExactMetadata(path, before, runLeft);
}

bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) {
    return FileLayer().RemoveEmptyFileMadeSince(path, notBefore);
}

std::vector<bool> ListedAsSpelled(std::span<const std::string> paths) {
    return FileLayer().ListedAsSpelled(paths);
}

FolderFacts ReadFolderFacts(const std::string& folder) {
    return FileLayer().ReadFolderFacts(folder);
}

} // namespace tarvolin
