#include "DosAttribBlob.h"
#include "FileMode.h"
#include "FileOps.h"
#include "Privileges.h"
#include "SambaBlobs.h"
#include "ScratchMount.h"
#include "SharedCases.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::ModeOf;
using test::TempDir;
using test::WriteFile;

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::optional<std::uint32_t> StoredBits(const std::string& path) {
    const std::optional<test::Bytes> raw = test::ReadDosAttribXattr(path);
    if (!raw)
        return std::nullopt;
    const std::optional<DosAttrib> parsed = ParseDosAttrib(*raw);
    return parsed ? std::optional(parsed->attributes) : std::nullopt;
}

std::string NewFile(const TempDir& dir, const std::string& name, mode_t mode = 0644) {
    const std::string path = dir / name;
    WriteFile(path, "data");
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path;
}

class EveryCombination : public ::testing::TestWithParam<AttributeSet> {};

// The read-back itself runs in VolumeContractTest.cpp; here, where the bits are kept.
TEST_P(EveryCombination, ReachesTheModeAndTheXattr) {
    const AttributeSet bits = GetParam();
    TempDir dir;
    const std::string path = NewFile(dir, "file.txt", 0666);

    ASSERT_TRUE(ApplyAttributes(path, bits));

    const bool readOnly = (bits & kReadOnly) != 0;
    EXPECT_EQ((ModeOf(path) & kAllWriteBits) == 0, readOnly);
    if (bits & (kHidden | kSystem | kArchive)) {
        EXPECT_EQ(StoredBits(path), static_cast<std::uint32_t>(bits));
    }
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, EveryCombination,
                         ::testing::ValuesIn(cases::kEveryAttributeSet));

TEST(ApplyAttributes, NothingSetLeavesAPlainFile) {
    TempDir dir;
    const std::string path = NewFile(dir, "plain.txt", 0444);
    ASSERT_TRUE(test::WriteDosAttribXattr(path, test::BareHexBlob("0x27", true)));

    ASSERT_TRUE(ApplyAttributes(path, 0));

    EXPECT_EQ(ReadAttributes(path), 0);
    EXPECT_NE(ModeOf(path) & S_IWUSR, 0u);
}

struct ModeCase {
    const char* label;
    mode_t before;
    bool readOnly;
    mode_t after;
    mode_t umask = 022;
};

class ReadOnlyMode : public ::testing::TestWithParam<ModeCase> {};

// Setting removes every write bit (a-w); clearing gives write back to the owner and to every
// class that may read, within the umask.
TEST_P(ReadOnlyMode, ChangesOnlyTheWriteBits) {
    const ModeCase& c = GetParam();
    TempDir dir;
    const std::string path = NewFile(dir, "file.txt", c.before);
    const mode_t previous = umask(c.umask);

    ASSERT_TRUE(ApplyAttributes(path, c.readOnly ? kReadOnly : 0));

    umask(previous);
    EXPECT_EQ(ModeOf(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadOnlyMode,
    ::testing::Values(ModeCase{"SetFromAllWritable", 0666, true, 0444},
                      ModeCase{"SetKeepsExecuteBits", 0775, true, 0555},
                      ModeCase{"SetWhenAlreadyReadOnly", 0444, true, 0444},
                      ModeCase{"ClearGivesOwnerWrite", 0444, false, 0644},
                      ModeCase{"ClearKeepsOthersAsTheyWere", 0464, false, 0664},
                      ModeCase{"ClearWhenWritable", 0600, false, 0600},
                      ModeCase{"ClearWithinAGroupUmask", 0444, false, 0664, 002},
                      ModeCase{"ClearWithinAPrivateUmask", 0444, false, 0644, 077}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ReadAttributes, ReadOnlyByModeAlone) {
    TempDir dir;
    EXPECT_EQ(ReadAttributes(NewFile(dir, "file.txt", 0444)), kReadOnly);
    EXPECT_EQ(ReadAttributes(NewFile(dir, "other.txt", 0644)), 0);
}

// On Windows read-only does not keep anyone from changing a folder, so a directory's mode
// neither gives nor takes it.
TEST(DirectoryAttributes, ReadOnlyLeavesTheModeAlone) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / ".dotdir").c_str(), 0555), 0);
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
    EXPECT_EQ(ReadAttributes(dir / ".dotdir"), kHidden);

    ASSERT_TRUE(ApplyAttributes(dir / "folder", kReadOnly | kArchive));
    EXPECT_EQ(ReadAttributes(dir / "folder"), kReadOnly | kArchive);
    EXPECT_EQ(ModeOf(dir / "folder"), 0755u);
}

// Nothing is changed through a symbolic link in another folder, nor in a FIFO, socket or
// device: those steps fail for them.
TEST(OnlyItself, LinksAndSpecialFilesTakeNoAttributes) {
    TempDir dir;
    const std::string target = NewFile(dir, "target.txt");
    ASSERT_EQ(symlink(target.c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);

    EXPECT_FALSE(ApplyAttributes(dir / "link", kHidden));
    EXPECT_FALSE(ApplyAttributes(dir / "pipe", kHidden));
    EXPECT_EQ(ReadAttributes(target), 0);
    EXPECT_EQ(ModeOf(dir / "pipe") & 07777, 0644u);
}

TEST(DotFile, ReadsHiddenUntilTheXattrSaysOtherwise) {
    TempDir dir;
    const std::string path = NewFile(dir, ".profile");
    EXPECT_EQ(ReadAttributes(path), kHidden);

    ASSERT_TRUE(ApplyAttributes(path, 0));
    EXPECT_EQ(ReadAttributes(path), 0);
    EXPECT_EQ(StoredBits(path), 0u);

    ASSERT_TRUE(ApplyAttributes(path, kHidden | kArchive));
    EXPECT_EQ(ReadAttributes(path), kHidden | kArchive);
}

struct StoredCase {
    const char* label;
    std::string name;
    test::Bytes blob;
    AttributeSet expected;
};

class HandWrittenXattr : public ::testing::TestWithParam<StoredCase> {};

TEST_P(HandWrittenXattr, ReadsAsSambaMeantIt) {
    const StoredCase& c = GetParam();
    TempDir dir;
    const std::string path = NewFile(dir, c.name, 0644);
    ASSERT_TRUE(test::WriteDosAttribXattr(path, c.blob));
    EXPECT_EQ(ReadAttributes(path), c.expected);
}

constexpr std::uint64_t kCreate = 133'500'000'000'000'000;
constexpr std::uint32_t kValid = test::kValidAttrib | test::kValidCreateTime;

INSTANTIATE_TEST_SUITE_P(
    Table, HandWrittenXattr,
    ::testing::Values(
        StoredCase{"SambaVersion5", "f", test::Version5Blob(kValid, 0x27, kCreate), 0x27},
        StoredCase{"SambaVersion4", "f", test::Version4Blob(kValid, 0x22, kCreate), 0x22},
        StoredCase{"SambaVersion3", "f", test::Version3Blob(kValid, 0x22, kCreate), 0x22},
        StoredCase{"SambaVersion1", "f", test::Version1Blob(0x24, kCreate), 0x24},
        StoredCase{"BareHexWithoutNul", "f", test::BareHexBlob("0x22", false), 0x22},
        StoredCase{"BareHexWithNul", "f", test::BareHexBlob("0x7", true), 0x07},
        StoredCase{"ReadOnlyOnlyInXattr", "f", test::BareHexBlob("0x1", true), kReadOnly},
        StoredCase{"BitsBeyondTheFourDropped", "f", test::Version5Blob(kValid, 0x8130, kCreate),
                   kArchive},
        StoredCase{"XattrClearsDotFileHidden", ".f", test::BareHexBlob("0x20", true), kArchive},
        StoredCase{"LargerThanAnyCurrentForm", "f", test::Version2Blob(0x6, std::string(600, 'n')),
                   0x06},
        StoredCase{"GarbageIsIgnored", "f", test::BareHexBlob("junk", true), 0},
        StoredCase{"GarbageKeepsDotFileHidden", ".f", test::BareHexBlob("junk", true), kHidden}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ApplyAttributes, KeepsACreationTimeStoredInTheXattr) {
    TempDir dir;
    const std::string path = NewFile(dir, "f");
    ASSERT_TRUE(test::WriteDosAttribXattr(path, test::Version5Blob(kValid, 0x20, kCreate)));

    ASSERT_TRUE(ApplyAttributes(path, kHidden));

    const std::optional<test::Bytes> raw = test::ReadDosAttribXattr(path);
    ASSERT_TRUE(raw.has_value());
    const std::optional<DosAttrib> stored = ParseDosAttrib(*raw);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->attributes, static_cast<std::uint32_t>(kHidden));
    EXPECT_EQ(stored->createTime, kCreate);
}

const AttributeSet kRefusalRows[] = {0, kReadOnly, kHidden, kSystem, kArchive, 0x27};

TEST(ReadOnlyMount, RefusesEveryChange) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "mounting needs root";
    test::ScratchVolume volume("tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    const std::string plain = volume / "plain";
    const std::string marked = volume / "marked";
    WriteFile(plain, "x");
    WriteFile(marked, "x");
    ASSERT_TRUE(ApplyAttributes(marked, kHidden | kSystem));
    ASSERT_TRUE(volume.RemountReadOnly());

    for (const AttributeSet bits : kRefusalRows) {
        EXPECT_FALSE(ApplyAttributes(plain, bits)) << std::hex << bits;
        EXPECT_FALSE(ApplyAttributes(marked, bits)) << std::hex << bits;
    }
    EXPECT_EQ(ReadAttributes(plain), 0);
    EXPECT_EQ(ReadAttributes(marked), kHidden | kSystem);
}

TEST(ImmutableFile, RefusesEveryChange) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "chattr +i needs root";
    TempDir dir;
    const std::string path = NewFile(dir, "locked", 0644);
    ASSERT_TRUE(ApplyAttributes(path, kArchive));
    ASSERT_TRUE(test::SetImmutable(path, true));

    for (const AttributeSet bits : kRefusalRows)
        EXPECT_FALSE(ApplyAttributes(path, bits)) << std::hex << bits;

    EXPECT_EQ(ReadAttributes(path), kArchive);
    EXPECT_EQ(ModeOf(path), 0644u);
    ASSERT_TRUE(test::SetImmutable(path, false));
}

// Samba's value is Samba's too: what this program does not own stays as Samba wrote it.
struct SambaValueCase {
    const char* label;
    test::Bytes before;  // the value Samba left
    AttributeSet wanted; // then written by the program
    test::Bytes after;   // the value afterwards, byte for byte
};

class SambaValue : public ::testing::TestWithParam<SambaValueCase> {};

TEST_P(SambaValue, KeepsWhatThisProgramDoesNotOwn) {
    const SambaValueCase& c = GetParam();
    TempDir dir;
    const std::string path = NewFile(dir, "file.txt");
    ASSERT_TRUE(test::WriteDosAttribXattr(path, c.before));

    ASSERT_TRUE(ApplyAttributes(path, c.wanted));

    EXPECT_EQ(test::ReadDosAttribXattr(path), c.after);
    EXPECT_EQ(ReadAttributes(path), c.wanted);
}

constexpr std::uint64_t kSambaTime = 133'000'000'000'000'000;

INSTANTIATE_TEST_SUITE_P(
    Table, SambaValue,
    ::testing::Values(
        SambaValueCase{"Version4KeepsItsItime", test::Version4Blob(0x11, 0x20, kSambaTime), kHidden,
                       test::Version4Blob(0x11, 0x02, kSambaTime)},
        SambaValueCase{"TimeOnlyValueKeepsItsTime", test::Version5Blob(0x10, 0x00, kSambaTime),
                       kSystem, test::Version5Blob(0x11, 0x04, kSambaTime)},
        SambaValueCase{"GarbageBecomesAWholeValue", test::Bytes{0x00, 0x00, 0x09, 0x00}, 0,
                       EncodeDosAttrib(DosAttrib{0x00, {}})}),
    [](const auto& info) { return std::string(info.param.label); });

// ramfs keeps no user xattrs at all (ENOTSUP): read-only still lives in the mode.
struct NoXattrCase {
    const char* label;
    AttributeSet wanted;
    bool accepted;
};

class VolumeWithoutXattrs : public ::testing::TestWithParam<NoXattrCase> {};

TEST_P(VolumeWithoutXattrs, TakesOnlyWhatTheModeCanHold) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "mounting needs root";
    const NoXattrCase& c = GetParam();
    test::ScratchVolume volume("ramfs");
    ASSERT_TRUE(volume.mounted());
    const std::string path = volume / "file";
    WriteFile(path, "x");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);

    EXPECT_EQ(ApplyAttributes(path, c.wanted), c.accepted);

    EXPECT_EQ(ReadAttributes(path), c.accepted ? c.wanted : kReadOnly);
    EXPECT_EQ(ModeOf(path), c.accepted && !(c.wanted & kReadOnly) ? 0644u : 0444u);
}

INSTANTIATE_TEST_SUITE_P(Table, VolumeWithoutXattrs,
                         ::testing::Values(NoXattrCase{"Nothing", 0, true},
                                           NoXattrCase{"ReadOnly", kReadOnly, true},
                                           NoXattrCase{"Hidden", kHidden, false},
                                           NoXattrCase{"System", kSystem, false},
                                           NoXattrCase{"Archive", kArchive, false},
                                           NoXattrCase{"ReadOnlyAndArchive", 0x21, false}),
                         [](const auto& info) { return std::string(info.param.label); });

// The owner of a file without write permission may not write its user xattrs: the write bit
// must come back before the xattr changes and go only after. Root would not notice.
TEST(OrdinaryOwner, SetsAndClearsReadOnlyTogetherWithOtherBits) {
    if (!test::RunningAsRoot())
        GTEST_SKIP() << "changing users needs root";
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string path = NewFile(dir, "mine.txt", 0644);
    ASSERT_EQ(chown(path.c_str(), test::kNobody, test::kNobody), 0);

    const std::pair<AttributeSet, AttributeSet> steps[] = {
        {kReadOnly | kHidden, kReadOnly | kHidden},
        {kReadOnly | kArchive, kReadOnly | kArchive},
        {kSystem, kSystem},
        {0, 0}};
    for (const auto& [wanted, expected] : steps) {
        EXPECT_EQ(test::RunAsNobody([&] { return ApplyAttributes(path, wanted); }), true) << wanted;
        EXPECT_EQ(ReadAttributes(path), expected) << wanted;
        EXPECT_EQ((ModeOf(path) & kAllWriteBits) == 0, (expected & kReadOnly) != 0);
    }
}

} // namespace
} // namespace tarvolin
