// Run journals on Windows: a file opened for appending that others may read but not write
// while the run goes on, and FlushFileBuffers where a power loss must not take it (the folder
// entry is journaled by the file system itself).
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FileOps.h"
#include "Win32Paths.h"

#include <algorithm>
#include <cwchar>
#include <windows.h>

namespace tarvolin {

namespace {

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
            if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0)
                return false;
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool MakeDurable() override { return FlushFileBuffers(handle_) != 0; }

private:
    HANDLE handle_;
};

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

} // namespace tarvolin
