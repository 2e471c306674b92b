#pragma once

// Where a volume keeps what Windows knows about a file and Unix does not: the attribute bits
// and the creation time. Ordinary Linux file systems have no place for them, so they live in
// Samba's `user.DOSATTRIB` beside the mode bits; other volumes (NTFS through ntfs-3g, SMB
// mounts) carry them natively under other names. Such a volume may also need the ordinary
// times written its own way, so the store writes those too. Callers ask StoreFor and never
// learn which store answered.

#include "AttributeSet.h"
#include "FileAccess.h"
#include "LocalTime.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <sys/stat.h>

namespace tarvolin {

struct DosSide {
    AttributeSet attributes = 0; // only the four bits the program deals in
    UnixTime creationTime;
    bool creationStored = false; // a value of the file's own, not the birth or oldest time
    bool ownRecord = false;      // the store keeps a record beside the file (user.DOSATTRIB)
};

class DosMetadataStore {
public:
    virtual ~DosMetadataStore() = default;

    // `st` is the file's statx; a list of 100 000 files is re-read after every batch run, so a
    // store reads as few extended attributes besides it as its volume allows: one where a
    // single value holds both attributes and creation time, two on ntfs-3g, which has none
    // (pinned by NtfsAttributes.ListRowCostsOneStatxAndTwoXattrReads).
    virtual DosSide Read(const FileRef& file, const struct statx& st) const = 0;

    // Leaves the file with exactly `wanted`; false when the volume refuses any part of it.
    virtual bool WriteAttributes(const FileRef& file, const struct statx& st,
                                 AttributeSet wanted) const = 0;

    // `file` carries an open descriptor. The attribute bits keep the value they read now.
    virtual bool WriteCreationTime(const FileRef& file, const struct statx& st,
                                   const UnixTime& utc) const = 0;

    // `file` carries an open descriptor. Sets last access and last write and leaves the
    // creation time as it is.
    virtual bool WriteAccessAndModifyTime(const FileRef& file, const struct statx& st,
                                          const UnixTime& access, const UnixTime& modify) const = 0;

    // Undo of a run on a file that had none: the stored creation time goes, so the volume
    // shows the birth time again; the record beside the file goes whole. Nothing to do where
    // the store keeps neither.
    virtual bool ForgetCreationTime(const FileRef&) const { return true; }
    virtual bool ForgetRecord(const FileRef&) const { return true; }

    // Whether Windows reads the volume's names without regard to letter case, also where this
    // mount tells them apart (NTFS mounted case-sensitively): two names that differ only in
    // case would leave one of the files unreachable there.
    virtual bool WindowsFoldsNames() const { return false; }
};

// What Unix itself says of a file's DOS side, which every store falls back on: read-only is
// the owner's missing write permission, a dot-file is hidden (as Samba shows it), and the
// creation time is the birth time, or the oldest time the inode carries where there is none.

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kPermissionBits = 07777;

inline bool OwnerMayWrite(const struct statx& st) {
    return (st.stx_mode & S_IWUSR) != 0;
}

inline AttributeSet HiddenByName(const FileRef& file) {
    return IsDotFileName(LastComponentView(file.path)) ? kHidden : 0;
}

// A directory's mode says nothing of read-only: on Windows that flag does not keep anyone
// from changing a folder's contents.
inline AttributeSet ReadOnlyByMode(const struct statx& st) {
    return S_ISDIR(st.stx_mode) || OwnerMayWrite(st) ? 0 : kReadOnly;
}

// The four bits of a volume's own attribute word (FAT's attribute byte, the NTFS word, Samba's
// value); none where the volume gave no word.
inline AttributeSet FourAttributesOf(const std::optional<std::uint32_t>& word) {
    return word ? static_cast<AttributeSet>(*word & kFourAttributes) : 0;
}

// `word` with the four bits of `wanted` in place of its own; the volume's other bits stay.
inline std::uint32_t WithFourAttributes(std::uint32_t word, AttributeSet wanted) {
    return (word & ~static_cast<std::uint32_t>(kFourAttributes)) |
           static_cast<std::uint32_t>(wanted);
}

inline AttributeSet AttributesFromModeAndName(const FileRef& file, const struct statx& st) {
    return ReadOnlyByMode(st) | HiddenByName(file);
}

inline UnixTime BirthOrOldestTime(const struct statx& st) {
    if (st.stx_mask & STATX_BTIME)
        return ToUnixTime(st.stx_btime);
    const auto earlier = [](const UnixTime& a, const UnixTime& b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : a.nanoseconds < b.nanoseconds;
    };
    return std::min({ToUnixTime(st.stx_ctime), ToUnixTime(st.stx_mtime), ToUnixTime(st.stx_atime)},
                    earlier);
}

// The mode with write permission back after read-only is cleared: for every class that may
// read, within the user's umask, so 0664 made read-only (0444) comes back as 0664, not 0644.
// A file that is writable keeps its mode.
inline mode_t WritableMode(const struct statx& st) {
    const mode_t mode = st.stx_mode & kPermissionBits;
    if (OwnerMayWrite(st))
        return mode;
    const mode_t mask = umask(0);
    umask(mask);
    return mode | S_IWUSR | (((mode & 0444) >> 1) & ~mask);
}

inline int ChangeMode(const FileRef& file, mode_t mode) {
    return file.fd >= 0 ? fchmod(file.fd, mode) : chmod(file.path.c_str(), mode);
}

// Sets last access and last write through the open descriptor the time writers hold.
inline bool SetAccessAndModifyTime(const FileRef& file, const UnixTime& access,
                                   const UnixTime& modify) {
    const timespec accessAndModify[2] = {
        {static_cast<time_t>(access.seconds), static_cast<long>(access.nanoseconds)},
        {static_cast<time_t>(modify.seconds), static_cast<long>(modify.nanoseconds)}};
    return futimens(file.fd, accessAndModify) == 0;
}

// A store whose volume keeps the creation time only as the birth time, which no call sets,
// and writes the other times the ordinary way (ntfs3, FAT and exFAT, volumes with no place
// for DOS bits).
class BirthTimeStore : public DosMetadataStore {
public:
    bool WriteCreationTime(const FileRef&, const struct statx&, const UnixTime&) const final {
        errno = ENOTSUP;
        return false;
    }

    bool WriteAccessAndModifyTime(const FileRef& file, const struct statx&, const UnixTime& access,
                                  const UnixTime& modify) const final {
        return SetAccessAndModifyTime(file, access, modify);
    }
};

// A store whose volume keeps the attribute bits in a word of its own (FAT's attribute byte,
// the NTFS word through the kernel's ntfs3): the four bits are read from that word and
// written into it, and every other bit of it stays as the volume had it.
class AttributeWordStore : public BirthTimeStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const final {
        return DosSide{FourAttributesOf(ReadWord(file)), BirthOrOldestTime(st)};
    }

    bool WriteAttributes(const FileRef& file, const struct statx&,
                         AttributeSet wanted) const final {
        const std::optional<std::uint32_t> word = ReadWord(file);
        return word && WriteWord(file, WithFourAttributes(*word, wanted));
    }

private:
    // No value where the volume does not answer.
    virtual std::optional<std::uint32_t> ReadWord(const FileRef& file) const = 0;
    virtual bool WriteWord(const FileRef& file, std::uint32_t word) const = 0;
};

} // namespace tarvolin
