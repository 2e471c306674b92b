#include "NtfsStores.h"

#include "DosAttribBlob.h"
#include "DosMetadataStore.h"
#include "FileAccess.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tarvolin {

namespace {

// CPU-endian values, as ntfs-3g exchanges them. The `_be` twins are big-endian.
constexpr const char* kAttributeWord = "system.ntfs_attrib";
constexpr const char* kCreationTime = "system.ntfs_crtime";
constexpr const char* kTimes = "system.ntfs_times"; // create, last write, last access[, change]

template <typename Value>
bool ReadValue(const FileRef& file, const char* name, Value& value) {
    return GetXattr(file, name, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

template <typename Value>
bool WriteValue(const FileRef& file, const char* name, const Value& value) {
    std::array<std::uint8_t, sizeof value> bytes{};
    std::memcpy(bytes.data(), &value, sizeof value);
    return SetXattr(file, name, bytes) == 0;
}

// A file that vanished between the statx and here has no attributes to show; its
// modification time is the best stand-in for a creation time that could not be read.
DosSide ReadSide(const FileRef& file, const struct statx& st) {
    std::uint32_t word = 0;
    NtTime created = 0;
    DosSide side{0, ToUnixTime(st.stx_mtime)};
    if (ReadValue(file, kAttributeWord, word))
        side.attributes = static_cast<AttributeSet>(word & kFourAttributes);
    if (ReadValue(file, kCreationTime, created)) {
        NtTimeToUnix(created, side.creationTime.seconds, side.creationTime.nanoseconds);
        side.creationStored = true;
    }
    return side;
}

class Ntfs3gStore final : public DosMetadataStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const override {
        return ReadSide(file, st);
    }

    // ntfs-3g changes only the bits a program may set (read-only, hidden, system, archive,
    // temporary, offline, not-indexed), so the word written clears the others of these as
    // Windows does, and the directory bit stays. Read-only is NTFS's own flag: the mode bits
    // are ntfs-3g's invention and do not reach Windows. Pinned by
    // NtfsAttributes.WritingClearsTheOtherSettableBits,
    // NtfsAttributes.DirectoryKeepsItsDirectoryBit and
    // NtfsAttributes.EveryCombinationIsWhatWindowsFinds.
    bool WriteAttributes(const FileRef& file, const struct statx&,
                         AttributeSet wanted) const override {
        return WriteValue(file, kAttributeWord, static_cast<std::uint32_t>(wanted));
    }

    // Only the creation time is written, so the other times stay as ntfs-3g holds them.
    bool WriteCreationTime(const FileRef& file, const struct statx&,
                           const UnixTime& utc) const override {
        return WriteValue(file, kCreationTime, NtTimeFromUnix(utc.seconds, utc.nanoseconds));
    }

    bool WindowsFoldsNames() const override { return true; }

    // Once a time was set through these names, ntfs-3g stops writing the times it keeps in
    // memory to the disk: a modification time set by utimensat afterwards shows until the
    // unmount and is then lost. So it goes the same way, together with the creation time,
    // which must stay what it was. Pinned by NtfsTimes.BothSurviveTheUnmountInEitherOrder and
    // NtfsTimes.Ntfs3gKeepsOurTimesOverALaterEditWhileTheInodeIsCached.
    bool WriteAccessAndModifyTime(const FileRef& file, const struct statx&, const UnixTime& access,
                                  const UnixTime& modify) const override {
        std::array<NtTime, 3> times{};
        if (!ReadValue(file, kCreationTime, times[0]))
            return false;
        times[1] = NtTimeFromUnix(modify.seconds, modify.nanoseconds);
        times[2] = NtTimeFromUnix(access.seconds, access.nanoseconds);
        return WriteValue(file, kTimes, times);
    }
};

} // namespace

std::unique_ptr<DosMetadataStore> MakeNtfs3gStore() {
    return std::make_unique<Ntfs3gStore>();
}

NtfsWordAnswer AskForNtfsAttributeWord(const FileRef& file) {
    std::uint32_t word = 0;
    const ssize_t size = GetXattr(file, kAttributeWord, &word, sizeof word);
    if (size == static_cast<ssize_t>(sizeof word))
        return NtfsWordAnswer::Given;
    if (size >= 0 || errno == ENODATA || errno == ENOTSUP || errno == ERANGE)
        return NtfsWordAnswer::Unknown;
    return NtfsWordAnswer::NoAnswer;
}

namespace {

constexpr std::uint32_t kNormal = 0x80; // what NTFS keeps for a file with no other bit

// The driver takes the whole word as given (only the directory bit is its own), so the bits
// beyond the four, compressed or sparse among them, are carried over unchanged.
class Ntfs3Store final : public AttributeWordStore {
public:
    bool WindowsFoldsNames() const override { return true; }

private:
    std::optional<std::uint32_t> ReadWord(const FileRef& file) const override {
        std::uint32_t word = 0;
        if (GetXattr(file, kAttributeWord, &word, sizeof word) != static_cast<ssize_t>(sizeof word))
            return std::nullopt;
        return word;
    }

    // Normal stands for no other bit, as NTFS keeps it.
    bool WriteWord(const FileRef& file, std::uint32_t word) const override {
        const std::uint32_t bits = word & ~kNormal;
        const std::uint32_t stored = bits == 0 ? kNormal : bits;
        std::array<std::uint8_t, sizeof stored> bytes{};
        std::memcpy(bytes.data(), &stored, sizeof stored);
        return SetXattr(file, kAttributeWord, bytes) == 0;
    }
};

} // namespace

std::unique_ptr<DosMetadataStore> MakeNtfs3Store() {
    return std::make_unique<Ntfs3Store>();
}

} // namespace tarvolin
