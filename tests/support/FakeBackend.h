#pragma once

// A file layer's backend held in memory, for the front's rules without a disk or root: a path
// is a key, a name finds its file in any letter case where `foldsCase`, and a test tells it
// which call to refuse. Times are kept as a plain count that reads back as the same fields,
// with no calendar or time zone behind them.

#include "Backend.h"

#include <map>
#include <string>
#include <vector>

namespace tarvolin::test {

class FakeBackend final : public Backend {
public:
    enum class Call { Move, WriteAttributes, WriteTime, PutBack };

    // A file with no attributes and every time at `kMadeAt`.
    void Add(const std::string& path);
    // The `occurrence`th call (from 1) of `call` fails as the volume would refuse it.
    void Refuse(Call call, int occurrence) { refusals_.emplace(call, occurrence); }
    int Calls(Call call) const;

    bool foldsCase = false;
    AttributeSet keptBits = kFourAttributes; // what an attribute write keeps
    bool throws = false;                     // every call throws, as an allocation might
    std::map<std::string, ExactMetadata> files;

    PathSyntax Syntax() const override { return PathSyntax::Posix; }
    std::string Beside(const std::string& path, const std::string& name) const override;
    std::string_view LastName(const std::string& path) const override;
    unsigned long ProcessId() const override { return 1; }
    EntryKind KindOf(const std::string& path) override;
    std::optional<FileStamp> ReadStamp(const std::string& path) override;
    ListedAs HowListed(const std::string& path) override;
    MoveOutcome Move(const std::string& from, const std::string& to, MoveWatch& watch) override;
    TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath) override;
    bool HasCaseTwin(const std::string&, const std::string&) override { return false; }
    bool KeepsWindowsNames(const std::string&) override { return false; }
    void NoteMoved(const std::string&, const std::string&) override {}
    std::optional<ExactMetadata> ReadMetadata(const std::string& path) override;
    std::optional<ExactTime> ReadModifyTime(const std::string& path) override;
    std::optional<AttributeSet> WriteAttributes(const std::string& path,
                                                AttributeSet wanted) override;
    std::optional<ExactTime> WriteTime(const std::string& path, TimeSlot slot,
                                       const ExactTime& utc) override;
    bool PutBack(const std::string& path, const ExactMetadata& now, const ExactMetadata& before,
                 const RestorePlan& plan, AttributeSet wanted) override;
    bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) override;
    FolderFacts ReadFolderFacts(const std::string& folder) override;
    void HoldFolders(bool) override {}
    std::optional<ExactTime> LocalToUtc(const LocalDateTime& local) override;
    std::optional<LocalDateTime> UtcToLocal(const ExactTime& utc) override;

    static constexpr ExactTime kMadeAt{1'000'000, 0};

private:
    // Counts the call and says whether it is one to refuse; throws when told to.
    bool Refused(Call call);
    // The key that `path` finds, in any letter case where the volume folds it.
    std::map<std::string, ExactMetadata>::iterator Find(const std::string& path);

    std::multimap<Call, int> refusals_;
    std::map<Call, int> calls_;
    std::map<std::string, unsigned long long> numbers_;
};

} // namespace tarvolin::test
