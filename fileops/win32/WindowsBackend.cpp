// The Windows backend of the file layer's front.
//
// Paths stay UTF-8 inside the program and become UTF-16 only here, so every name Windows
// allows can be renamed, whatever the user's ANSI code page. Local and UTC time convert with
// the offset in force at the date itself (the zone's daylight-saving rule applied to that
// date), not with today's. A file is looked up at exactly the given path, never as a search
// pattern. A rename never replaces another file and never copies across volumes.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "Backend.h"
#include "ExactMetadata.h"
#include "FileAccess.h"
#include "FolderFacts.h"
#include "Identity.h"
#include "LocalTime.h"

#include <optional>
#include <string>
#include <windows.h>

namespace tarvolin {

namespace {

// The bits pass to and from the system unchanged.
static_assert(kFourAttributes == (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));

std::optional<WIN32_FILE_ATTRIBUTE_DATA> QueryFile(const std::string& path) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return data;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
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

class WindowsBackend final : public Backend {
public:
    PathSyntax Syntax() const override { return PathSyntax::Windows; }

    std::string Beside(const std::string& path, const std::string& name) const override {
        return path.substr(0, NameStart(path)) + name;
    }

    std::string_view LastName(const std::string& path) const override {
        return std::string_view(path).substr(NameStart(path));
    }

    unsigned long ProcessId() const override { return GetCurrentProcessId(); }

    EntryKind KindOf(const std::string& path) override {
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = QueryFile(path);
        if (!data)
            return EntryKind::Missing;
        return (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder
                                                                        : EntryKind::File;
    }

    std::optional<FileStamp> ReadStamp(const std::string& path) override { return StampOf(path); }

    // A folder here lists a name as the volume stores it: as spelled, or under another
    // spelling, which counts as absent.
    ListedAs HowListed(const std::string& path) override {
        const std::optional<std::wstring> wide = ToSystemPath(path);
        const std::optional<std::wstring> stored = wide ? StoredName(*wide) : std::nullopt;
        return stored && *stored == FinalComponent(*wide) ? ListedAs::Given : ListedAs::Absent;
    }

    // No MOVEFILE_COPY_ALLOWED: a copy across volumes followed by a delete is no rename, and
    // a failure halfway would leave two files. A move that leaves one file under both names
    // found the new name taken by the file itself: a change of letter case, or Wine taking a
    // move onto the file's own hard link as done (pinned by
    // SecondHardLink.IsRefusedAndBothNamesStay).
    MoveOutcome Move(const std::string& from, const std::string& to, MoveWatch&) override {
        const std::optional<std::wstring> source = ToSystemPath(from);
        const std::optional<std::wstring> target = ToSystemPath(to);
        if (!source || !target)
            return MoveOutcome::Refused;
        if (MoveFileExW(source->c_str(), target->c_str(), 0) != 0)
            return SameFile(*source, *target) ? MoveOutcome::TargetExists : MoveOutcome::Moved;
        const DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                   ? MoveOutcome::TargetExists
                   : MoveOutcome::Refused;
    }

    // Windows changes the letter case in place; Wine reports success and keeps the old
    // spelling (pinned by LetterCase.ShowsTheNewSpellingOnly). Another spelling of the same
    // name that is not merely another letter case (a short 8.3 alias) leaves the name as it is.
    TakenBy WhatTakesName(const std::string& oldPath, const std::string& newPath) override {
        const std::optional<std::wstring> from = ToSystemPath(oldPath);
        const std::optional<std::wstring> to = ToSystemPath(newPath);
        if (!from || !to || !SameEntry(*from, *to))
            return TakenBy::OtherEntry;
        const std::wstring wanted = FinalComponent(*to);
        const std::optional<std::wstring> stored = StoredName(*to);
        if (!stored)
            return TakenBy::OtherEntry;
        return *stored == wanted || !EqualIgnoringCase(*stored, wanted) ? TakenBy::SameEntry
                                                                        : TakenBy::LetterCaseAlias;
    }

    // Windows itself refuses a name that differs only in letter case from another.
    bool HasCaseTwin(const std::string&, const std::string&) override { return false; }
    // Windows strips a trailing dot or space from a path it is handed rather than refuse it.
    bool KeepsWindowsNames(const std::string&) override { return true; }
    void NoteMoved(const std::string&, const std::string&) override {}

    std::optional<ExactMetadata> ReadMetadata(const std::string& path) override {
        return ReadWindowsMetadata(path);
    }

    MetadataAndStamp ReadMetadataAndStamp(const std::string& path) override {
        return MetadataAndStampOf(path);
    }

    std::optional<ExactTime> ReadModifyTime(const std::string& path) override {
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = QueryFile(path);
        return data ? std::optional<ExactTime>(ToExactTime(data->ftLastWriteTime)) : std::nullopt;
    }

    // The system refuses what a volume cannot keep, so its yes is taken as it is. Reading back
    // would refuse what Wine does keep: it shows the archive bit on any file it has no record
    // for (kWineArchive in the tests).
    std::optional<AttributeSet> WriteAttributes(const std::string& path,
                                                AttributeSet wanted) override {
        const std::optional<std::wstring> wide = ToSystemPath(path);
        const auto bits = static_cast<DWORD>(wanted);
        // 0 would mean "leave the attributes as they are" to the file system.
        if (!wide ||
            SetFileAttributesW(wide->c_str(), bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL) == 0)
            return std::nullopt;
        return wanted;
    }

    // Opened for reading the file and writing its attributes, which is all SetFileTime needs:
    // a read-only file grants both, so a run can make files read-only and give them times in
    // one go. With no sharing, a file that another program holds open refuses (reading is an
    // access that sharing governs, writing attributes alone is not). A directory is refused.
    std::optional<ExactTime> WriteTime(const std::string& path, TimeSlot slot,
                                       const ExactTime& utc) override {
        const std::optional<std::wstring> wide = ToSystemPath(path);
        const std::optional<FILETIME> time = ToFileTime(utc);
        if (!wide || !time)
            return std::nullopt;
        const Handle file(CreateFileW(wide->c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file.valid() || !GetFileInformationByHandle(file.get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return std::nullopt;
        // As with the attributes, the system's yes is taken as it is.
        const bool creation = slot == TimeSlot::Creation;
        if (!SetFileTime(file.get(), creation ? &*time : nullptr, creation ? nullptr : &*time,
                         creation ? nullptr : &*time))
            return std::nullopt;
        return utc;
    }

    bool PutBack(const std::string& path, const ExactMetadata& now, const ExactMetadata& before,
                 const RestorePlan& plan, AttributeSet wanted) override {
        return (!(plan.times || plan.creation) || PutBackTimes(path, before, plan)) &&
               (wanted == *now.attributes || WriteAttributes(path, wanted).has_value());
    }

    // Each call opens its file by the whole path; nothing is held.
    void HoldFolders(bool) override {}

    FolderFacts ReadFolderFacts(const std::string& folder) override {
        return ReadWindowsFolderFacts(folder);
    }

    // Windows renames without a reservation, so only an empty file is ever left here; the
    // same check keeps the promise all the same. FAT rounds its times down to two seconds.
    bool RemoveEmptyFileMadeSince(const std::string& path, long long notBefore) override {
        constexpr long long kCoarsestTimeStep = 2;
        const std::optional<std::wstring> wide = ToSystemPath(path);
        const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = QueryFile(path);
        return wide && data &&
               (data->dwFileAttributes &
                (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
               data->nFileSizeHigh == 0 && data->nFileSizeLow == 0 &&
               ToExactTime(data->ftCreationTime).seconds + kCoarsestTimeStep >= notBefore &&
               DeleteFileW(wide->c_str()) != 0;
    }

    std::optional<ExactTime> LocalToUtc(const LocalDateTime& local) override {
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
        return ToExactTime(fileTime);
    }

    std::optional<LocalDateTime> UtcToLocal(const ExactTime& utc) override {
        const std::optional<FILETIME> fileTime = ToFileTime(utc);
        SYSTEMTIME utcFields{};
        SYSTEMTIME local{};
        if (!fileTime || !FileTimeToSystemTime(&*fileTime, &utcFields) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &local))
            return std::nullopt;
        return LocalDateTime{local.wYear,   local.wMonth,  local.wDay,         local.wHour,
                             local.wMinute, local.wSecond, local.wMilliseconds};
    }
};

} // namespace

std::unique_ptr<Backend> MakeNativeBackend() {
    return std::make_unique<WindowsBackend>();
}

} // namespace tarvolin
