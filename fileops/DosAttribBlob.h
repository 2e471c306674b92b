#pragma once

// Samba's `user.DOSATTRIB` extended attribute, the form in which Samba and Wine keep DOS
// attribute bits and a creation time on Linux file systems. Parsing accepts every form
// Samba has written (a bare hex string, versions 1 to 5) and reads each version's validity
// flags as Samba does. Writing keeps the version that was read (3, 4 or 5) and every field
// this program does not own (Samba's itime, sizes, change time, other flags); a value new
// here, or read in an older form, is written as version 3, which both Samba and Wine read.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvolin {

// 100 ns ticks since 1601-01-01 UTC.
using NtTime = std::uint64_t;

// What a blob holds besides the attribute bits and the creation time, kept for rewriting.
struct DosAttribRest {
    std::uint16_t version = 3;
    bool hexText = true;          // the leading text spells the bits (newer Samba leaves it empty)
    std::uint32_t otherFlags = 0; // validity flags other than the attribute bits' and time's
    std::uint32_t eaSize = 0;     // version 3
    NtTime size = 0;              // version 3
    NtTime allocSize = 0;         // version 3
    NtTime changeTime = 0;        // version 3
    NtTime itime = 0;             // version 4: Samba's file identity time
    // The fields as stored where the flags do not vouch for them.
    std::uint32_t unvouchedAttributes = 0;
    NtTime unvouchedCreateTime = 0;
};

struct DosAttrib {
    DosAttrib() = default;
    DosAttrib(std::uint32_t bits, std::optional<NtTime> time, bool bitsValid = true)
        : attributes(bits), createTime(time), attributesValid(bitsValid) {}

    std::uint32_t attributes = 0;
    std::optional<NtTime> createTime; // only when the blob marks it valid and non-zero
    // False for a blob that vouches only for its creation time; Samba then reads no bits.
    bool attributesValid = true;
    DosAttribRest rest;
};

std::optional<DosAttrib> ParseDosAttrib(std::span<const std::uint8_t> blob);
std::vector<std::uint8_t> EncodeDosAttrib(const DosAttrib& value);

inline constexpr std::int64_t kNtTimeUnixEpochSeconds = 11644473600;
NtTime NtTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds);
// Seconds and nanoseconds since the Unix epoch (seconds may be negative).
void NtTimeToUnix(NtTime value, std::int64_t& seconds, std::uint32_t& nanoseconds);

} // namespace tarvolin
