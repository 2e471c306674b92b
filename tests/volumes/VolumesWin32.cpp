// On Windows the contract runs on the volume of the temporary folder: NTFS on Windows itself,
// and under Wine the host's directory that Wine shows as one, case-insensitive like NTFS.
// Wine keeps no creation time and no archive bit of its own; Windows keeps both.

#include "Platform.h"
#include "TempDir.h"
#include "VolumeUnderTest.h"

namespace tarvolin::test {

std::vector<VolumeKind> VolumesToTest() {
    const bool wine = RunningUnderWine();
    return {VolumeKind{.name = wine ? "wine" : "ntfs",
                       .mountPoint = "",
                       .caseInsensitive = true,
                       .readByWindows = true,
                       .creation = wine ? CreationTime::Dropped : CreationTime::Kept,
                       .listsLowerCase = false,
                       .renamesWithoutFlags = false,
                       .looksUpOneByOne = wine,
                       .holdsYear2100 = true,
                       .accessDayOnly = false,
                       .namesHoldAnyByte = false,
                       .namesBeyondAscii = true,
                       .changesNonAsciiCase = true,
                       .changesDirectoryCase = true,
                       .keptAttributes = kFourAttributes,
                       .alwaysShown = wine ? kArchive : AttributeSet{0}}};
}

struct Place::Volume {
    TempDir temp;
};

Place::Place(const VolumeKind&) : volume_(std::make_unique<Volume>()) {
    path_ = volume_->temp.path();
    ok_ = true;
}

Place::~Place() = default;

std::string Place::operator/(const std::string& name) const {
    return volume_->temp / name;
}

std::vector<std::string> Place::Names() const {
    return ListDir(path_);
}

} // namespace tarvolin::test
