// Attributes and times read and put back exactly on Windows: the four times to the 100 ns the
// system keeps, in any year from 1601, through a handle that asks only to write attributes,
// which a read-only file grants. NTFS always keeps a creation time of its own and no record
// beside the file.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "ExactMetadata.h"

#include "FileAccess.h"
#include "LocalTime.h"

namespace tarvolin {

bool PutBackTimes(const std::string& path, const ExactMetadata& before, const RestorePlan& plan) {
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

std::optional<ExactMetadata> ReadWindowsMetadata(const std::string& path) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return WindowsMetadataOf(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                             data.ftLastWriteTime);
}

ExactMetadata WindowsMetadataOf(DWORD attributes, const FILETIME& created, const FILETIME& accessed,
                                const FILETIME& written) {
    ExactMetadata metadata;
    metadata.attributes = static_cast<AttributeSet>(attributes & kFourAttributes);
    metadata.modify = ToExactTime(written);
    metadata.access = ToExactTime(accessed);
    metadata.creation = ToExactTime(created);
    metadata.creationStored = true;
    return metadata;
}

} // namespace tarvolin
