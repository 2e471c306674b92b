#include "ModeOnlyStore.h"

#include "DosMetadataStore.h"

#include <cerrno>

namespace tarvolin {

namespace {

class ModeOnlyStore final : public BirthTimeStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const override {
        return DosSide{AttributesFromModeAndName(file, st), BirthOrOldestTime(st)};
    }

    bool WriteAttributes(const FileRef& file, const struct statx& st,
                         AttributeSet wanted) const override {
        if ((wanted & ~kReadOnly) != HiddenByName(file)) {
            errno = ENOTSUP;
            return false;
        }
        // Some of these volumes take no chmod at all: a mode that already fits is left alone.
        const mode_t mode = st.stx_mode & kPermissionBits;
        const mode_t changed = wanted & kReadOnly ? mode & ~kAllWriteBits : WritableMode(st);
        return changed == mode || ChangeMode(file, changed) == 0;
    }
};

} // namespace

std::unique_ptr<DosMetadataStore> MakeModeOnlyStore() {
    return std::make_unique<ModeOnlyStore>();
}

} // namespace tarvolin
