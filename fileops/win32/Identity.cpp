// Which file a path names on Windows, and what it shows. The volume serial is the volume's
// own identity and lasts across mounts; the creation time can be set by any program (this
// one included), so it is no birth time: the change time tells a file instead.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "Identity.h"

#include "FileAccess.h"
#include "LocalTime.h"

namespace tarvolin {

std::optional<FileStamp> StampOf(const std::string& path) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    if (!wide)
        return std::nullopt;
    const Handle file(CreateFileW(
        wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info) ||
        !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
        return std::nullopt;
    FileStamp stamp;
    stamp.identity = FileIdentity{info.dwVolumeSerialNumber,
                                  (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                                      info.nFileIndexLow,
                                  info.dwVolumeSerialNumber, true};
    stamp.fingerprint.size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.fingerprint.modify = ToExactTime(info.ftLastWriteTime);
    stamp.fingerprint.change = ToExactTime(basic.ChangeTime.QuadPart);
    return stamp;
}

} // namespace tarvolin
