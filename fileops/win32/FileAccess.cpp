#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "FileAccess.h"

#include <climits>
#include <vector>
#include <windows.h>

namespace tarvolin {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveAbsolute(const std::wstring& path) {
    const wchar_t drive = path.empty() ? L'\0' : path[0];
    const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    return path.size() >= 3 && letter && path[1] == L':' && IsSeparator(path[2]);
}

// The system resolves "." and ".." itself only for paths without the \\?\ prefix.
std::wstring LongForm(const std::wstring& path) {
    std::vector<std::wstring> steps;
    std::wstring step;
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) {
            step += path[i];
            continue;
        }
        if (step == L"..") {
            if (!steps.empty())
                steps.pop_back();
        } else if (!step.empty() && step != L".") {
            steps.push_back(step);
        }
        step.clear();
    }
    std::wstring result = L"\\\\?\\" + path.substr(0, 2);
    for (const std::wstring& kept : steps)
        result += L"\\" + kept;
    if (steps.empty())
        result += L"\\";
    return result;
}

std::optional<std::wstring> Widen(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    if (utf8.size() > static_cast<std::size_t>(INT_MAX) || utf8.find('\0') != std::string::npos)
        return std::nullopt;
    const int length = static_cast<int>(utf8.size());
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(),
                            wideLength) != wideLength)
        return std::nullopt;
    return wide;
}

} // namespace

std::optional<std::wstring> ToSystemPath(const std::string& utf8) {
    std::optional<std::wstring> wide = Widen(utf8);
    if (wide && wide->size() >= MAX_PATH && IsDriveAbsolute(*wide))
        return LongForm(*wide);
    return wide;
}

std::wstring ParentDirectory(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : std::wstring(L".");
    std::wstring parent = path.substr(0, separator);
    if (parent.empty() || parent.back() == L':') // "\" and "C:\" are roots, "C:" is not
        parent += L'\\';
    return parent;
}

std::wstring FinalComponent(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos)
        return path.substr(separator + 1);
    return path.size() >= 2 && path[1] == L':' ? path.substr(2) : path;
}

std::optional<std::wstring> StoredName(const std::wstring& path) {
    const std::wstring name = FinalComponent(path);
    if (name.empty() || name.find_first_of(L"*?<>\"") != std::wstring::npos)
        return std::nullopt;
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        FindFirstFileExW(path.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    return std::wstring(entry.cFileName);
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() > static_cast<std::size_t>(INT_MAX) ||
        b.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace tarvolin
