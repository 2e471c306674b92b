#pragma once

// Case tables run on the test machine's own file system, on Windows, and again on the volumes
// Windows also reads (NTFS through ntfs-3g), so all of them answer the same questions. Only
// the program's own headers and the standard library, so that every platform builds it.

#include "AttributeSet.h"
#include "FileOps.h"
#include "LocalDateTime.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvolin::cases {

inline const std::vector<AttributeSet> kEveryAttributeSet = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27};

struct NamePair {
    const char* label;
    std::string oldName;
    std::string newName;
    bool utf8 = true; // NTFS keeps names in UTF-16, so ntfs-3g refuses other bytes
};

// Names only a POSIX volume takes: Windows refuses these bytes in a name.
inline std::vector<NamePair> PosixOnlyNamePairs() {
    return {NamePair{"WildcardBytes", "star*.txt", "what?.doc"},
            NamePair{"Backslash", "a\\b", "c\\d:e"},
            NamePair{"Newline", "line\nbreak", "new\nline"},
            NamePair{"InvalidUtf8", "\xff\xfe.bin", "\xc3\x28\x80.bin", false}};
}

inline std::vector<NamePair> RenameNamePairs() {
    std::vector<NamePair> pairs = {
        NamePair{"Plain", "a.txt", "x_7.txt"}, NamePair{"Spaces", "my file .txt", " other file"},
        NamePair{"LeadingDot", ".hidden", ".other"},
        NamePair{"Longest255Bytes", std::string(255, 'a'), std::string(255, 'b')},
        NamePair{"ToLongestName", "short", std::string(251, 'c') + ".txt"}};
    for (NamePair& pair : PosixOnlyNamePairs())
        pairs.push_back(std::move(pair));
    return pairs;
}

// A change of letter case only; the old name is created, then renamed to the new one.
struct CaseChange {
    const char* label;
    std::string oldName;
    std::string newName;
    bool directory;
};

inline std::vector<CaseChange> LetterCaseChanges() {
    return {CaseChange{"File", "abc.txt", "ABC.TXT", false},
            CaseChange{"Directory", "folder", "Folder", true},
            CaseChange{"DotFile", ".rc", ".RC", false}};
}

struct Writer {
    const char* label;
    bool (*set)(const std::string&, const LocalDateTime&, const LocalDateTime&);
    std::optional<LocalDateTime> (*get)(const std::string&);
    bool creation;
};

// Wine drops a creation time given to SetFileTime and shows the modify time as the creation
// time, so a written creation time never shows there. Windows stores it.
inline constexpr const char* kWineCreation = "Wine does not store creation times; Windows does";

inline const Writer kCreation{"Creation", SetCreationTime, GetCreationTime, true};
inline const Writer kModify{"Modify", SetModifyTime, GetModifyTime, false};

struct ReadBackCase {
    const char* label;
    LocalDateTime written;
    LocalDateTime expected;
};

inline std::vector<ReadBackCase> DosPrecisionCases() {
    return {
        ReadBackCase{"OddSecondWithMilliseconds",
                     {2026, 3, 14, 14, 3, 27, 900},
                     {2026, 3, 14, 14, 3, 26, 0}},
        ReadBackCase{
            "LeapDayLastSecond", {2000, 2, 29, 23, 59, 59, 999}, {2000, 2, 29, 23, 59, 58, 0}},
        ReadBackCase{"FirstDosDay", {1980, 1, 1, 0, 0, 0, 0}, {1980, 1, 1, 0, 0, 0, 0}},
        ReadBackCase{"LastDosMoment", {2107, 12, 31, 23, 59, 58, 0}, {2107, 12, 31, 23, 59, 58, 0}},
        ReadBackCase{"SummerTime", {2026, 7, 15, 14, 0, 1, 0}, {2026, 7, 15, 14, 0, 0, 0}}};
}

struct OutOfRangeCase {
    const char* label;
    LocalDateTime date;
};

inline std::vector<OutOfRangeCase> OutsideDosRangeCases() {
    return {OutOfRangeCase{"Year1975", {1975, 6, 1, 12, 0, 0, 0}},
            OutOfRangeCase{"LastSecondOf1979", {1979, 12, 31, 23, 59, 59, 0}},
            OutOfRangeCase{"Year2108", {2108, 1, 1, 0, 0, 0, 0}},
            OutOfRangeCase{"February30", {2021, 2, 30, 0, 0, 0, 0}}};
}

// The date picker carries some time of day and the time picker some date; both must be
// ignored, so every writer gets them that way.
inline LocalDateTime DatePickerFor(const LocalDateTime& wanted) {
    return {wanted.year, wanted.month, wanted.day, 7, 7, 7, 7};
}
inline LocalDateTime TimePickerFor(const LocalDateTime& wanted) {
    return {1999, 1, 1, wanted.hour, wanted.minute, wanted.second, wanted.millisecond};
}

} // namespace tarvolin::cases
