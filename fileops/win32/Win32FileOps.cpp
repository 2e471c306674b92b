// The Windows backend of FileOps.h.
//
// Paths stay UTF-8 inside the program and become UTF-16 only here, so every name Windows
// allows can be renamed, whatever the user's ANSI code page. Choices made on purpose, as in
// the Linux backend:
// - A time outside what an MS-DOS date-time can hold fails rather than reporting a success
//   that wrote nothing.
// - Local and UTC time convert with the offset in force at the date itself (the zone's
//   daylight-saving rule applied to that date), not with today's offset.
// - A file is looked up at exactly the given path, never as a search pattern.
// - A rename never replaces another file and never copies across volumes.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "CaseChangeNotice.h"
#include "DosDateTime.h"
#include "FileOps.h"
#include "Guarded.h"
#include "Win32Handle.h"
#include "Win32Paths.h"

#include <optional>
#include <string>
#include <windows.h>

namespace tarvolin {

namespace {

// The bits pass to and from the system unchanged.
static_assert(kFourAttributes == (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));

std::optional<WIN32_FILE_ATTRIBUTE_DATA> QueryFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data;
}

std::optional<LocalDateTime> ToLocal(const FILETIME& utc) {
    SYSTEMTIME utcFields{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utc, &utcFields) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &local))
        return std::nullopt;
    return LocalDateTime{local.wYear,   local.wMonth,  local.wDay,         local.wHour,
                         local.wMinute, local.wSecond, local.wMilliseconds};
}

std::optional<FILETIME> ToUtc(const LocalDateTime& local) {
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(local.year);
    fields.wMonth = static_cast<WORD>(local.month);
    fields.wDay = static_cast<WORD>(local.day);
    fields.wHour = static_cast<WORD>(local.hour);
    fields.wMinute = static_cast<WORD>(local.minute);
    fields.wSecond = static_cast<WORD>(local.second);
    fields.wMilliseconds = static_cast<WORD>(local.millisecond);
    SYSTEMTIME utc{};
    FILETIME fileTime{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &fields, &utc) ||
        !SystemTimeToFileTime(&utc, &fileTime))
        return std::nullopt;
    return fileTime;
}

// A refusal of the program's own, with the system's code that says why.
bool RefuseFor(DWORD error) {
    SetLastError(error);
    return false;
}

enum class TimeSlot { Creation, AccessAndModify };

// Opened for reading the file and writing its attributes, which is all SetFileTime needs: a
// read-only file grants both, so a run can make files read-only and give them times in one
// go. With no sharing, a file that another program holds open refuses (reading is an access
// that sharing governs, writing attributes alone is not). A directory is refused.
bool WriteFileTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time,
                   TimeSlot slot) {
    const std::optional<std::wstring> systemPath = ToSystemPath(path);
    if (!systemPath)
        return RefuseFor(ERROR_INVALID_NAME);
    const Handle file(CreateFileW(systemPath->c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info))
        return false;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return RefuseFor(ERROR_ACCESS_DENIED);
    const std::optional<LocalDateTime> local = AtDosPrecision(date, time);
    const std::optional<FILETIME> utc = local ? ToUtc(*local) : std::nullopt;
    if (!utc)
        return RefuseFor(ERROR_INVALID_PARAMETER);
    if (slot == TimeSlot::Creation)
        return SetFileTime(file.get(), &*utc, nullptr, nullptr) != 0;
    return SetFileTime(file.get(), nullptr, &*utc, &*utc) != 0;
}

// Both paths open to one file (the same volume and file index); a link is not followed, so a
// symbolic link to a file is another file.
bool SameFile(const std::wstring& a, const std::wstring& b, DWORD* links = nullptr) {
    const auto identify = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        const Handle file(CreateFileW(
            path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return file.valid() && GetFileInformationByHandle(file.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION infoA{};
    BY_HANDLE_FILE_INFORMATION infoB{};
    if (!identify(a, infoA) || !identify(b, infoB))
        return false;
    if (links != nullptr)
        *links = infoA.nNumberOfLinks;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// Two spellings of one file name one directory entry, not two hard links of it: a file with
// a single link has one entry; with more, the stored names and the directories must agree.
bool SameEntry(const std::wstring& oldPath, const std::wstring& newPath) {
    DWORD links = 0;
    if (!SameFile(oldPath, newPath, &links))
        return false;
    if (links <= 1)
        return true;
    const std::optional<std::wstring> oldName = StoredName(oldPath);
    const std::optional<std::wstring> newName = StoredName(newPath);
    return oldName && newName && *oldName == *newName &&
           SameFile(ParentDirectory(oldPath), ParentDirectory(newPath));
}

bool MoveWithoutReplacing(const std::wstring& from, const std::wstring& to) {
    // No MOVEFILE_COPY_ALLOWED: a copy across volumes followed by a delete is no rename, and
    // a failure halfway would leave two files.
    return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

bool MoveToTemporaryName(const std::string& oldPath, const std::string& newPath,
                         const std::wstring& from, std::wstring& temporary,
                         std::string& temporaryUtf8) {
    constexpr int kAttempts = 100; // names left over by someone else are skipped
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::size_t slash = newPath.find_last_of("\\/");
        const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const std::string name =
            newPath.substr(0, nameStart) +
            CaseChangeTemporaryName(newPath.substr(nameStart), GetCurrentProcessId());
        const std::optional<std::wstring> wide = ToSystemPath(name);
        if (!wide)
            return false;
        temporary = *wide;
        temporaryUtf8 = name;
        AnnounceCaseChange(oldPath, name, newPath);
        if (MoveWithoutReplacing(from, temporary))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

// The entry of `oldPath` is the one `newPath` names. Windows changes the letter case in
// place; Wine reports success and keeps the old spelling, so the name goes through a
// temporary one and is checked afterwards (pinned by LetterCase.ShowsTheNewSpellingOnly).
// When another program takes the name meanwhile, the file stays under the temporary name,
// which `fileNowAt` then holds.
bool ShowNewLetterCase(const std::string& oldUtf8, const std::string& newUtf8,
                       const std::wstring& oldPath, const std::wstring& newPath,
                       std::string& fileNowAt) {
    const std::wstring wanted = FinalComponent(newPath);
    const std::optional<std::wstring> stored = StoredName(newPath);
    if (!stored)
        return false;
    // Another spelling of the same name that is not merely another letter case (a short
    // 8.3 alias) leaves the name as it is.
    if (*stored == wanted || !EqualIgnoringCase(*stored, wanted))
        return true;
    std::wstring temporary;
    std::string temporaryUtf8;
    if (!MoveToTemporaryName(oldUtf8, newUtf8, oldPath, temporary, temporaryUtf8))
        return false;
    if (!MoveWithoutReplacing(temporary, newPath)) {
        if (!MoveWithoutReplacing(temporary, oldPath))
            fileNowAt = temporaryUtf8;
        return false;
    }
    const bool done = StoredName(newPath) == wanted;
    if (done)
        AnnounceCaseChangeFinished(newUtf8);
    return done;
}

bool Rename(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt) {
    const std::optional<std::wstring> from = ToSystemPath(oldPath);
    const std::optional<std::wstring> to = ToSystemPath(newPath);
    if (!from || !to)
        return RefuseFor(ERROR_INVALID_NAME);
    if (oldPath == newPath) // nothing to move, but a vanished file must not look renamed
        return QueryFile(*from).has_value();
    if (MoveWithoutReplacing(*from, *to)) {
        // The old name gone (or taken by a new file since): a real move.
        if (!SameFile(*from, *to))
            return true;
        // Still one file under both names: a letter-case change, or Wine taking a move onto
        // the file's own hard link as done (pinned by SecondHardLink.IsRefusedAndBothNamesStay).
    } else {
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    // The looks that tell another file from a second spelling of this one leave the last
    // error as they like: the name is taken.
    if (!SameEntry(*from, *to))
        return RefuseFor(ERROR_ALREADY_EXISTS);
    return ShowNewLetterCase(oldPath, newPath, *from, *to, fileNowAt);
}

// FILETIME counts 100 ns steps from 1601; Unix seconds start in 1970.
long long UnixSeconds(const FILETIME& time) {
    constexpr unsigned long long kStepsFrom1601To1970 = 116444736000000000ULL;
    constexpr unsigned long long kStepsPerSecond = 10000000ULL;
    const unsigned long long steps =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (static_cast<long long>(steps) - static_cast<long long>(kStepsFrom1601To1970)) /
           static_cast<long long>(kStepsPerSecond);
}

} // namespace

PathSyntax NativePathSyntax() {
    return PathSyntax::Windows;
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath) {
    std::string fileNowAt;
    return RenameOnDisk(oldPath, newPath, fileNowAt);
}

bool RenameOnDisk(const std::string& oldPath, const std::string& newPath, std::string& fileNowAt) {
    fileNowAt = oldPath;
    const bool moved =
        Guarded(false, [&]() -> bool { return Rename(oldPath, newPath, fileNowAt); });
    if (moved)
        fileNowAt = newPath;
    return moved;
}

// Windows renames without a reservation, so only an empty file is ever left here; the same
// check keeps the promise all the same. FAT rounds its times down to two seconds.
bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) {
    return Guarded(false, [&]() -> bool {
        constexpr long long kCoarsestTimeStep = 2;
        const std::optional<std::wstring> systemPath = ToSystemPath(path);
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data =
            systemPath ? QueryFile(*systemPath) : std::nullopt;
        return data &&
               (data->dwFileAttributes &
                (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
               data->nFileSizeHigh == 0 && data->nFileSizeLow == 0 &&
               UnixSeconds(data->ftCreationTime) + kCoarsestTimeStep >= notBefore &&
               DeleteFileW(systemPath->c_str()) != 0;
    });
}

std::vector<bool> ListedAsSpelled(std::span<const std::string> paths) {
    return Guarded(std::vector<bool>(paths.size(), false), [&] {
        std::vector<bool> listed;
        listed.reserve(paths.size());
        for (const std::string& path : paths) {
            const std::optional<std::wstring> systemPath = ToSystemPath(path);
            const std::optional<std::wstring> stored =
                systemPath ? StoredName(*systemPath) : std::nullopt;
            listed.push_back(stored && *stored == FinalComponent(*systemPath));
        }
        return listed;
    });
}

AttributeSet ReadAttributes(const std::string& path) {
    return Guarded(kUnreadableAttributes, [&]() -> AttributeSet {
        const std::optional<std::wstring> systemPath = ToSystemPath(path);
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data =
            systemPath ? QueryFile(*systemPath) : std::nullopt;
        return data ? static_cast<AttributeSet>(data->dwFileAttributes & kFourAttributes)
                    : kUnreadableAttributes;
    });
}

bool ApplyAttributes(const std::string& path, AttributeSet wanted) {
    return Guarded(false, [&]() -> bool {
        const std::optional<std::wstring> systemPath = ToSystemPath(path);
        if (!systemPath)
            return RefuseFor(ERROR_INVALID_NAME);
        if ((wanted & ~kFourAttributes) != 0)
            return RefuseFor(ERROR_INVALID_PARAMETER);
        const auto bits = static_cast<DWORD>(wanted);
        // 0 would mean "leave the attributes as they are" to the file system.
        return SetFileAttributesW(systemPath->c_str(), bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL) !=
               0;
    });
}

std::optional<LocalDateTime> GetCreationTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        return ReadFileSummary(path).creationTime;
    });
}

std::optional<LocalDateTime> GetModifyTime(const std::string& path) {
    return Guarded(std::optional<LocalDateTime>{}, [&]() -> std::optional<LocalDateTime> {
        return ReadFileSummary(path).modifyTime;
    });
}

bool SetCreationTime(const std::string& path, const LocalDateTime& date,
                     const LocalDateTime& time) {
    return Guarded(false,
                   [&]() -> bool { return WriteFileTime(path, date, time, TimeSlot::Creation); });
}

bool SetModifyTime(const std::string& path, const LocalDateTime& date, const LocalDateTime& time) {
    return Guarded(false, [&]() -> bool {
        return WriteFileTime(path, date, time, TimeSlot::AccessAndModify);
    });
}

FileSummary ReadFileSummary(const std::string& path) {
    return Guarded(FileSummary{}, [&]() -> FileSummary {
        const std::optional<std::wstring> systemPath = ToSystemPath(path);
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data =
            systemPath ? QueryFile(*systemPath) : std::nullopt;
        if (!data)
            return FileSummary{};
        return FileSummary{static_cast<AttributeSet>(data->dwFileAttributes & kFourAttributes),
                           ToLocal(data->ftCreationTime), ToLocal(data->ftLastWriteTime)};
    });
}

} // namespace tarvolin
