#pragma once

// Where a volume keeps what Windows knows about a file and Unix does not: the attribute bits
// and the creation time. Ordinary Linux file systems have no place for them, so they live in
// Samba's `user.DOSATTRIB` beside the mode bits; other volumes (NTFS through ntfs-3g, SMB
// mounts) carry them natively under other names. Such a volume may also need the ordinary
// times written its own way, so the store writes those too. Callers ask StoreFor and never
// learn which store answered.

#include "AttributeSet.h"
#include "FileRef.h"
#include "LocalTimeConversion.h"

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

// The store of the volume that holds `file`, whose statx is `st`.
const DosMetadataStore& StoreFor(const FileRef& file, const struct statx& st);

} // namespace tarvolin
