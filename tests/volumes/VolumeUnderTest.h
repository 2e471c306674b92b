#pragma once

// The kinds of volume the contract suite runs on, what each is known to do, and a fresh, empty
// directory on one. Which kinds there are and how a directory is made on one is the platform's
// part (VolumesLinux.cpp, VolumesWin32.cpp); the cases themselves are written once.

#include "AttributeSet.h"

#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tarvolin::test {

// What a written creation time does on the volume.
enum class CreationTime {
    Kept,    // SetCreationTime stores it and reads it back
    Refused, // the volume has no place the program may write it: SetCreationTime fails
    Dropped, // Wine: the write reports success and the file shows its modification time
};

struct VolumeKind {
    std::string name;
    std::string mountPoint;   // empty: made fresh for each test on this machine
    bool caseInsensitive;     // a name in another letter case finds the same file
    bool readByWindows;       // names that differ only in letter case are one name there
    CreationTime creation;    // what SetCreationTime does there
    bool listsLowerCase;      // the driver lists every name in lower case (lowntfs-3g)
    bool renamesWithoutFlags; // no RENAME_NOREPLACE: moves go through a reservation
    bool looksUpOneByOne;     // every lookup is a round trip (FUSE, Wine)
    bool holdsYear2100;       // ext4 with 128-byte inodes stops in 2038
    bool accessDayOnly;       // FAT keeps the day of the last access, no time
    bool namesHoldAnyByte;    // a name may hold any byte but '/' and NUL
    bool namesBeyondAscii;    // fusefat takes ASCII names only
    // The letter case of a non-ASCII letter can be changed (été.txt to ÉTÉ.txt). The file layer
    // refuses it today on the FUSE servers that fold letters (exfat-fuse, lowntfs-3g with
    // ignore_case); the kernel's drivers take it. fusefat holds no such name at all.
    bool changesNonAsciiCase;
    // The letter case of a directory's name can be changed: on fusefat the file layer refuses
    // it, though the server renames a directory through another name as asked.
    bool changesDirectoryCase;
    AttributeSet keptAttributes; // what the volume has a place for
    AttributeSet alwaysShown;    // bits every file shows whatever was written (Wine: archive)
};

inline void PrintTo(const VolumeKind& kind, std::ostream* out) {
    *out << kind.name;
}

// The kinds this run covers: those named in TARVOLIN_VOLUMES ("kind=mount point" pairs,
// blank-separated), else those this machine can make.
std::vector<VolumeKind> VolumesToTest();

// A fresh, empty directory on a volume of `kind`, removed with the volume it may have mounted.
class Place {
public:
    explicit Place(const VolumeKind& kind);
    ~Place();
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

    bool ok() const { return ok_; }
    // Why no directory could be made; `skip` when this machine cannot make such a volume at
    // all (no FUSE, no ntfs-3g), which is no failure of the program.
    const std::string& why() const { return why_; }
    bool skip() const { return skip_; }
    std::string operator/(const std::string& name) const;
    std::vector<std::string> Names() const;

private:
    struct Volume;
    std::unique_ptr<Volume> volume_;
    std::string path_;
    std::string why_;
    bool ok_ = false;
    bool skip_ = false;
};

// A test run once on each kind of volume, in a fresh directory there. The cases are written in
// more than one file (some reach one platform's backend), and instantiated once.
class OnEveryVolume : public ::testing::TestWithParam<VolumeKind> {
protected:
    void SetUp() override {
        place_ = std::make_unique<Place>(GetParam());
        if (place_->skip())
            GTEST_SKIP() << place_->why();
        ASSERT_TRUE(place_->ok()) << "no volume for " << GetParam().name << ": " << place_->why();
    }
    std::string operator/(const std::string& name) const { return *place_ / name; }
    std::vector<std::string> Names() const { return place_->Names(); }
    const VolumeKind& kind() const { return GetParam(); }

    std::unique_ptr<Place> place_;
};

inline std::string KindLabel(const ::testing::TestParamInfo<VolumeKind>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

} // namespace tarvolin::test
