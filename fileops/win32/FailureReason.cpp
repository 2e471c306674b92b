// Windows keeps the reason for a failed system call per thread, as its last-error code, and
// words for it in the user's language.
#include "Backend.h"

#include <windows.h>

namespace tarvolin {

std::string LastFailureReason() {
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS)
        return {};
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text != nullptr ? text : L"", length);
    LocalFree(text);
    // The system ends its sentence with a full stop and a line break; a box shows it on a line
    // of its own, as Linux gives it.
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                              words.back() == L'.' || words.back() == L' '))
        words.pop_back();
    if (words.empty())
        return "error " + std::to_string(error);
    const int size = WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()), utf8.data(), size,
                        nullptr, nullptr);
    SetLastError(error);
    return utf8;
}

void LeaveFailureReason(Refusal why) {
    switch (why) {
    case Refusal::NameTaken:
        SetLastError(ERROR_ALREADY_EXISTS);
        break;
    case Refusal::BadName:
        SetLastError(ERROR_INVALID_NAME);
        break;
    case Refusal::BadRequest:
    case Refusal::OutOfRange:
        SetLastError(ERROR_INVALID_PARAMETER);
        break;
    case Refusal::NotKept:
        SetLastError(ERROR_NOT_SUPPORTED);
        break;
    }
}

} // namespace tarvolin
