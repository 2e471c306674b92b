#pragma once

// How the Windows backend reaches one file: its path as the system takes it (UTF-16, and in
// the \\?\ form when it is too long for the classic calls) and the handle it holds open.

#include <optional>
#include <string>
#include <windows.h>

namespace tarvolin {

// The UTF-8 path as UTF-16. A drive path of MAX_PATH characters or more gets the \\?\ prefix,
// with its '/' turned into '\' and its "." and ".." steps resolved, since the prefix makes
// the system take every character literally. No value for bytes that are not UTF-8 and for
// an embedded NUL, which would silently cut the path short.
std::optional<std::wstring> ToSystemPath(const std::string& utf8);

// Everything before the last separator ('\' or '/'); the root keeps its separator, and a
// bare name lies in ".".
std::wstring ParentDirectory(const std::wstring& path);
std::wstring FinalComponent(const std::wstring& path);

// The name of the entry at exactly `path` as the directory stores it, letter case included.
// No value when nothing answers there, or when the last component holds a wildcard
// character, which a directory search would expand instead of matching.
std::optional<std::wstring> StoredName(const std::wstring& path);

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b);

// A file handle closed when it goes.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid())
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace tarvolin
