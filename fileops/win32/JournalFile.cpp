// Run journals on Windows: a file opened for appending that others may read but not write
// while the run goes on, and FlushFileBuffers where a power loss must not take it (the folder
// entry is journaled by the file system itself).
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FileAccess.h"
#include "FileOps.h"
#include "Guarded.h"

#include <algorithm>
#include <cwchar>
#include <windows.h>

namespace tarvolin {

namespace {

std::string SystemMessage(DWORD code);

std::string ToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

HANDLE OpenForAppending(const std::string& path, DWORD disposition) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    if (!wide)
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32JournalFile final : public JournalFile {
public:
    explicit Win32JournalFile(HANDLE handle) : handle_(handle) {}
    ~Win32JournalFile() override { CloseHandle(handle_); }
    Win32JournalFile(const Win32JournalFile&) = delete;
    Win32JournalFile& operator=(const Win32JournalFile&) = delete;

    bool Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) {
                failure_ = SystemMessage(GetLastError());
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool MakeDurable() override {
        if (FlushFileBuffers(handle_) != 0)
            return true;
        failure_ = SystemMessage(GetLastError());
        return false;
    }

    std::string failure() const override { return failure_; }

private:
    HANDLE handle_;
    std::string failure_;
};

class Win32JournalSource final : public JournalSource {
public:
    Win32JournalSource(HANDLE handle, unsigned long long size) : handle_(handle), size_(size) {}
    ~Win32JournalSource() override { CloseHandle(handle_); }
    Win32JournalSource(const Win32JournalSource&) = delete;
    Win32JournalSource& operator=(const Win32JournalSource&) = delete;

    unsigned long long size() const override { return size_; }
    long long ReadAt(unsigned long long offset, std::span<char> buffer) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (ReadFile(handle_, buffer.data(), wanted, &got, &at))
            return got;
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }

private:
    HANDLE handle_;
    unsigned long long size_;
};

// A plain file on a disk: not a folder, a link or junction, a pipe or a device.
bool IsPlainFile(HANDLE handle, unsigned long long& size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return false;
    size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

// Opened without following a link; a folder cannot be opened this way at all.
HANDLE OpenItself(const std::string& path, DWORD access, DWORD share) {
    const std::optional<std::wstring> wide = ToSystemPath(path);
    if (!wide)
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide->c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

std::string SystemMessage(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

std::unique_ptr<JournalFile> Wrap(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32JournalFile>(handle);
}

// The system's own words for the last error, after the path it concerns.
void Explain(std::string* problem, const std::string& path) {
    if (problem == nullptr)
        return;
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = text != nullptr ? text : L"unknown error";
    LocalFree(text);
    while (!words.empty() &&
           (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.'))
        words.pop_back();
    *problem = path + ": " + ToUtf8(words);
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(0, cut);
}

// No value for a name that is not valid UTF-16 (a lone surrogate), which no UTF-8 path holds.
std::optional<std::string> StrictUtf8(const wchar_t* name) {
    const int size =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, -1, utf8.data(), size, nullptr,
                        nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

} // namespace

std::string JournalDirectory(std::string* problem) {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || local[0] == L'\0') {
        if (problem != nullptr)
            *problem = "LOCALAPPDATA names no folder";
        return {};
    }
    const std::wstring folder = std::wstring(local) + L"\\ctarvolin";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        Explain(problem, ToUtf8(folder));
        return {};
    }
    return ToUtf8(folder);
}

std::unique_ptr<JournalFile> JournalFile::Create(const std::string& path, std::string* problem) {
    std::unique_ptr<JournalFile> file = Wrap(OpenForAppending(path, CREATE_NEW));
    if (!file)
        Explain(problem, FolderOf(path));
    return file;
}

std::unique_ptr<JournalFile> JournalFile::OpenToAppend(const std::string& path) {
    return Wrap(OpenForAppending(path, OPEN_EXISTING));
}

bool IsJournalInUse(const std::string& path) {
    const HANDLE handle = OpenForAppending(path, OPEN_EXISTING);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::vector<std::string> ListJournalFolder(const std::string& folder) {
    return Guarded(std::vector<std::string>(), [&] {
        std::vector<std::string> names;
        std::optional<std::wstring> pattern = ToSystemPath(folder);
        if (!pattern)
            return names;
        if (!pattern->empty() && pattern->back() != L'\\' && pattern->back() != L'/')
            *pattern += L'\\';
        *pattern += L'*';
        WIN32_FIND_DATAW entry{};
        const HANDLE search = FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &entry,
                                               FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::wstring_view name = entry.cFileName;
            const std::optional<std::string> utf8 = StrictUtf8(entry.cFileName);
            if (name != L"." && name != L".." && utf8)
                names.push_back(*utf8);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        return names;
    });
}

} // namespace tarvolin

namespace tarvolin {

std::unique_ptr<JournalSource> JournalSource::Open(const std::string& path, std::string& why) {
    // Others may go on writing the journal: its running program holds it open for appending.
    const HANDLE handle =
        OpenItself(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (handle == INVALID_HANDLE_VALUE) {
        why = SystemMessage(GetLastError());
        return nullptr;
    }
    unsigned long long size = 0;
    if (!IsPlainFile(handle, size)) {
        why = "it is not a regular file";
        CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<Win32JournalSource>(handle, size);
}

// Delete access is refused while the journal's program holds it, which shares no deletion.
bool RemoveEmptyJournal(const std::string& path) {
    const HANDLE handle = OpenItself(path, GENERIC_READ | DELETE, FILE_SHARE_READ);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    unsigned long long size = 1;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool removed =
        IsPlainFile(handle, size) && size == 0 &&
        SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
    CloseHandle(handle);
    return removed;
}

bool RemoveJournal(const std::string& path) {
    const std::optional<std::wstring> systemPath = ToSystemPath(path);
    return systemPath && DeleteFileW(systemPath->c_str()) != 0;
}

} // namespace tarvolin
