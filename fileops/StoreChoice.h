#pragma once

// Which store keeps a volume's DOS side (the attribute bits and the creation time), decided
// from what the volume answers when asked, never from its name alone: a FUSE volume may be
// ntfs-3g or something else, and the kernel's NTFS driver stores a name it does not know as an
// NTFS extended attribute that Windows never shows.

namespace tarvolin {

enum class DosStoreKind {
    SambaDosAttrib, // ext4, xfs, btrfs, tmpfs, case-folding ext4: Samba's user.DOSATTRIB
    Ntfs3g,         // NTFS through ntfs-3g or lowntfs-3g: system.ntfs_attrib and its times
    Ntfs3,          // NTFS through the kernel's ntfs3 driver: system.ntfs_attrib
    FatAttributes,  // vfat and exfat: the attribute byte through the FAT ioctls
    ModeOnly,       // no place for DOS bits at all (ramfs, FUSE without xattrs)
};

struct VolumeAnswers {
    bool fuse = false;              // a FUSE server runs the volume
    bool ntfsAttributeWord = false; // system.ntfs_attrib gave a 4-byte word
    bool fatAttributes = false;     // FAT_IOCTL_GET_ATTRIBUTES worked
    bool userXattrs = false;        // user.* extended attributes are supported
};

DosStoreKind ChooseDosStore(const VolumeAnswers& answers);

} // namespace tarvolin
