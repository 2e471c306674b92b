#include "StoreChoice.h"

namespace tarvolin {

DosStoreKind ChooseDosStore(const VolumeAnswers& answers) {
    // Both NTFS drivers answer for the attribute word; only ntfs-3g runs through FUSE.
    if (answers.ntfsAttributeWord)
        return answers.fuse ? DosStoreKind::Ntfs3g : DosStoreKind::Ntfs3;
    if (answers.fatAttributes)
        return DosStoreKind::FatAttributes;
    return answers.userXattrs ? DosStoreKind::SambaDosAttrib : DosStoreKind::ModeOnly;
}

} // namespace tarvolin
