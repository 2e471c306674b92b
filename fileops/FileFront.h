#pragma once

// The file layer's rules, once for every platform, over one Backend: what FileOps.h promises.
// A FileLayer (FileOps.h) owns one, over the platform's own backend or a test's. Nothing a backend
// throws leaves the front: each operation answers it with its ordinary refusal.

#include "Backend.h"

#include <functional>

namespace tarvolin {

class FileFront : private MoveWatch {
public:
    explicit FileFront(Backend& backend) : backend_(backend) {}

    // None by default; the listener must outlive the renames it hears of.
    void SetCaseChangeListener(CaseChangeListener* listener) { listener_ = listener; }
    // An empty function disarms.
    void ArmStepHook(std::function<void(Step)> hook) { hook_ = std::move(hook); }

    PathSyntax Syntax() const { return backend_.Syntax(); }

    bool RenameOnDisk(const std::string& oldPath, const std::string& newPath,
                      std::string& fileNowAt);
    bool RenameOnDisk(const std::string& oldPath, const std::string& newPath);
    // Gives the entry at `oldPath` the name `newPath`, which finds the same entry, by way of a
    // unique temporary name in the same folder: a case-insensitive volume treats a direct
    // rename between the two spellings as a rename onto itself and keeps the old case. True
    // when the folder then lists the exact new name; where the folder lists every name in
    // lower case (as the temporary name shows), when the new name finds the file and the
    // temporary name is gone, as that is all such a listing can tell. When another program
    // takes the name while the file is away, neither spelling can have the file back: it
    // stays under the temporary name, which `fileNowAt` then holds.
    bool ChangeLetterCase(const std::string& oldPath, const std::string& newPath,
                          std::string& fileNowAt);

    AttributeSet ReadAttributes(const std::string& path);
    bool ApplyAttributes(const std::string& path, AttributeSet wanted);
    std::optional<LocalDateTime> GetCreationTime(const std::string& path);
    std::optional<LocalDateTime> GetModifyTime(const std::string& path);
    bool SetTime(const std::string& path, TimeSlot slot, const LocalDateTime& date,
                 const LocalDateTime& time);
    FileSummary ReadFileSummary(const std::string& path);
    FileSummaryAndStamp ReadFileSummaryAndStamp(const std::string& path);
    std::optional<LocalDateTime> LocalTimeOf(const ExactTime& utc);
    std::optional<FileStamp> ReadFileStamp(const std::string& path);
    std::vector<std::optional<FileStamp>> ReadFileStamps(std::span<const std::string> paths);
    std::optional<ExactMetadata> ReadExactMetadata(const std::string& path);
    MetadataRestore RestoreExactMetadata(const std::string& path, const ExactMetadata& before,
                                         const ExactMetadata& runLeft);
    bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore);
    std::vector<bool> ListedAsSpelled(std::span<const std::string> paths);
    FolderFacts ReadFolderFacts(const std::string& folder);
    void HoldFolders(bool hold) { backend_.HoldFolders(hold); }
    bool AllowsTwoThreads() const { return backend_.AllowsTwoThreads(); }

private:
    void ReservationStarting(const std::string& path) override;
    void ReservationDropped(const std::string& path) override;
    void Reached(Step step) override;

    bool Rename(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt);
    bool MoveToTemporaryName(const std::string& oldPath, const std::string& newPath,
                             std::string& temporary);
    bool FoundOnlyUnderNewName(const std::string& newPath, const std::string& temporary,
                               const FileIdentity& file);
    std::optional<LocalDateTime> LocalInSameSecond(const std::optional<LocalDateTime>& local,
                                                   const ExactTime& known, const ExactTime& utc);
    void WriteMetadata(const std::string& path, const ExactMetadata& now,
                       const ExactMetadata& before, const ExactMetadata& runLeft,
                       MetadataRestore& result);

    FileSummary SummaryOf(const std::optional<ExactMetadata>& metadata);

    Backend& backend_;
    CaseChangeListener* listener_ = nullptr;
    std::function<void(Step)> hook_;
};

} // namespace tarvolin
