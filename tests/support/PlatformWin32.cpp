#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "Platform.h"

#include <random>
#include <stdexcept>
#include <windows.h>

namespace tarvolin::test {

namespace {

// FILETIME counts 100-nanosecond steps from 1601-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116'444'736'000'000'000;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

UtcTime FromFileTime(const FILETIME& time) {
    const std::int64_t ticks =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime) -
        kUnixEpochInFileTime;
    const std::int64_t seconds =
        ticks >= 0 ? ticks / kTicksPerSecond : -((-ticks + kTicksPerSecond - 1) / kTicksPerSecond);
    return UtcTime{seconds, static_cast<std::int32_t>((ticks - seconds * kTicksPerSecond) * 100)};
}

FILETIME ToFileTime(const UtcTime& time) {
    const auto ticks = static_cast<std::uint64_t>(time.seconds * kTicksPerSecond +
                                                  time.nanoseconds / 100 + kUnixEpochInFileTime);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

std::wstring Wide(const std::string& utf8) {
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), wideLength);
    return wide;
}

std::filesystem::path Utf8Path(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string CreateScratchDirectory() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("tarvolin-" + std::to_string(random() % 1'000'000'000));
        if (std::filesystem::create_directory(candidate))
            return Utf8String(candidate);
    }
    throw std::runtime_error("cannot create a directory in " + Utf8String(base));
}

// Windows refuses to delete a read-only file; giving back the owner's write permission
// clears that attribute.
void MakeRemovable(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
}

bool NamesMayHoldAnyByte() {
    return false;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::optional<FileIdentity> ReadFileIdentity(const std::string& path) {
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!read)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                            info.nFileIndexLow,
                        info.nNumberOfLinks};
}

std::optional<AccessAndModify> ReadRawTimes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return AccessAndModify{FromFileTime(data.ftLastAccessTime), FromFileTime(data.ftLastWriteTime)};
}

// FILE_WRITE_ATTRIBUTES alone is enough to set times, even of a read-only file.
bool WriteRawTimes(const std::string& path, const AccessAndModify& times) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME access = ToFileTime(times.access);
    const FILETIME modify = ToFileTime(times.modify);
    const bool written = SetFileTime(file, nullptr, &access, &modify) != 0;
    CloseHandle(file);
    return written;
}

} // namespace tarvolin::test
