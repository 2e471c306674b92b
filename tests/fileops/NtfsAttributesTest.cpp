// Attributes on NTFS go to the volume's own attribute word through ntfs-3g; ntfsinfo, which
// reads the unmounted image without the driver, shows what Windows will find.
#include "CountedSystemCalls.h"
#include "FileMode.h"
#include "FileOps.h"
#include "NtfsFixture.h"
#include "SharedCases.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace tarvolin {
namespace {

using test::ModeOf;
using test::OnEitherDriver;
using test::WriteFile;

constexpr std::uint32_t kDirectoryBit = 0x10;
constexpr std::uint32_t kTemporary = 0x100;
constexpr std::uint32_t kNotContentIndexed = 0x2000;

std::string HexName(AttributeSet bits) {
    char name[16];
    std::snprintf(name, sizeof name, "f%02x", static_cast<unsigned>(bits));
    return name;
}

std::optional<std::uint32_t> RawWord(const std::string& path) {
    std::uint32_t word = 0;
    if (getxattr(path.c_str(), "system.ntfs_attrib", &word, sizeof word) != sizeof word)
        return std::nullopt;
    return word;
}

bool SetRawWord(const std::string& path, std::uint32_t word) {
    return setxattr(path.c_str(), "system.ntfs_attrib", &word, sizeof word, 0) == 0;
}

// ntfs-3g lists a named data stream as a user.* attribute, so any user.* name would be a
// stream that Windows shows beside the file.
std::vector<std::string> UserXattrs(const std::string& path) {
    char names[4096];
    const ssize_t size = listxattr(path.c_str(), names, sizeof names);
    std::vector<std::string> found;
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        if (std::strncmp(names + at, "user.", 5) == 0)
            found.emplace_back(names + at);
    }
    return found;
}

class NtfsAttributes : public OnEitherDriver {};

// Each of the sixteen values on a file of its own (read back at once by
// OnEveryVolume.KeepsEveryCombinationOfTheFourAttributesItCanHold): found by ntfsinfo on the
// unmounted image, and read back again after a remount.
TEST_P(NtfsAttributes, EveryCombinationIsWhatWindowsFinds) {
    for (const AttributeSet bits : cases::kEveryAttributeSet) {
        const std::string path = *this / HexName(bits);
        WriteFile(path, "data");
        const mode_t mode = ModeOf(path);
        ASSERT_TRUE(ApplyAttributes(path, bits)) << std::hex << bits;
        EXPECT_EQ(ModeOf(path), mode) << "the mode bits do not reach Windows";
        EXPECT_TRUE(UserXattrs(path).empty()) << std::hex << bits;
    }
    ASSERT_TRUE(Unmount());
    for (const AttributeSet bits : cases::kEveryAttributeSet) {
        const std::optional<test::NtfsRecord> record = volume().Inspect("/" + HexName(bits));
        ASSERT_TRUE(record.has_value()) << volume().log();
        EXPECT_EQ(record->attributes, static_cast<std::uint32_t>(bits)) << std::hex << bits;
    }
    ASSERT_TRUE(MountAgain());
    for (const AttributeSet bits : cases::kEveryAttributeSet)
        EXPECT_EQ(ReadAttributes(*this / HexName(bits)), bits) << std::hex << bits;
}

// The value written is built from the four flags alone, so it clears the other bits a
// program may set, as Windows would; ntfs-3g keeps the bits no program may change.
TEST_P(NtfsAttributes, WritingClearsTheOtherSettableBits) {
    const std::string path = *this / "marked";
    WriteFile(path, "data");
    ASSERT_TRUE(SetRawWord(path, kTemporary | kNotContentIndexed | kArchive));

    ASSERT_TRUE(ApplyAttributes(path, kHidden));

    EXPECT_EQ(RawWord(path), static_cast<std::uint32_t>(kHidden));
    ASSERT_TRUE(Unmount());
    const std::optional<test::NtfsRecord> record = volume().Inspect("/marked");
    ASSERT_TRUE(record.has_value()) << volume().log();
    EXPECT_EQ(record->attributes, static_cast<std::uint32_t>(kHidden));
}

TEST_P(NtfsAttributes, DirectoryKeepsItsDirectoryBit) {
    const std::string path = *this / "folder";
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);

    ASSERT_TRUE(ApplyAttributes(path, kHidden | kSystem));
    EXPECT_EQ(ReadAttributes(path), kHidden | kSystem);
    EXPECT_EQ(RawWord(path), kDirectoryBit | kHidden | kSystem);

    ASSERT_TRUE(ApplyAttributes(path, 0));
    EXPECT_EQ(ReadAttributes(path), 0);
    EXPECT_EQ(RawWord(path), kDirectoryBit);
}

// Windows does not hide a name for its leading dot; only the attribute word counts there.
TEST_P(NtfsAttributes, DotFileShowsWhatTheVolumeHolds) {
    const std::string path = *this / ".profile";
    WriteFile(path, "data");
    EXPECT_EQ(ReadAttributes(path), kArchive);

    ASSERT_TRUE(ApplyAttributes(path, kHidden));
    EXPECT_EQ(ReadAttributes(path), kHidden);
    ASSERT_TRUE(ApplyAttributes(path, 0));
    EXPECT_EQ(ReadAttributes(path), 0);
}

TEST_P(NtfsAttributes, ReadOnlyMountRefusesEveryChange) {
    const std::string plain = *this / "plain";
    const std::string marked = *this / "marked";
    WriteFile(plain, "x");
    WriteFile(marked, "x");
    ASSERT_TRUE(ApplyAttributes(plain, 0));
    ASSERT_TRUE(ApplyAttributes(marked, kHidden | kSystem));
    ASSERT_TRUE(Unmount());
    ASSERT_TRUE(MountAgain(true));

    for (const AttributeSet bits : {0, kReadOnly, kHidden, kSystem, kArchive, 0x27}) {
        EXPECT_FALSE(ApplyAttributes(plain, bits)) << std::hex << bits;
        EXPECT_FALSE(ApplyAttributes(marked, bits)) << std::hex << bits;
    }
    EXPECT_EQ(ReadAttributes(plain), 0);
    EXPECT_EQ(ReadAttributes(marked), kHidden | kSystem);
}

// Nothing answers at a missing path on NTFS either, and nothing is created there.
// ntfs-3g keeps the attribute word and the creation time under two names, so a list row
// costs two reads there; the volume is asked what it is once, not per file.
TEST_P(NtfsAttributes, ListRowCostsOneStatxAndTwoXattrReads) {
    constexpr int kFiles = 20;
    FileLayer files; // the list's, which learns the volume with the first file
    for (int i = 0; i < kFiles; ++i) {
        WriteFile(*this / std::to_string(i), "x");
        ASSERT_TRUE(files.ApplyAttributes(*this / std::to_string(i), i % 2 ? kHidden : kArchive));
    }

    test::ResetSystemCallCounts();
    for (int i = 0; i < kFiles; ++i) {
        const FileSummary summary = files.ReadFileSummary(*this / std::to_string(i));
        EXPECT_EQ(summary.attributes, i % 2 ? kHidden : kArchive);
    }
    const test::SystemCallCounts counts = test::CurrentSystemCallCounts();

    EXPECT_EQ(counts.statx, kFiles);
    EXPECT_EQ(counts.getxattr, 2 * kFiles);
    EXPECT_LE(counts.statfs, 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, NtfsAttributes, test::kEitherDriver, test::DriverName);

} // namespace
} // namespace tarvolin
