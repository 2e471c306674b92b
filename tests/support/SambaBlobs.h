#pragma once

// `user.DOSATTRIB` values laid out byte by byte the way Samba writes them, built here
// independently of the program's own encoder so the two can be checked against each other.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvolin::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kValidAttrib = 0x01;
inline constexpr std::uint32_t kValidCreateTime = 0x10;

// The oldest form: the "0x…" text alone, with or without its NUL.
Bytes BareHexBlob(const std::string& text, bool withNul);
// "0x%x" NUL, pad to 2, version 1, level 1, pad to 4, attrib, ea_size, size, alloc, create, change.
Bytes Version1Blob(std::uint32_t attrib, std::uint64_t createTime);
// The withdrawn version 2: flags, attrib, ea_size, size, alloc, create, change, write, name.
Bytes Version2Blob(std::uint32_t attrib, const std::string& name = "");
Bytes Version3Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime);
// Empty text; valid_flags, attrib, itime, create.
Bytes Version4Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime);
// Empty text; valid_flags, attrib, create: what Samba 4.17 and later write.
Bytes Version5Blob(std::uint32_t validFlags, std::uint32_t attrib, std::uint64_t createTime);

// The raw `user.DOSATTRIB` of `path`; no value when it has none.
std::optional<Bytes> ReadDosAttribXattr(const std::string& path);
bool WriteDosAttribXattr(const std::string& path, const Bytes& value);

} // namespace tarvolin::test
