#pragma once

// Samba's `user.DOSATTRIB` extended attribute, the form in which Samba and Wine keep DOS
// attribute bits and a creation time on Linux file systems. Parsing accepts every form
// Samba has written (a bare hex string, versions 1 to 5); writing produces version 3,
// which both Samba and Wine read.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvolin {

// 100 ns ticks since 1601-01-01 UTC.
using NtTime = std::uint64_t;

struct DosAttrib {
    std::uint32_t attributes = 0;
    std::optional<NtTime> createTime; // only when the blob marks it valid and non-zero
};

std::optional<DosAttrib> ParseDosAttrib(std::span<const std::uint8_t> blob);
std::vector<std::uint8_t> EncodeDosAttrib(const DosAttrib& value);

inline constexpr std::int64_t kNtTimeUnixEpochSeconds = 11644473600;
NtTime NtTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds);
// Seconds and nanoseconds since the Unix epoch (seconds may be negative).
void NtTimeToUnix(NtTime value, std::int64_t& seconds, std::uint32_t& nanoseconds);

} // namespace tarvolin
