// What the file layer promises on every kind of volume, written once and run on each: on Linux
// on this machine's own disk, on NTFS through ntfs-3g and lowntfs-3g and on FAT and exFAT
// through their FUSE servers; in a virtual machine with Debian's kernel on vfat, exfat, ntfs3
// (also mounted `nocase`) and case-folding ext4; on Windows, and under Wine, on the volume of
// the temporary folder. What each kind is known to do is in VolumeUnderTest.h; where a volume
// keeps its part is checked by the suites that read it past the program (tests/fileops).
//
// With --leave-witnesses the program instead leaves a few files in the root of each named
// volume for the disk checks made on the images after the guest has powered off
// (scripts/test-volumes-vm.sh).

#include "BatchPreview.h"
#include "FileOps.h"
#include "IdentityOf.h"
#include "Platform.h"
#include "RecordingOutlets.h"
#include "RenameJob.h"
#include "SharedCases.h"
#include "TempDir.h"
#include "VolumeUnderTest.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tarvolin {
namespace {

using test::CreationTime;
using test::IdentityOf;
using test::ListDir;
using test::ReadFile;
using test::WriteFile;
using NameList = std::vector<std::string>;

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(std::filesystem::create_directory(test::Utf8Path(path))) << path;
}

LocalDateTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return LocalDateTime{year, month, day, hour, minute, second, ms};
}
bool Set(const cases::Writer& writer, const std::string& path, const LocalDateTime& wanted) {
    return writer.set(path, cases::DatePickerFor(wanted), cases::TimePickerFor(wanted));
}

std::string AsciiLowerCase(std::string name) {
    for (char& c : name)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
}

using test::OnEveryVolume;

// The creation time is written and shown where the volume keeps one; Wine's dropped time is
// no answer either way.
bool SkipsCreation(const test::VolumeKind& kind, const cases::Writer& writer) {
    return writer.creation && kind.creation == CreationTime::Dropped;
}
bool Writes(const test::VolumeKind& kind, const cases::Writer& writer,
            const LocalDateTime& wanted) {
    if (writer.creation)
        return kind.creation != CreationTime::Refused;
    return kind.holdsYear2100 || wanted.year < 2038;
}

enum class Entry { File, Directory };

void Make(const std::string& path, Entry entry, const std::string& content) {
    if (entry == Entry::Directory) {
        MakeDirectory(path);
        WriteFile(path + "/inside", content);
    } else {
        WriteFile(path, content);
    }
}

// Another entry at the new name is never replaced, whatever either of them is.
TEST_P(OnEveryVolume, NeverReplacesAnotherEntry) {
    const struct {
        const char* label;
        Entry source;
        Entry target;
    } table[] = {{"FileOntoFile", Entry::File, Entry::File},
                 {"FileOntoEmptyDirectory", Entry::File, Entry::Directory},
                 {"DirectoryOntoEmptyDirectory", Entry::Directory, Entry::Directory},
                 {"DirectoryOntoFile", Entry::Directory, Entry::File}};
    for (const auto& c : table) {
        const std::string source = *this / (std::string(c.label) + "-source");
        const std::string target = *this / (std::string(c.label) + "-target");
        Make(source, c.source, "source content");
        if (c.target == Entry::Directory)
            MakeDirectory(target);
        else
            WriteFile(target, "target content");
        const auto sourceIdentity = IdentityOf(source);
        const auto targetIdentity = IdentityOf(target);

        EXPECT_FALSE(RenameOnDisk(source, target)) << c.label;

        EXPECT_EQ(IdentityOf(source), sourceIdentity) << c.label;
        EXPECT_EQ(IdentityOf(target), targetIdentity) << c.label;
        EXPECT_EQ(ReadFile(c.source == Entry::File ? source : source + "/inside"),
                  "source content");
        if (c.target == Entry::File) {
            EXPECT_EQ(ReadFile(target), "target content") << c.label;
        }
    }
}

// Each pair in a folder of its own: the folder then holds the new name, with the content.
// Names outside every ANSI code page must survive: Greek, Japanese and an emoji (a UTF-16
// surrogate pair) together.
TEST_P(OnEveryVolume, MovesAnyNameWithItsContent) {
    std::vector<cases::NamePair> table = {
        {"Plain", "a.txt", "x_7.txt"},
        {"Spaces", "my file .txt", " other file"},
        {"LeadingDot", ".hidden", ".other"},
        {"OutsideAnyCodePage", "\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1.txt",
         "\xe6\x97\xa5\xe6\x9c\xac_\xf0\x9f\x98\x80.txt"},
        {"Longest255Bytes", std::string(255, 'a'), std::string(255, 'b')},
        {"ToLongestName", "short", std::string(251, 'c') + ".txt"}};
    if (kind().namesHoldAnyByte) {
        for (cases::NamePair& pair : cases::PosixOnlyNamePairs())
            table.push_back(std::move(pair));
    }
    if (!kind().namesBeyondAscii) {
        std::erase_if(table, [](const cases::NamePair& c) {
            return std::string(c.label) == "OutsideAnyCodePage";
        });
    }
    for (const cases::NamePair& c : table) {
        const std::string dir = *this / c.label;
        MakeDirectory(dir);
        const std::string from = dir + "/" + c.oldName;
        const std::string to = dir + "/" + c.newName;
        WriteFile(from, std::string("content of ") + c.label);

        ASSERT_TRUE(RenameOnDisk(from, to)) << c.label;

        EXPECT_EQ(ReadFile(to), std::string("content of ") + c.label);
        if (!kind().listsLowerCase) {
            EXPECT_EQ(ListDir(dir), NameList{c.newName}) << c.label;
        }
        EXPECT_EQ(ListDir(dir).size(), 1u) << c.label;
    }
}

TEST_P(OnEveryVolume, MovesIntoAnotherDirectory) {
    MakeDirectory(*this / "sub");
    WriteFile(*this / "a.txt", "payload");

    ASSERT_TRUE(RenameOnDisk(*this / "a.txt", *this / "sub/b.txt"));

    EXPECT_EQ(Names(), NameList{"sub"});
    EXPECT_EQ(ReadFile(*this / "sub/b.txt"), "payload");
}

TEST_P(OnEveryVolume, IdenticalPathSucceedsAndChangesNothing) {
    WriteFile(*this / "same.txt", "kept");
    const auto identity = IdentityOf(*this / "same.txt");

    EXPECT_TRUE(RenameOnDisk(*this / "same.txt", *this / "same.txt"));

    EXPECT_EQ(IdentityOf(*this / "same.txt"), identity);
    EXPECT_EQ(Names(), NameList{"same.txt"});
    EXPECT_EQ(ReadFile(*this / "same.txt"), "kept");
}

// A hard link is an entry of its own: renaming onto it would replace it, so it must fail.
TEST_P(OnEveryVolume, AHardLinkIsAnotherEntry) {
    MakeDirectory(*this / "sub");
    MakeDirectory(*this / "other");
    WriteFile(*this / "sub/a.txt", "shared");
    for (const char* second : {"sub/b.txt", "other/a.txt"}) {
        std::error_code error;
        std::filesystem::create_hard_link(test::Utf8Path(*this / "sub/a.txt"),
                                          test::Utf8Path(*this / second), error);
        if (error)
            GTEST_SKIP() << "this volume keeps no hard links: " << error.message();

        EXPECT_FALSE(RenameOnDisk(*this / "sub/a.txt", *this / second)) << second;
        EXPECT_FALSE(RenameOnDisk(*this / second, *this / "sub/a.txt")) << second;

        EXPECT_EQ(ReadFile(*this / "sub/a.txt"), "shared");
        EXPECT_EQ(ReadFile(*this / second), "shared");
    }
    const std::optional<test::FileIdentity> identity = IdentityOf(*this / "sub/a.txt");
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->links, 3u);
}

// Where Windows reads the volume (every kind here but Linux's own), a name that differs only in
// letter case from another file's is taken, even where this mount tells them apart.
TEST_P(OnEveryVolume, ANameTakenInAnyLetterCaseIsTaken) {
    WriteFile(*this / "a.txt", "a");
    WriteFile(*this / "b.txt", "b");
    const bool renamed = RenameOnDisk(*this / "a.txt", *this / "B.TXT");
    const std::string reason = LastFailureReason();
    EXPECT_EQ(renamed, !kind().readByWindows);
    // The system's words for it, for the error box: "File exists" on Linux, "Cannot create a
    // file when that file already exists" on Windows, "File already exists" in Wine.
    if (!renamed) {
        EXPECT_NE(reason.find("exists"), std::string::npos) << reason;
    }
    const NameList expected = renamed ? NameList{"B.TXT", "b.txt"} : NameList{"a.txt", "b.txt"};
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(ReadFile(*this / "b.txt"), "b");
}

// Either way the folder shows the new spelling afterwards, and only it: no old spelling, no
// temporary name left. (What the disk holds under lowntfs-3g, which lists lower case, is read
// by NtfsRenameTest.)
TEST_P(OnEveryVolume, ChangesOnlyTheLetterCase) {
    const struct {
        const char* from;
        const char* to;
        Entry entry;
    } changes[] = {{"report.txt", "REPORT.TXT", Entry::File},
                   {"Mixed.Case", "mixed.case", Entry::File},
                   {"Photo.JPG", "photo.jpg", Entry::File},
                   {"x.TXT", "X.txt", Entry::File},
                   {"\xc3\xa9t\xc3\xa9.txt", "\xc3\x89T\xc3\x89.txt", Entry::File},
                   {"folder", "Folder", Entry::Directory}};
    NameList expected;
    for (const auto& change : changes) {
        const bool nonAscii = std::string(change.to).find('\xc3') != std::string::npos;
        if ((nonAscii && !kind().changesNonAsciiCase) ||
            (change.entry == Entry::Directory && !kind().changesDirectoryCase))
            continue;
        Make(*this / change.from, change.entry, change.from);
        EXPECT_TRUE(RenameOnDisk(*this / change.from, *this / change.to)) << change.from;
        EXPECT_EQ(
            ReadFile(*this / (change.entry == Entry::File ? std::string(change.to)
                                                          : std::string(change.to) + "/inside")),
            change.from);
        expected.push_back(kind().listsLowerCase ? AsciiLowerCase(change.to) : change.to);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
}

// Every transition between two of the sixteen values, on one file, as batch runs make them. A
// value the volume has a place for is kept; any other is refused, never reported as set.
TEST_P(OnEveryVolume, KeepsEveryCombinationOfTheFourAttributesItCanHold) {
    const std::string path = *this / "file.txt";
    WriteFile(path, "data");
    const auto fits = [&](AttributeSet bits) { return (bits & ~kind().keptAttributes) == 0; };
    for (const AttributeSet from : cases::kEveryAttributeSet) {
        if (!fits(from))
            continue;
        for (const AttributeSet to : cases::kEveryAttributeSet) {
            ASSERT_TRUE(ApplyAttributes(path, from)) << std::hex << from;
            EXPECT_EQ(ApplyAttributes(path, to), fits(to)) << std::hex << from << " -> " << to;
            const AttributeSet held = (fits(to) ? to : from) | kind().alwaysShown;
            EXPECT_EQ(ReadAttributes(path), held) << std::hex << from << " -> " << to;
            EXPECT_EQ(ReadFileSummary(path).attributes, held) << std::hex << from << " -> " << to;
        }
    }
    // Nothing set leaves a plain file that takes writing again.
    ASSERT_TRUE(ApplyAttributes(path, 0));
    WriteFile(path, "written again"); // throws if the file stayed read-only
}

TEST_P(OnEveryVolume, DirectoryTakesAttributesLikeAFile) {
    if ((kind().keptAttributes & kHidden) == 0)
        GTEST_SKIP() << "no place for hidden here";
    MakeDirectory(*this / "sub");
    ASSERT_TRUE(ApplyAttributes(*this / "sub", kHidden));
    EXPECT_EQ(ReadAttributes(*this / "sub"), kHidden);
    ASSERT_TRUE(ApplyAttributes(*this / "sub", 0));
    EXPECT_EQ(ReadAttributes(*this / "sub"), 0);
}

// Both writers keep DOS precision: even seconds, no milliseconds. The date picker carries some
// time of day and the time picker some date; both are ignored.
TEST_P(OnEveryVolume, WritesEachTimeWithDosPrecision) {
    for (const cases::Writer& writer : {cases::kCreation, cases::kModify}) {
        if (SkipsCreation(kind(), writer))
            continue; // kWineCreation
        for (const cases::ReadBackCase& c : cases::DosPrecisionCases()) {
            const std::string path = *this / (std::string(writer.label) + c.label);
            WriteFile(path, "x");
            const bool written = Set(writer, path, c.written);
            EXPECT_EQ(written, Writes(kind(), writer, c.written)) << writer.label << c.label;
            if (written) {
                EXPECT_EQ(writer.get(path), c.expected) << writer.label << c.label;
            }
        }
    }
}

// A volume that keeps a time other than the one written (ext4 with small inodes stores 2100
// as 2038 and says yes) makes the step fail instead of reporting success.
TEST_P(OnEveryVolume, ATimeTheVolumeCannotHoldFails) {
    WriteFile(*this / "file.txt", "data");
    EXPECT_EQ(Set(cases::kModify, *this / "file.txt", At(2100, 1, 1, 12, 0, 0)),
              kind().holdsYear2100);
}

// Reporting success for a time that was not written would hide the loss from the user; what
// the file held stays, to the nanosecond.
TEST_P(OnEveryVolume, ATimeOutsideTheDosRangeFailsAndChangesNothing) {
    const std::string path = *this / "file.txt";
    WriteFile(path, "x");
    const std::optional<ExactMetadata> before = ReadExactMetadata(path);
    ASSERT_TRUE(before.has_value());
    for (const cases::Writer& writer : {cases::kCreation, cases::kModify}) {
        for (const cases::OutOfRangeCase& c : cases::OutsideDosRangeCases())
            EXPECT_FALSE(writer.set(path, c.date, c.date)) << writer.label << c.label;
    }
    const std::optional<ExactMetadata> after = ReadExactMetadata(path);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->attributes, before->attributes);
    EXPECT_EQ(after->modify, before->modify);
    EXPECT_EQ(after->access, before->access);
    EXPECT_EQ(after->creation, before->creation);
    EXPECT_EQ(after->creationStored, before->creationStored);
    EXPECT_EQ(after->dosRecord, before->dosRecord);
}

TEST_P(OnEveryVolume, WritesTheCreationTimeWhereTheVolumeKeepsOne) {
    if (SkipsCreation(kind(), cases::kCreation))
        GTEST_SKIP() << cases::kWineCreation;
    WriteFile(*this / "file.txt", "data");
    const std::optional<LocalDateTime> before = GetCreationTime(*this / "file.txt");
    ASSERT_TRUE(before.has_value());
    const bool written = Set(cases::kCreation, *this / "file.txt", At(2001, 2, 3, 4, 5, 7));
    EXPECT_EQ(written, kind().creation == CreationTime::Kept);
    EXPECT_EQ(GetCreationTime(*this / "file.txt"), written ? At(2001, 2, 3, 4, 5, 6) : *before);
}

// The modification time goes to the access time too; a creation time written before stays.
// (Where the volume keeps none, the oldest time stands in for it and moves with the others.)
TEST_P(OnEveryVolume, SetModifyTimeSetsAccessAndModifyAlikeAndKeepsCreation) {
    const std::string path = *this / "file.txt";
    WriteFile(path, "x");
    const bool keepsCreation = kind().creation == CreationTime::Kept;
    if (keepsCreation) {
        ASSERT_TRUE(Set(cases::kCreation, path, At(2001, 1, 1, 1, 1, 0)));
    }

    ASSERT_TRUE(Set(cases::kModify, path, At(2020, 6, 1, 10, 20, 30)));

    const std::optional<test::AccessAndModify> raw = test::ReadRawTimes(path);
    ASSERT_TRUE(raw.has_value());
    if (!kind().accessDayOnly) {
        EXPECT_EQ(raw->access, raw->modify);
    }
    EXPECT_EQ(raw->modify.nanoseconds, 0);
    EXPECT_EQ(GetModifyTime(path), At(2020, 6, 1, 10, 20, 30));
    if (keepsCreation) {
        EXPECT_EQ(GetCreationTime(path), At(2001, 1, 1, 1, 1, 0));
    }
}

// The creation time is written alone: the access and modification times and the attributes
// stay as they were.
TEST_P(OnEveryVolume, SetCreationTimeKeepsAccessModifyAndAttributes) {
    if (kind().creation == CreationTime::Refused)
        GTEST_SKIP() << "no creation time to write here";
    const std::string path = *this / "file.txt";
    WriteFile(path, "x");
    ASSERT_TRUE(ApplyAttributes(path, kHidden | kSystem | kArchive));
    ASSERT_TRUE(Set(cases::kModify, path, At(2020, 6, 1, 10, 20, 30)));
    const std::optional<test::AccessAndModify> before = test::ReadRawTimes(path);
    ASSERT_TRUE(before.has_value());

    ASSERT_TRUE(Set(cases::kCreation, path, At(2011, 11, 11, 11, 11, 10)));

    EXPECT_EQ(test::ReadRawTimes(path), before);
    EXPECT_EQ(ReadAttributes(path), kHidden | kSystem | kArchive);
    if (!SkipsCreation(kind(), cases::kCreation)) {
        EXPECT_EQ(GetCreationTime(path), At(2011, 11, 11, 11, 11, 10));
    }
}

// Read-only protects the contents only, so a run can make files read-only and give them times;
// the file stays read-only.
TEST_P(OnEveryVolume, ReadOnlyFileTakesNewTimes) {
    if ((kind().keptAttributes & kReadOnly) == 0)
        GTEST_SKIP() << "no place for read-only here";
    for (const cases::Writer& writer : {cases::kCreation, cases::kModify}) {
        const std::string path = *this / (std::string(writer.label) + ".txt");
        WriteFile(path, "data");
        ASSERT_TRUE(ApplyAttributes(path, kReadOnly | kArchive));
        const LocalDateTime wanted = At(2010, 1, 1, 12, 0, 0);
        EXPECT_EQ(Set(writer, path, wanted), Writes(kind(), writer, wanted)) << writer.label;
        EXPECT_EQ(ReadAttributes(path), kReadOnly | kArchive);
        if (Writes(kind(), writer, wanted) && !SkipsCreation(kind(), writer)) {
            EXPECT_EQ(writer.get(path), wanted) << writer.label;
        }
        ASSERT_TRUE(ApplyAttributes(path, 0));
    }
}

// Nothing answers at a missing path, and nothing is created there.
TEST_P(OnEveryVolume, RefusesAFileThatIsNotThere) {
    const std::string missing = *this / "missing.txt";
    const LocalDateTime when = At(2010, 1, 1, 12, 0, 0);
    EXPECT_FALSE(RenameOnDisk(missing, *this / "other.txt"));
    EXPECT_FALSE(RenameOnDisk(missing, missing));
    EXPECT_FALSE(ApplyAttributes(missing, 0));
    EXPECT_FALSE(ApplyAttributes(missing, kHidden));
    EXPECT_FALSE(Set(cases::kModify, missing, when));
    EXPECT_FALSE(Set(cases::kCreation, missing, when));
    EXPECT_EQ(ReadAttributes(missing), kUnreadableAttributes);
    EXPECT_EQ(ReadAttributes(""), kUnreadableAttributes);
    EXPECT_EQ(GetModifyTime(missing), std::nullopt);
    EXPECT_EQ(GetCreationTime(missing), std::nullopt);
    const FileSummary summary = ReadFileSummary(missing);
    EXPECT_EQ(summary.attributes, kUnreadableAttributes);
    EXPECT_FALSE(summary.creationTime.has_value());
    EXPECT_FALSE(summary.modifyTime.has_value());
    EXPECT_EQ(Names(), NameList{});
}

// A run journal tells its files apart by these numbers, read for many files at once, and an
// undo finds each file by them after its rename.
TEST_P(OnEveryVolume, KnowsAFileByOneNumberBeforeAndAfterItsRename) {
    MakeDirectory(*this / "many");
    std::vector<std::string> paths;
    // Enough for the folder to be read whole where the kernel's driver allows; FUSE servers
    // are looked up one by one (and fusefat takes 40 ms a file).
    const int count = kind().looksUpOneByOne ? 20 : 300;
    for (int i = 0; i < count; ++i) {
        paths.push_back(*this / ("many/f" + std::to_string(i)));
        WriteFile(paths.back(), "");
    }
    paths.push_back(*this / "many/missing");
    const std::vector<std::optional<FileIdentity>> together = ReadFileIdentities(paths);
    for (std::size_t i = 0; i < paths.size(); ++i)
        ASSERT_EQ(together[i], ReadFileIdentity(paths[i])) << paths[i];
    EXPECT_FALSE(together.back());
    ASSERT_TRUE(RenameOnDisk(paths[0], *this / "many/renamed"));
    EXPECT_EQ(ReadFileIdentity(*this / "many/renamed"), together[0]);
}

// What the preview says of a list is what the run then meets on the volume: every row it calls
// fine ends under its new name, and the run stops at the first row it calls failing. A name
// that only Windows refuses is called failing, and refused, on every volume Windows reads.
TEST_P(OnEveryVolume, ThePreviewForetellsTheRun) {
    const bool folds = kind().readByWindows || kind().caseInsensitive;
    const struct {
        const char* label;
        NameList listed; // each file holds its own name
        NameList unlisted;
        std::string baseName;
        int startNumber;
        const char* extension; // replaces the old one where given
        bool fails;            // at the last listed row
    } table[] = {
        {"TakenByAnUnlistedFile", {"a.txt", "b.txt"}, {"x_2.txt"}, "x", 1, nullptr, true},
        {"LetterCaseOnly", {"x_1.txt"}, {}, "X", 1, nullptr, false},
        {"NonAsciiLetterCaseOfAnother",
         {"a.txt"},
         {"\xc3\xa9t\xc3\xa9_1.txt"},
         "\xc3\x89T\xc3\x89",
         1,
         nullptr,
         folds},
        {"QuestionMark", {"a.txt"}, {}, "x?", 1, nullptr, kind().keepsWindowsNames},
        {"TrailingDot", {"a.txt"}, {}, "x", 1, "txt.", kind().keepsWindowsNames},
        {"TooLong", {"a.txt"}, {}, std::string(256, 'n'), 1, nullptr, true},
        {"RenumberedInPlace", {"x_1.txt", "x_2.txt", "x_3.txt"}, {}, "x", 2, nullptr, false},
    };
    for (const auto& c : table) {
        if (!kind().namesBeyondAscii && c.baseName.find('\xc3') != std::string::npos)
            continue;
        const std::string dir = *this / c.label;
        MakeDirectory(dir);
        const auto in = [&](const std::string& name) {
            return dir + static_cast<char>(std::filesystem::path::preferred_separator) + name;
        };
        std::vector<std::string> paths;
        for (const std::string& name : c.listed) {
            paths.push_back(in(name));
            WriteFile(paths.back(), name);
        }
        for (const std::string& name : c.unlisted)
            WriteFile(in(name), "unlisted");
        RenameOptions options;
        options.baseName = c.baseName;
        options.startNumber = c.startNumber;
        options.replaceExtension = c.extension != nullptr;
        options.extension = c.extension ? c.extension : "";

        const BatchPreview preview = PreviewBatch(ListOnDisk(paths), options);
        const auto failing = static_cast<std::size_t>(
            std::find_if(preview.verdicts.begin(), preview.verdicts.end(),
                         [](const RowVerdict& row) { return Fails(row.verdict); }) -
            preview.verdicts.begin());
        EXPECT_EQ(failing, c.fails ? paths.size() - 1 : paths.size()) << c.label;
        test::RecordingOutlets outlets;
        RunRenameJob(paths, options, outlets);

        for (std::size_t i = 0; i < std::min(failing, paths.size()); ++i)
            EXPECT_EQ(ReadFile(preview.newPaths[i]), c.listed[i]) << c.label << " row " << i;
        EXPECT_EQ(outlets.errors.size(), failing < paths.size() ? 1u : 0u) << c.label;
        if (failing < paths.size()) {
            EXPECT_EQ(ReadFile(paths[failing]), c.listed[failing]) << c.label;
        }
        EXPECT_EQ(ListDir(dir).size(), c.listed.size() + c.unlisted.size()) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(Volumes, OnEveryVolume, ::testing::ValuesIn(test::VolumesToTest()),
                         test::KindLabel);

// Files the disk checks look for in each volume's root, as Windows would find them:
//   witness-hsa.txt  hidden, system and archive, modified 2024-07-15 14:00:02 (local time)
//   witness-r.txt    read-only only
//   Witness-Case.TXT renamed from witness-case.txt
bool LeaveWitnesses(const std::string& root) {
    WriteFile(root + "/witness-hsa.txt", "hsa");
    WriteFile(root + "/witness-r.txt", "r");
    WriteFile(root + "/witness-case.txt", "case");
    return ApplyAttributes(root + "/witness-hsa.txt", kHidden | kSystem | kArchive) &&
           Set(cases::kModify, root + "/witness-hsa.txt", At(2024, 7, 15, 14, 0, 2)) &&
           ApplyAttributes(root + "/witness-r.txt", kReadOnly) &&
           RenameOnDisk(root + "/witness-case.txt", root + "/Witness-Case.TXT");
}

} // namespace
} // namespace tarvolin

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--leave-witnesses") == 0) {
        int failures = 0;
        for (const tarvolin::test::VolumeKind& kind : tarvolin::test::VolumesToTest()) {
            const bool left = tarvolin::LeaveWitnesses(kind.mountPoint);
            std::printf("witnesses on %s: %s\n", kind.name.c_str(), left ? "left" : "FAILED");
            failures += left ? 0 : 1;
        }
        return failures == 0 ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
