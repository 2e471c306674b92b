#include "DosAttribBlob.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvolin {

namespace {

constexpr std::uint32_t kValidAttrib = 0x01;
constexpr std::uint32_t kValidCreateTime = 0x10;
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::uint32_t kNanosecondsPerTick = 100;

// Walks a little-endian blob with the 2- and 4-byte alignment of the writer's NDR
// encoding. Any read past the end poisons the reader, so callers check once at the end.
class BlobReader {
public:
    explicit BlobReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    bool atEnd() const { return offset_ >= bytes_.size(); }

    // The NUL-terminated ASCII string at the front; a missing NUL ends it at the blob's end.
    std::string_view cString() {
        std::size_t end = offset_;
        while (end < bytes_.size() && bytes_[end] != 0)
            ++end;
        std::string_view text(reinterpret_cast<const char*>(bytes_.data()) + offset_,
                              end - offset_);
        offset_ = end < bytes_.size() ? end + 1 : end;
        return text;
    }

    // A string that must end in a NUL inside the blob, as one in the middle of a body does.
    void skipTerminatedString() {
        while (offset_ < bytes_.size() && bytes_[offset_] != 0)
            ++offset_;
        if (offset_ >= bytes_.size())
            ok_ = false;
        ++offset_;
    }

    void align(std::size_t n) { offset_ = (offset_ + n - 1) / n * n; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }

private:
    std::uint64_t take(std::size_t size) {
        align(size < 4 ? size : 4);
        if (!ok_ || offset_ + size > bytes_.size()) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= static_cast<std::uint64_t>(bytes_[offset_ + i]) << (8 * i);
        offset_ += size;
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

class BlobWriter {
public:
    void cString(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
    }
    void align(std::size_t n) {
        while (bytes_.size() % n != 0)
            bytes_.push_back(0);
    }
    void u16(std::uint16_t value) { put(value, 2); }
    void u32(std::uint32_t value) { put(value, 4); }
    void u64(std::uint64_t value) { put(value, 8); }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    void put(std::uint64_t value, std::size_t size) {
        align(size < 4 ? size : 4);
        for (std::size_t i = 0; i < size; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::vector<std::uint8_t> bytes_;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The oldest form is nothing but "0x%x"; stricter than sscanf so that junk never turns into
// attribute bits.
std::optional<std::uint32_t> ParseHexAttributes(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::optional<NtTime> NonZero(NtTime value) {
    return value != 0 ? std::optional<NtTime>(value) : std::nullopt;
}

DosAttrib ReadInfo1(BlobReader& in) {
    DosAttrib result;
    result.attributes = in.u32();
    in.u32(); // ea_size
    in.u64(); // size
    in.u64(); // alloc_size
    result.createTime = NonZero(in.u64());
    in.u64(); // change_time
    return result;
}

// Version 2 was withdrawn early and carries no validity flags, so only its bits count.
DosAttrib ReadInfo2(BlobReader& in) {
    DosAttrib result;
    in.u32(); // flags
    result.attributes = in.u32();
    in.u32();                  // ea_size
    in.u64();                  // size
    in.u64();                  // alloc_size
    in.u64();                  // create_time
    in.u64();                  // change_time
    in.u64();                  // write_time
    in.skipTerminatedString(); // name
    return result;
}

// Versions 3 to 5 share the head (valid_flags, attrib) and differ in what sits between it
// and create_time. Like Samba, the bits count only where the flags vouch for them, and the
// creation time only where they vouch for it: each is read on its own.
std::optional<DosAttrib> ReadFlaggedInfo(BlobReader& in, std::uint16_t version) {
    const std::uint32_t validFlags = in.u32();
    DosAttrib result;
    result.rest.version = version;
    result.rest.otherFlags = validFlags & ~(kValidAttrib | kValidCreateTime);
    result.attributes = in.u32();
    if (version == 3) {
        result.rest.eaSize = in.u32();
        result.rest.size = in.u64();
        result.rest.allocSize = in.u64();
    } else if (version == 4) {
        result.rest.itime = in.u64();
    }
    const NtTime createTime = in.u64();
    if (version == 3)
        result.rest.changeTime = in.u64();
    result.attributesValid = (validFlags & kValidAttrib) != 0;
    if (!result.attributesValid) {
        result.rest.unvouchedAttributes = result.attributes;
        result.attributes = 0;
    }
    if (validFlags & kValidCreateTime)
        result.createTime = NonZero(createTime);
    else
        result.rest.unvouchedCreateTime = createTime;
    return result;
}

std::optional<DosAttrib> ReadVersionedBody(BlobReader& in) {
    const std::uint16_t version = in.u16();
    const std::uint16_t level = in.u16();
    if (!in.ok() || version != level)
        return std::nullopt;
    in.align(4);
    std::optional<DosAttrib> result;
    switch (version) {
    case 1:
        result = ReadInfo1(in);
        break;
    case 2:
        result = ReadInfo2(in);
        break;
    case 3:
    case 4:
    case 5:
        result = ReadFlaggedInfo(in, version);
        break;
    default:
        return std::nullopt;
    }
    return in.ok() ? result : std::nullopt;
}

std::string HexAttributes(std::uint32_t attributes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[attributes & 0xF]);
        attributes >>= 4;
    } while (attributes != 0);
    return "0x" + digits;
}

} // namespace

std::optional<DosAttrib> ParseDosAttrib(std::span<const std::uint8_t> blob) {
    if (blob.empty())
        return std::nullopt;
    BlobReader in(blob);
    const std::string_view hex = in.cString();
    if (!in.atEnd()) {
        std::optional<DosAttrib> result = ReadVersionedBody(in);
        if (result)
            result->rest.hexText = !hex.empty() || result->rest.version < 3;
        return result;
    }
    const std::optional<std::uint32_t> bits = ParseHexAttributes(hex);
    if (!bits)
        return std::nullopt;
    return DosAttrib{*bits, std::nullopt};
}

std::vector<std::uint8_t> EncodeDosAttrib(const DosAttrib& value) {
    const DosAttribRest& rest = value.rest;
    const std::uint16_t version = rest.version >= 3 && rest.version <= 5 ? rest.version : 3;
    BlobWriter out;
    out.cString(rest.hexText || version == 3 ? HexAttributes(value.attributes) : "");
    out.u16(version);
    out.u16(version);
    out.align(4);
    out.u32(rest.otherFlags | (value.attributesValid ? kValidAttrib : 0) |
            (value.createTime ? kValidCreateTime : 0));
    out.u32(value.attributesValid ? value.attributes : rest.unvouchedAttributes);
    if (version == 3) {
        out.u32(rest.eaSize);
        out.u64(rest.size);
        out.u64(rest.allocSize);
    } else if (version == 4) {
        out.u64(rest.itime);
    }
    out.u64(value.createTime.value_or(rest.unvouchedCreateTime));
    if (version == 3)
        out.u64(rest.changeTime);
    return out.take();
}

NtTime NtTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
    if (seconds < -kNtTimeUnixEpochSeconds)
        return 0;
    return static_cast<NtTime>(seconds + kNtTimeUnixEpochSeconds) * kTicksPerSecond +
           nanoseconds / kNanosecondsPerTick;
}

void NtTimeToUnix(NtTime value, std::int64_t& seconds, std::uint32_t& nanoseconds) {
    seconds = static_cast<std::int64_t>(value / kTicksPerSecond) - kNtTimeUnixEpochSeconds;
    nanoseconds = static_cast<std::uint32_t>(value % kTicksPerSecond) * kNanosecondsPerTick;
}

} // namespace tarvolin
