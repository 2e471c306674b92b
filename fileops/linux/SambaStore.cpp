#include "SambaStore.h"

#include "DosAttribBlob.h"
#include "DosMetadataStore.h"
#include "FileAccess.h"

#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace tarvolin {

namespace {

constexpr const char* kXattrName = "user.DOSATTRIB";
constexpr std::size_t kSmallValueSize = 256; // Samba's largest form takes 56 bytes

// What the file's xattr holds: a value, or none; `garbled` when there is one that no form of
// Samba's parses, which is then replaced whole by a valid one, never half or left behind.
struct Stored {
    std::optional<DosAttrib> value;
    bool garbled = false;
};

Stored Parsed(std::span<const std::uint8_t> bytes) {
    Stored stored{ParseDosAttrib(bytes)};
    stored.garbled = !stored.value;
    return stored;
}

// A value that outgrew the stack buffer is read again at its exact size; it may grow once
// more between the size query and the read, so a few attempts are allowed.
Stored ReadLargeDosAttrib(const FileRef& file) {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const ssize_t needed = GetXattr(file, kXattrName, nullptr, 0);
        if (needed < 0)
            return {};
        std::vector<std::uint8_t> value(static_cast<std::size_t>(needed));
        const ssize_t size = GetXattr(file, kXattrName, value.data(), value.size());
        if (size >= 0)
            return Parsed(std::span(value.data(), static_cast<std::size_t>(size)));
        if (errno != ERANGE)
            return {};
    }
    return {};
}

// A volume that refuses user xattrs (ENOTSUP) simply has none.
Stored ReadStoredDosAttrib(const FileRef& file) {
    std::array<std::uint8_t, kSmallValueSize> small; // only what the call writes is read
    const ssize_t size = GetXattr(file, kXattrName, small.data(), small.size());
    if (size >= 0)
        return Parsed(std::span(small.data(), static_cast<std::size_t>(size)));
    return errno == ERANGE ? ReadLargeDosAttrib(file) : Stored{};
}

// Samba by default keeps read-only only in the xattr and leaves the mode writable, so either
// place can say read-only (pinned by SambaView.ChangesMadeThroughSambaAreReadBack). Bits
// beyond the four are Samba's own (directory, normal, ...).
AttributeSet AttributesOf(const FileRef& file, const struct statx& st,
                          const std::optional<DosAttrib>& stored) {
    // Samba reports dot-files hidden and keeps every bit it cannot map in the xattr, so a
    // file that has none (or one that vouches only for a creation time) shows what its mode
    // and name say.
    if (!stored || !stored->attributesValid)
        return AttributesFromModeAndName(file, st);
    return FourAttributesOf(stored->attributes) | ReadOnlyByMode(st);
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
// is kept where it holds a creation time. Pinned by
// SambaView.ClientSeesExactlyTheAttributesAndCreationTimeWritten.
bool NeedsXattr(const FileRef& file, const struct statx& st, AttributeSet wanted,
                const std::optional<DosAttrib>& stored) {
    const bool archivedByMode = S_ISREG(st.stx_mode) && (st.stx_mode & S_IXUSR) != 0;
    return (stored && stored->createTime) || wanted != HiddenByName(file) || archivedByMode;
}

// Everything the value held besides the four bits stays as it was (Samba's own bits, its
// version, its other fields, the creation time).
bool StoreXattr(const FileRef& file, const struct statx& st, AttributeSet wanted,
                const Stored& stored) {
    if (stored.garbled || NeedsXattr(file, st, wanted, stored.value)) {
        DosAttrib value = stored.value.value_or(DosAttrib{});
        value.attributes = WithFourAttributes(value.attributesValid ? value.attributes : 0, wanted);
        value.attributesValid = true;
        return SetXattr(file, kXattrName, EncodeDosAttrib(value)) == 0;
    }
    return RemoveXattr(file, kXattrName) == 0 || errno == ENODATA;
}

class SambaStore final : public DosMetadataStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const override {
        const Stored stored = ReadStoredDosAttrib(file);
        return DosSide{AttributesOf(file, st, stored.value), CreationTimeOf(st, stored.value),
                       stored.value && stored.value->createTime,
                       stored.value.has_value() || stored.garbled};
    }

    // The owner of a file without write permission may not change its user xattrs, so write
    // permission comes back before the xattr is touched and goes only after it. The mode is
    // set even when it already fits, so a read-only mount or an immutable file says no.
    // A directory keeps its mode: read-only on a Windows folder does not stop anyone from
    // changing what is in it, so it lives in the xattr alone.
    bool WriteAttributes(const FileRef& file, const struct statx& st,
                         AttributeSet wanted) const override {
        const Stored stored = ReadStoredDosAttrib(file);
        if (S_ISDIR(st.stx_mode))
            return StoreXattr(file, st, wanted, stored);
        const mode_t mode = st.stx_mode & kPermissionBits;
        const bool readOnly = (wanted & kReadOnly) != 0;
        const bool touchesXattr =
            stored.value || stored.garbled || NeedsXattr(file, st, wanted, stored.value);
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

    // A read-only file takes a creation time as it takes the other times. Its owner may not
    // change its user xattrs while the mode denies writing, so write permission comes back for
    // that one step only, as when the attributes are written.
    bool WriteCreationTime(const FileRef& file, const struct statx& st,
                           const UnixTime& utc) const override {
        DosAttrib value = ReadStoredDosAttrib(file).value.value_or(
            DosAttrib{static_cast<std::uint32_t>(AttributesFromModeAndName(file, st)), {}});
        value.createTime = NtTimeFromUnix(utc.seconds, utc.nanoseconds);
        const std::vector<std::uint8_t> encoded = EncodeDosAttrib(value);
        if (SetXattr(file, kXattrName, encoded) == 0)
            return true;
        if (errno != EACCES || OwnerMayWrite(st))
            return false;
        const mode_t mode = st.stx_mode & kPermissionBits;
        if (ChangeMode(file, mode | S_IWUSR) != 0)
            return false;
        const bool written = SetXattr(file, kXattrName, encoded) == 0;
        return ChangeMode(file, mode) == 0 && written;
    }

    bool WriteAccessAndModifyTime(const FileRef& file, const struct statx&, const UnixTime& access,
                                  const UnixTime& modify) const override {
        return SetAccessAndModifyTime(file, access, modify);
    }

    bool ForgetCreationTime(const FileRef& file) const override {
        std::optional<DosAttrib> value = ReadStoredDosAttrib(file).value;
        if (!value || !value->createTime)
            return true;
        value->createTime.reset();
        return SetXattr(file, kXattrName, EncodeDosAttrib(*value)) == 0;
    }

    bool ForgetRecord(const FileRef& file) const override {
        return RemoveXattr(file, kXattrName) == 0 || errno == ENODATA;
    }
};

} // namespace

std::unique_ptr<DosMetadataStore> MakeSambaStore() {
    return std::make_unique<SambaStore>();
}

} // namespace tarvolin
