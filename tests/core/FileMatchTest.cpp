// The rule that tells a recorded file from another that came since, case by case.
#include "FileMatch.h"

#include <gtest/gtest.h>

namespace tarvolin {
namespace {

constexpr ExactTime kBorn{1'600'000'000, 1}, kOtherBirth{1'700'000'000, 2};
constexpr ExactTime kModified{1'600'000'100, 3}, kChanged{1'600'000'200, 4};
constexpr ExactTime kLeftChanged{1'600'000'300, 5}, kLaterChanged{1'700'000'300, 6};

struct MatchCase {
    const char* what;
    RecordedFile recorded;
    FileStamp found;
    bool same;
};

FileIdentity On(unsigned long long device, unsigned long long file, unsigned long long volumeId = 0,
                bool numbersLast = true) {
    return FileIdentity{device, file, volumeId, numbersLast};
}

FileFingerprint Shows(std::optional<ExactTime> birth, ExactTime change = kChanged,
                      unsigned long long size = 10, ExactTime modify = kModified) {
    return FileFingerprint{size, modify, change, birth, {}};
}

const MatchCase kCases[] = {
    {"nothing changed", {On(1, 7), Shows(kBorn), {}, false}, {On(1, 7), Shows(kBorn)}, true},
    {"a reused number with another birth",
     {On(1, 7), Shows(kBorn), Shows(kBorn, kLeftChanged), true},
     {On(1, 7), Shows(kOtherBirth, kLeftChanged)},
     false},
    {"a reused number without birth times, the run done",
     {On(1, 7), Shows({}), Shows({}, kLeftChanged), true},
     {On(1, 7), Shows({}, kLaterChanged)},
     false},
    {"done: the change time the run left",
     {On(1, 7), Shows({}), Shows({}, kLeftChanged), true},
     {On(1, 7), Shows({}, kLeftChanged)},
     true},
    {"not done: size and modification time as planned",
     {On(1, 7), Shows({}), {}, false},
     {On(1, 7), Shows({}, kLaterChanged)},
     true},
    {"not done, but another size",
     {On(1, 7), Shows({}), {}, false},
     {On(1, 7), Shows({}, kChanged, 11)},
     false},
    {"edited since, its birth time unchanged",
     {On(1, 7), Shows(kBorn), Shows(kBorn, kLeftChanged), true},
     {On(1, 7), Shows(kBorn, kLaterChanged, 99, kLaterChanged)},
     true},
    {"another device, the same volume identity",
     {On(1, 7, 0xabc), Shows({}), {}, false},
     {On(2, 7, 0xabc), Shows({})},
     true},
    {"another volume identity",
     {On(1, 7, 0xabc), Shows(kBorn), {}, false},
     {On(1, 7, 0xdef), Shows(kBorn)},
     false},
    {"another device without identity, the birth time holds",
     {On(1, 7), Shows(kBorn), {}, false},
     {On(2, 7), Shows(kBorn)},
     true},
    {"another device without identity, only size and time",
     {On(1, 7), Shows({}), {}, false},
     {On(2, 7), Shows({})},
     false},
    {"another device without identity, the change time left",
     {On(1, 7), Shows({}), Shows({}, kLeftChanged), true},
     {On(2, 7), Shows({}, kLeftChanged)},
     true},
    {"numbers that do not last: path and fingerprint",
     {On(1, 7, 0, false), Shows(kBorn), {}, true},
     {On(2, 9, 0, false), Shows(kBorn)},
     true},
    {"numbers that do not last, mounted still: a rename that moved the times",
     {On(1, 7, 0, false), Shows({}), {}, false},
     {On(1, 7, 0, false), Shows({}, kLaterChanged, 10, kLaterChanged)},
     true},
    {"numbers that do not last, remounted: a moved time is another file",
     {On(1, 7, 0, false), Shows({}), {}, false},
     {On(2, 7, 0, false), Shows({}, kLaterChanged, 10, kLaterChanged)},
     false},
    {"another number", {On(1, 7), Shows(kBorn), {}, false}, {On(1, 8), Shows(kBorn)}, false},
    {"format 1: the numbers alone",
     {On(1, 7), {}, {}, true},
     {On(1, 7), Shows({}, kLaterChanged)},
     true},
    {"format 1: another device", {On(1, 7), {}, {}, true}, {On(2, 7), Shows(kBorn)}, false},
};

TEST(FileMatch, TellsTheRecordedFileFromAnother) {
    for (const MatchCase& match : kCases)
        EXPECT_EQ(IsSameFile(match.recorded, match.found), match.same) << match.what;
}

} // namespace
} // namespace tarvolin
