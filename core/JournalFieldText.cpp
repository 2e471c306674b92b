#include "JournalFieldText.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>

namespace tarvolin {

namespace {

char* PutNone(char* at) {
    *at = '-';
    return at + 1;
}

// "00" to "99": two digits a division, as the library's own conversions do; with three
// times to every record, the record's cost was mostly digits.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

constexpr auto kPowersOfTen = [] {
    std::array<unsigned long long, 20> powers{};
    unsigned long long power = 1;
    for (unsigned long long& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}();

// Writes `number`'s digits so that they end just before `end`; returns where they begin.
char* PutDigitsBefore(char* end, unsigned long long number) {
    while (number >= 100) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (number % 100)], 2);
        number /= 100;
    }
    if (number >= 10) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * number], 2);
    } else {
        *--end = static_cast<char>('0' + number);
    }
    return end;
}

char* PutOptionalTime(char* at, const std::optional<ExactTime>& time) {
    return time ? PutExactTime(at, *time) : PutNone(at);
}

} // namespace

// Counted first, so that the digits go straight to their places from the last. The bit width
// times log10 2 (as 1233 / 4096) gives the count of digits or one less, and one comparison
// tells which; powers of ten above 1 are even, so setting the low bit keeps 0 at one digit
// and changes no other answer.
char* PutNumber(char* at, unsigned long long number) {
    const unsigned long long odd = number | 1;
    const auto guess = static_cast<std::size_t>((std::bit_width(odd) * 1233) >> 12);
    char* const end = at + guess + (odd >= kPowersOfTen[guess] ? 1 : 0);
    PutDigitsBefore(end, number);
    return end;
}

char* PutExactTime(char* at, const ExactTime& time) {
    if (time.seconds < 0)
        *at++ = '-';
    // The magnitude of the most negative seconds is taken unsigned, where it fits.
    const auto seconds = static_cast<unsigned long long>(time.seconds);
    at = PutNumber(at, time.seconds < 0 ? 0 - seconds : seconds);
    *at++ = '.';
    unsigned fraction = time.nanoseconds % 1'000'000'000;
    // Nine digits always: four pairs from the last, then the first digit.
    for (int pair = 7; pair > 0; pair -= 2) {
        std::memcpy(at + pair, &kDigitPairs[2 * (fraction % 100)], 2);
        fraction /= 100;
    }
    at[0] = static_cast<char>('0' + fraction);
    return at + 9;
}

char* PutIdentity(char* at, const std::optional<FileIdentity>& identity) {
    if (!identity)
        return PutNone(at);
    at = PutNumber(at, identity->volume);
    *at++ = ':';
    at = PutNumber(at, identity->file);
    *at++ = ':';
    at = std::to_chars(at, at + 16, identity->volumeId, 16).ptr;
    *at++ = ':';
    *at++ = identity->numbersLast ? '1' : '0';
    return at;
}

char* PutFingerprint(char* at, const std::optional<FileFingerprint>& fingerprint) {
    if (!fingerprint)
        return PutNone(at);
    at = PutNumber(at, fingerprint->size);
    *at++ = ':';
    at = PutExactTime(at, fingerprint->modify);
    *at++ = ':';
    at = PutExactTime(at, fingerprint->change);
    *at++ = ':';
    at = PutOptionalTime(at, fingerprint->birth);
    if (fingerprint->created) {
        *at++ = ':';
        at = PutExactTime(at, *fingerprint->created);
    }
    return at;
}

char* PutBefore(char* at, const std::optional<ExactMetadata>& before) {
    const ExactMetadata parts = before.value_or(ExactMetadata{});
    at = parts.attributes ? PutNumber(at, static_cast<unsigned>(*parts.attributes)) : PutNone(at);
    *at++ = ' ';
    if (parts.creation && !parts.creationStored)
        *at++ = '=';
    at = PutOptionalTime(at, parts.creation);
    *at++ = ' ';
    at = PutOptionalTime(at, parts.modify);
    *at++ = ' ';
    at = PutOptionalTime(at, parts.access);
    *at++ = ' ';
    *at++ = !parts.attributes && !parts.creation ? '-' : parts.dosRecord ? '1' : '0';
    return at;
}

} // namespace tarvolin
