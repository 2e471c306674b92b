#pragma once

// The values in the text reports of the volume tools: ntfsinfo on an NTFS image, smbclient's
// allinfo on a Samba share. Both print times in UTC and attributes with their hexadecimal word.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvolin::test {

// " Sun Mar 13 07:06:40 2011 UTC" (smbclient run with TZ=UTC) as seconds since 1970.
std::optional<std::int64_t> ParseUtcReport(const std::string& text);

// " HIDDEN ARCHIVE (0x00000022)" from ntfsinfo, " HSA (26)" from smbclient: the hexadecimal
// word in the last parentheses.
std::optional<std::uint32_t> ParseAttributeReport(const std::string& text);

} // namespace tarvolin::test
