// Attributes and times read and put back exactly on Windows: the four times to the 100 ns the
// system keeps, in any year from 1601, through a handle that asks only to write attributes,
// which a read-only file grants. NTFS always keeps a creation time of its own and no record
// beside the file.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FileAccess.h"
#include "FileOps.h"
#include "Guarded.h"
#include "LocalTime.h"
#include "RestorePlan.h"

namespace tarvolin {

namespace {

bool SetTimes(const std::string& path, const ExactMetadata& before, const RestorePlan& plan) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    if (!wide)
        return false;
    const Handle file(CreateFileW(wide->c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<FILETIME> creation =
        plan.creation ? ToFileTime(*before.creation) : std::nullopt;
    const std::optional<FILETIME> modify = plan.times ? ToFileTime(*before.modify) : std::nullopt;
    const std::optional<FILETIME> access =
        plan.times ? ToFileTime(before.access.value_or(*before.modify)) : std::nullopt;
    if (!file.valid() || (plan.creation && !creation) || (plan.times && (!modify || !access)))
        return false;
    return SetFileTime(file.get(), creation ? &*creation : nullptr, access ? &*access : nullptr,
                       modify ? &*modify : nullptr) != 0;
}

} // namespace

std::optional<ExactMetadata> ReadExactMetadata(const std::string& path) {
    return Guarded(std::optional<ExactMetadata>{}, [&]() -> std::optional<ExactMetadata> {
        const std::optional<std::wstring> wide = ToSystemPath(path);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        ExactMetadata metadata;
        metadata.attributes = static_cast<AttributeSet>(data.dwFileAttributes & kFourAttributes);
        metadata.modify = ToExactTime(data.ftLastWriteTime);
        metadata.access = ToExactTime(data.ftLastAccessTime);
        metadata.creation = ToExactTime(data.ftCreationTime);
        metadata.creationStored = true;
        return metadata;
    });
}

MetadataRestore RestoreExactMetadata(const std::string& path, const ExactMetadata& before,
                                     const ExactMetadata& runLeft) {
    return Guarded(MetadataRestore{}, [&]() -> MetadataRestore {
        MetadataRestore result;
        const std::optional<ExactMetadata> now = ReadExactMetadata(path);
        if (!now)
            return result;
        const RestorePlan plan = PlanRestore(*now, before, runLeft, result);
        const bool attributes = before.attributes && *before.attributes != *now->attributes;
        result.changed = plan.times || plan.creation || attributes;
        const bool written = (!(plan.times || plan.creation) || SetTimes(path, before, plan)) &&
                             (!attributes || ApplyAttributes(path, *before.attributes));
        const std::optional<ExactMetadata> after = ReadExactMetadata(path);
        result.ok = written && after && HoldsRestored(*after, before, plan);
        return result;
    });
}

} // namespace tarvolin
