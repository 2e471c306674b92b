#pragma once

// The journal's numeric fields (JournalRecords.h) written with plain pointers into a
// character buffer the caller holds: a run writes a change record for every file before the
// first one moves, and going through a string per field cost more than the rest of the plan.
// Each Put writes its field at `at` and returns the end of what it wrote; the buffer must
// have room for the field's most characters, given beside it.

#include "FileOps.h"

#include <cstddef>
#include <optional>

namespace tarvolin {

// An unsigned 64-bit number in decimal.
inline constexpr std::size_t kMostNumberChars = 20;
// SECONDS.NANOSECONDS, the seconds signed.
inline constexpr std::size_t kMostTimeChars = 1 + 19 + 1 + 9;
// DEVICE:FILE:VOLUMEID:LASTING, or "-".
inline constexpr std::size_t kMostIdentityChars = 2 * (kMostNumberChars + 1) + 16 + 2;
// SIZE:MODIFIED:CHANGED:BORN[:CREATED], or "-".
inline constexpr std::size_t kMostFingerprintChars = kMostNumberChars + 4 * (1 + kMostTimeChars);
// ATTRIBUTES CREATED MODIFIED ACCESSED RECORD, each "-" where the run leaves it.
inline constexpr std::size_t kMostBeforeChars = kMostNumberChars + 2 + 3 * (kMostTimeChars + 1) + 1;

char* PutNumber(char* at, unsigned long long number);
char* PutExactTime(char* at, const ExactTime& time);
char* PutIdentity(char* at, const std::optional<FileIdentity>& identity);
char* PutFingerprint(char* at, const std::optional<FileFingerprint>& fingerprint);
char* PutBefore(char* at, const std::optional<ExactMetadata>& before);

} // namespace tarvolin
