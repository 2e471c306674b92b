// Renames on NTFS through ntfs-3g, which takes no rename flags: the no-replace guarantee
// comes from link() and unlink() there. With lowntfs-3g's ignore_case the volume is
// case-insensitive like Windows: a name finds its file in any letter case, a direct rename
// to another case changes nothing, and listings show every name in lower case. ntfsls, which
// reads the unmounted image, shows the names as Windows will.
#include "FileOps.h"
#include "IdentityOf.h"
#include "NtfsFixture.h"
#include "SharedCases.h"
#include "TimeZone.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::IdentityOf;
using test::ListDir;
using test::NtfsDriver;
using test::ReadFile;
using test::WriteFile;
using Names = std::vector<std::string>;

// ntfsls writes one name a line, so a name holding a line break shows as its pieces.
Names AsNtfslsShows(const std::string& name) {
    Names pieces;
    std::size_t start = 0;
    for (std::size_t end; (end = name.find('\n', start)) != std::string::npos; start = end + 1)
        pieces.push_back(name.substr(start, end - start));
    pieces.push_back(name.substr(start));
    std::sort(pieces.begin(), pieces.end());
    return pieces;
}

bool NoTemporaryLeft(const Names& names) {
    return std::none_of(names.begin(), names.end(), [](const std::string& name) {
        return name.find("arvolin") != std::string::npos;
    });
}

class NtfsRename : public test::OnEitherDriver {};

// The table of the ordinary file systems, each pair in a directory of its own, without the
// names that are not UTF-8: NTFS holds UTF-16 names and ntfs-3g refuses those. What the mount
// shows is OnEveryVolume.MovesAnyNameWithItsContent; here, what the disk holds.
TEST_P(NtfsRename, NamesFromTheTableMoveWithTheirContent) {
    std::vector<cases::NamePair> table = cases::RenameNamePairs();
    std::erase_if(table, [](const cases::NamePair& c) { return !c.utf8; });
    for (const cases::NamePair& c : table) {
        const std::string dir = *this / c.label;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        WriteFile(dir + "/" + c.oldName, std::string("content of ") + c.label);

        ASSERT_TRUE(RenameOnDisk(dir + "/" + c.oldName, dir + "/" + c.newName)) << c.label;
    }
    ASSERT_TRUE(Unmount());
    for (const cases::NamePair& c : table)
        EXPECT_EQ(volume().ListOnDisk(std::string("/") + c.label), AsNtfslsShows(c.newName))
            << c.label;
}

enum class Kind { File, Directory };

void Make(const std::string& path, Kind kind, const std::string& content) {
    if (kind == Kind::File) {
        WriteFile(path, content);
    } else {
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    }
}

// link() and unlink() keep the MFT record, so the attributes and times go with the name.
TEST_P(NtfsRename, KeepsAttributesAndTimes) {
    const test::TimeZoneScope zone("UTC");
    const std::string oldPath = *this / "photo.jpg";
    WriteFile(oldPath, "x");
    ASSERT_TRUE(SetCreationTime(oldPath, {2010, 5, 5}, {2000, 1, 1, 5, 5, 4}));
    ASSERT_TRUE(SetModifyTime(oldPath, {2011, 6, 6}, {2000, 1, 1, 6, 6, 6}));
    ASSERT_TRUE(ApplyAttributes(oldPath, kReadOnly | kHidden | kArchive));

    ASSERT_TRUE(RenameOnDisk(oldPath, *this / "renamed.jpg"));

    EXPECT_EQ(ReadAttributes(*this / "renamed.jpg"), kReadOnly | kHidden | kArchive);
    EXPECT_EQ(GetCreationTime(*this / "renamed.jpg"), (LocalDateTime{2010, 5, 5, 5, 5, 4}));
    EXPECT_EQ(GetModifyTime(*this / "renamed.jpg"), (LocalDateTime{2011, 6, 6, 6, 6, 6}));
    ASSERT_TRUE(Unmount());
    const std::optional<test::NtfsRecord> record = volume().Inspect("/renamed.jpg");
    ASSERT_TRUE(record.has_value()) << volume().log();
    EXPECT_EQ(record->attributes, static_cast<std::uint32_t>(kReadOnly | kHidden | kArchive));
    EXPECT_EQ(record->creationTime, 1273035904); // 2010-05-05 05:05:04 UTC
    EXPECT_EQ(record->modifyTime, 1307340366);   // 2011-06-06 06:06:06 UTC
    EXPECT_EQ(volume().ListOnDisk(), Names{"renamed.jpg"});
}

INSTANTIATE_TEST_SUITE_P(Drivers, NtfsRename, test::kEitherDriver, test::DriverName);

class CaseInsensitiveNtfs : public test::NtfsTest {
protected:
    void SetUp() override { MountFresh(NtfsDriver::LowNtfs3gIgnoreCase); }
};

// Why the program goes through a temporary name: the volume answers a direct case-only
// rename with success and keeps the old name.
TEST_F(CaseInsensitiveNtfs, DirectCaseOnlyRenameChangesNothing) {
    WriteFile(*this / "m1.txt", "x");

    ASSERT_EQ(std::rename((*this / "m1.txt").c_str(), (*this / "M1.TXT").c_str()), 0);

    ASSERT_TRUE(Unmount());
    EXPECT_EQ(volume().ListOnDisk(), Names{"m1.txt"});
}

TEST_F(CaseInsensitiveNtfs, LetterCaseChangesReachTheDisk) {
    const std::vector<cases::CaseChange> table = cases::LetterCaseChanges();
    for (const cases::CaseChange& c : table) {
        const std::string dir = *this / c.label;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        Make(dir + "/" + c.oldName, c.directory ? Kind::Directory : Kind::File, "payload");
        const auto identity = IdentityOf(dir + "/" + c.oldName);

        EXPECT_TRUE(RenameOnDisk(dir + "/" + c.oldName, dir + "/" + c.newName)) << c.label;

        EXPECT_EQ(IdentityOf(dir + "/" + c.newName), identity) << c.label;
        EXPECT_EQ(ListDir(dir).size(), 1u) << c.label;
    }
    ASSERT_TRUE(Unmount());
    for (const cases::CaseChange& c : table)
        EXPECT_EQ(volume().ListOnDisk(std::string("/") + c.label), AsNtfslsShows(c.newName))
            << c.label;
}

// Files written by Windows often carry a DOS short name as a second name record, which
// ntfs-3g counts as a second link; the re-cased name is still the file's own.
TEST_F(CaseInsensitiveNtfs, FileWithAShortNameChangesCase) {
    const std::string longName = *this / "LongPhotoName.JPG";
    WriteFile(longName, "x");
    const char shortName[] = "LONGPH~1.JPG";
    ASSERT_EQ(
        setxattr(longName.c_str(), "system.ntfs_dos_name", shortName, sizeof shortName - 1, 0), 0);
    struct stat st {};
    ASSERT_EQ(stat(longName.c_str(), &st), 0);
    ASSERT_EQ(st.st_nlink, 2u) << "the short name no longer counts as a link";

    EXPECT_TRUE(RenameOnDisk(longName, *this / "longphotoname.jpg"));
    EXPECT_TRUE(RenameOnDisk(*this / "longphotoname.jpg", *this / "LONGPHOTONAME.jpg"));

    ASSERT_TRUE(Unmount());
    const Names onDisk = volume().ListOnDisk();
    EXPECT_EQ(onDisk, Names{"LONGPHOTONAME.jpg"});
}

// Another file's name is refused in every letter case, and nothing moves.
TEST_F(CaseInsensitiveNtfs, NameOfAnotherFileIsRefusedInAnyCase) {
    WriteFile(*this / "a.txt", "one");
    WriteFile(*this / "b.txt", "two");

    EXPECT_FALSE(RenameOnDisk(*this / "a.txt", *this / "b.txt"));
    EXPECT_FALSE(RenameOnDisk(*this / "a.txt", *this / "B.TXT"));
    EXPECT_FALSE(RenameOnDisk(*this / "A.TXT", *this / "b.TXT"));

    EXPECT_EQ(ReadFile(*this / "a.txt"), "one");
    EXPECT_EQ(ReadFile(*this / "b.txt"), "two");
    ASSERT_TRUE(Unmount());
    EXPECT_EQ(volume().ListOnDisk(), (Names{"a.txt", "b.txt"}));
}

TEST_F(CaseInsensitiveNtfs, HardLinkIsRefusedInAnyCase) {
    WriteFile(*this / "a.txt", "shared");
    ASSERT_EQ(link((*this / "a.txt").c_str(), (*this / "b.txt").c_str()), 0);

    for (const char* name : {"b.txt", "B.TXT", "b.TXT"})
        EXPECT_FALSE(RenameOnDisk(*this / "a.txt", *this / name)) << name;

    EXPECT_EQ(ListDir(volume().path()), (Names{"a.txt", "b.txt"}));
    ASSERT_TRUE(Unmount());
    const Names onDisk = volume().ListOnDisk();
    EXPECT_EQ(onDisk, (Names{"a.txt", "b.txt"}));
    EXPECT_TRUE(NoTemporaryLeft(onDisk));
}

} // namespace
} // namespace tarvolin
