#include "SambaDosAttribStore.h"

#include "DosAttribBlob.h"
#include "UnixSide.h"
#include "XattrIo.h"

#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace tarvolin {

namespace {

constexpr const char* kXattrName = "user.DOSATTRIB";
constexpr std::size_t kSmallValueSize = 256; // Samba's largest form takes 56 bytes

// A value that outgrew the stack buffer is read again at its exact size; it may grow once
// more between the size query and the read, so a few attempts are allowed.
std::optional<DosAttrib> ReadLargeDosAttrib(const FileRef& file) {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const ssize_t needed = GetXattr(file, kXattrName, nullptr, 0);
        if (needed < 0)
            return std::nullopt;
        std::vector<std::uint8_t> value(static_cast<std::size_t>(needed));
        const ssize_t size = GetXattr(file, kXattrName, value.data(), value.size());
        if (size >= 0)
            return ParseDosAttrib(std::span(value.data(), static_cast<std::size_t>(size)));
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

// No value when the file has no readable, well-formed xattr; a volume that refuses user
// xattrs (ENOTSUP) simply has none.
std::optional<DosAttrib> ReadStoredDosAttrib(const FileRef& file) {
    std::array<std::uint8_t, kSmallValueSize> small{};
    const ssize_t size = GetXattr(file, kXattrName, small.data(), small.size());
    if (size >= 0)
        return ParseDosAttrib(std::span(small.data(), static_cast<std::size_t>(size)));
    return errno == ERANGE ? ReadLargeDosAttrib(file) : std::nullopt;
}

// Samba by default keeps read-only only in the xattr and leaves the mode writable, so either
// place can say read-only. Bits beyond the four are Samba's own (directory, normal, ...).
AttributeSet AttributesOf(const FileRef& file, const struct statx& st,
                          const std::optional<DosAttrib>& stored) {
    // Samba reports dot-files hidden and keeps every bit it cannot map in the xattr, so a
    // file that has none shows what its mode and name say.
    if (!stored)
        return AttributesFromModeAndName(file, st);
    const auto bits = static_cast<AttributeSet>(stored->attributes & kDosBits);
    return bits | ReadOnlyByMode(st);
}

// A time stored through Samba or by this program wins over the birth time, which no system
// call can set. Without either, the oldest inode time is what Samba reports too.
UnixTime CreationTimeOf(const struct statx& st, const std::optional<DosAttrib>& stored) {
    if (stored && stored->createTime) {
        UnixTime time;
        NtTimeToUnix(*stored->createTime, time.seconds, time.nanoseconds);
        return time;
    }
    return BirthOrOldestTime(st);
}

// Without an xattr Samba goes by name and mode: with its defaults a dot-file is hidden, an
// owner-executable file archived and no file read-only (`map readonly = no`). So the xattr is
// left out only where that gives `wanted`, as it does for this program's own reading, and it
// is kept where it holds a creation time.
bool NeedsXattr(const FileRef& file, const struct statx& st, AttributeSet wanted,
                const std::optional<DosAttrib>& stored) {
    const bool archivedByMode = S_ISREG(st.stx_mode) && (st.stx_mode & S_IXUSR) != 0;
    return (stored && stored->createTime) || wanted != HiddenByName(file) || archivedByMode;
}

bool StoreXattr(const FileRef& file, const struct statx& st, AttributeSet wanted,
                const std::optional<DosAttrib>& stored) {
    if (NeedsXattr(file, st, wanted, stored)) {
        const DosAttrib value{static_cast<std::uint32_t>(wanted),
                              stored ? stored->createTime : std::nullopt};
        return SetXattr(file, kXattrName, EncodeDosAttrib(value)) == 0;
    }
    return RemoveXattr(file, kXattrName) == 0 || errno == ENODATA;
}

class XattrStore final : public DosMetadataStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const override {
        const std::optional<DosAttrib> stored = ReadStoredDosAttrib(file);
        return DosSide{AttributesOf(file, st, stored), CreationTimeOf(st, stored)};
    }

    // The owner of a file without write permission may not change its user xattrs, so write
    // permission comes back before the xattr is touched and goes only after it. The mode is
    // set even when it already fits, so a read-only mount or an immutable file says no.
    // A directory keeps its mode: read-only on a Windows folder does not stop anyone from
    // changing what is in it, so it lives in the xattr alone.
    bool WriteAttributes(const FileRef& file, const struct statx& st,
                         AttributeSet wanted) const override {
        const std::optional<DosAttrib> stored = ReadStoredDosAttrib(file);
        if (S_ISDIR(st.stx_mode))
            return StoreXattr(file, st, wanted, stored);
        const mode_t mode = st.stx_mode & kPermissionBits;
        const bool readOnly = (wanted & kReadOnly) != 0;
        const bool touchesXattr = stored.has_value() || NeedsXattr(file, st, wanted, stored);
        const bool writableFirst = !readOnly || (touchesXattr && !OwnerMayWrite(st));
        if (writableFirst && ChangeMode(file, readOnly ? mode | S_IWUSR : WritableMode(st)) != 0)
            return false;
        if (touchesXattr && !StoreXattr(file, st, wanted, stored)) {
            if (writableFirst)
                ChangeMode(file, mode);
            return false;
        }
        return !readOnly || ChangeMode(file, mode & ~kAllWriteBits) == 0;
    }

    bool WriteCreationTime(const FileRef& file, const struct statx& st,
                           const UnixTime& utc) const override {
        const std::optional<DosAttrib> stored = ReadStoredDosAttrib(file);
        const std::uint32_t bits =
            stored ? stored->attributes
                   : static_cast<std::uint32_t>(AttributesFromModeAndName(file, st));
        const DosAttrib value{bits, NtTimeFromUnix(utc.seconds, utc.nanoseconds)};
        return SetXattr(file, kXattrName, EncodeDosAttrib(value)) == 0;
    }

    bool WriteAccessAndModifyTime(const FileRef& file, const struct statx&,
                                  const UnixTime& utc) const override {
        return SetAccessAndModifyTime(file, utc);
    }
};

} // namespace

const DosMetadataStore& SambaDosAttribStore() {
    static const XattrStore store;
    return store;
}

} // namespace tarvolin
