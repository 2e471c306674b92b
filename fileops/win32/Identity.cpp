// Which file a path names on Windows, and what it shows. The volume serial is the volume's
// own identity and lasts across mounts; the creation time can be set by any program (this
// one included), so it is no birth time: the change time tells a file instead.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "Identity.h"

#include "ExactMetadata.h"
#include "FileAccess.h"
#include "LocalTime.h"

namespace tarvolin {

namespace {

// What one handle on the entry itself (a link not followed) tells of it.
struct HandleFacts {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
};

std::optional<HandleFacts> ReadHandleFacts(const std::string& path) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    if (!wide)
        return std::nullopt;
    const Handle file(CreateFileW(
        wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    HandleFacts facts;
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &facts.info) ||
        !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &facts.basic, sizeof facts.basic))
        return std::nullopt;
    return facts;
}

FileStamp StampFrom(const HandleFacts& facts) {
    const BY_HANDLE_FILE_INFORMATION& info = facts.info;
    FileStamp stamp;
    stamp.identity = FileIdentity{info.dwVolumeSerialNumber,
                                  (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                                      info.nFileIndexLow,
                                  info.dwVolumeSerialNumber, true};
    stamp.fingerprint.size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.fingerprint.modify = ToExactTime(info.ftLastWriteTime);
    stamp.fingerprint.change = ToExactTime(facts.basic.ChangeTime.QuadPart);
    return stamp;
}

} // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    const std::optional<HandleFacts> facts = ReadHandleFacts(path);
    return facts ? std::optional<FileStamp>(StampFrom(*facts)) : std::nullopt;
}

// The handle's information holds every part of the metadata as well; an entry no handle can
// be opened on without access (a paging file) is still read as a row is.
MetadataAndStamp MetadataAndStampOf(const std::string& path) {
    const std::optional<HandleFacts> facts = ReadHandleFacts(path);
    if (!facts)
        return {ReadWindowsMetadata(path), std::nullopt};
    const BY_HANDLE_FILE_INFORMATION& info = facts->info;
    return {WindowsMetadataOf(info.dwFileAttributes, info.ftCreationTime, info.ftLastAccessTime,
                              info.ftLastWriteTime),
            StampFrom(*facts)};
}

} // namespace tarvolin
