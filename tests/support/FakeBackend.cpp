#include "FakeBackend.h"

#include <algorithm>
#include <stdexcept>

namespace tarvolin::test {

namespace {

std::string Lowered(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return name;
}

} // namespace

void FakeBackend::Add(const std::string& path) {
    files[path] = ExactMetadata{0, kMadeAt, kMadeAt, kMadeAt, true, false};
    numbers_[path] = numbers_.size() + 1;
}

int FakeBackend::Calls(Call call) const {
    const auto found = calls_.find(call);
    return found == calls_.end() ? 0 : found->second;
}

bool FakeBackend::Refused(Call call) {
    if (throws)
        throw std::runtime_error("fake backend told to throw");
    const int occurrence = ++calls_[call];
    const auto [first, last] = refusals_.equal_range(call);
    return std::any_of(first, last,
                       [&](const auto& refusal) { return refusal.second == occurrence; });
}

std::map<std::string, ExactMetadata>::iterator FakeBackend::Find(const std::string& path) {
    if (throws)
        throw std::runtime_error("fake backend told to throw");
    return std::find_if(files.begin(), files.end(), [&](const auto& file) {
        return file.first == path || (foldsCase && Lowered(file.first) == Lowered(path));
    });
}

std::string FakeBackend::Beside(const std::string& path, const std::string& name) const {
    return path.substr(0, path.rfind('/') + 1) + name;
}

std::string_view FakeBackend::LastName(const std::string& path) const {
    return std::string_view(path).substr(path.rfind('/') + 1);
}

EntryKind FakeBackend::KindOf(const std::string& path) {
    return Find(path) != files.end() ? EntryKind::File : EntryKind::Missing;
}

std::optional<FileStamp> FakeBackend::ReadStamp(const std::string& path) {
    const auto file = Find(path);
    if (file == files.end())
        return std::nullopt;
    return FileStamp{FileIdentity{1, numbers_[file->first]}, {}};
}

ListedAs FakeBackend::HowListed(const std::string& path) {
    return files.contains(path) ? ListedAs::Given : ListedAs::Absent;
}

MoveOutcome FakeBackend::Move(const std::string& from, const std::string& to, MoveWatch&) {
    if (Refused(Call::Move))
        return MoveOutcome::Refused;
    const auto source = Find(from);
    if (source == files.end())
        return MoveOutcome::Refused;
    if (Find(to) != files.end())
        return MoveOutcome::TargetExists;
    numbers_[to] = numbers_[source->first];
    files[to] = source->second;
    files.erase(source);
    return MoveOutcome::Moved;
}

TakenBy FakeBackend::WhatTakesName(const std::string& oldPath, const std::string& newPath) {
    if (oldPath == newPath)
        return TakenBy::SameEntry;
    return foldsCase && Lowered(oldPath) == Lowered(newPath) ? TakenBy::LetterCaseAlias
                                                             : TakenBy::OtherEntry;
}

std::optional<ExactMetadata> FakeBackend::ReadMetadata(const std::string& path) {
    const auto file = Find(path);
    return file != files.end() ? std::optional<ExactMetadata>(file->second) : std::nullopt;
}

std::optional<ExactTime> FakeBackend::ReadModifyTime(const std::string& path) {
    const auto file = Find(path);
    return file != files.end() ? file->second.modify : std::nullopt;
}

std::optional<AttributeSet> FakeBackend::WriteAttributes(const std::string& path,
                                                         AttributeSet wanted) {
    const auto file = Find(path);
    if (Refused(Call::WriteAttributes) || file == files.end())
        return std::nullopt;
    return file->second.attributes = wanted & keptBits;
}

std::optional<ExactTime> FakeBackend::WriteTime(const std::string& path, TimeSlot slot,
                                                const ExactTime& utc) {
    const auto file = Find(path);
    if (Refused(Call::WriteTime) || file == files.end())
        return std::nullopt;
    if (slot == TimeSlot::Creation)
        return file->second.creation = utc;
    file->second.access = utc;
    return file->second.modify = utc;
}

bool FakeBackend::PutBack(const std::string& path, const ExactMetadata&,
                          const ExactMetadata& before, const RestorePlan& plan,
                          AttributeSet wanted) {
    const auto file = Find(path);
    if (Refused(Call::PutBack) || file == files.end())
        return false;
    if (plan.times)
        file->second.modify = before.modify;
    if (plan.creation)
        file->second.creation = before.creation;
    file->second.attributes = wanted & keptBits;
    return true;
}

// A case-sensitive volume that keeps everything: the names are the files held in `folder`.
FolderFacts FakeBackend::ReadFolderFacts(const std::string& folder) {
    FolderFacts facts;
    facts.listed = true;
    facts.writable = true;
    facts.storesCreationTime = true;
    for (const auto& [path, metadata] : files)
        if (path.starts_with(folder + "/") &&
            path.find('/', folder.size() + 1) == std::string::npos)
            facts.names.push_back(path.substr(folder.size() + 1));
    return facts;
}

bool FakeBackend::RemoveEmptyFileMadeSince(const std::string& path, long long) {
    return files.erase(path) == 1;
}

// Each field in a range of its own, so the count reads back as the same fields.
std::optional<ExactTime> FakeBackend::LocalToUtc(const LocalDateTime& local) {
    const long long days = (local.year * 13LL + local.month) * 32 + local.day;
    return ExactTime{((days * 24 + local.hour) * 60 + local.minute) * 60 + local.second,
                     static_cast<unsigned>(local.millisecond) * 1'000'000};
}

std::optional<LocalDateTime> FakeBackend::UtcToLocal(const ExactTime& utc) {
    long long rest = utc.seconds;
    const auto next = [&rest](int range) {
        const int field = static_cast<int>(rest % range);
        rest /= range;
        return field;
    };
    LocalDateTime local;
    local.millisecond = static_cast<int>(utc.nanoseconds / 1'000'000);
    local.second = next(60);
    local.minute = next(60);
    local.hour = next(24);
    local.day = next(32);
    local.month = next(13);
    local.year = static_cast<int>(rest);
    return local;
}

} // namespace tarvolin::test
