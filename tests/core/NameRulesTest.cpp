#include "NameRules.h"

#include "NameFieldCheck.h"

#include <climits>
#include <gtest/gtest.h>
#include <ostream>

namespace tarvolin {
namespace {

const PathRules kWindows{PathSyntax::Windows, {}};
const PathRules kPosix{PathSyntax::Posix, {}};

struct SplitCase {
    const char* path;
    const char* directory;
    const char* extension;
    const char* stripped;
    const char* title;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
    return out << c.path;
}

class WindowsSplit : public testing::TestWithParam<SplitCase> {};
class PosixSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(WindowsSplit, SplitsAtBackslashAndColon) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(ExtractDirectory(c.path, kWindows), c.directory);
    EXPECT_EQ(ExtractExtension(c.path, kWindows), c.extension);
    EXPECT_EQ(StripExtension(c.path, kWindows), c.stripped);
    EXPECT_EQ(ExtractFileTitle(c.path, kWindows), c.title);
}

TEST_P(PosixSplit, SplitsAtSlashOnly) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(ExtractDirectory(c.path, kPosix), c.directory);
    EXPECT_EQ(ExtractExtension(c.path, kPosix), c.extension);
    EXPECT_EQ(StripExtension(c.path, kPosix), c.stripped);
    EXPECT_EQ(ExtractFileTitle(c.path, kPosix), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsSplit,
    testing::Values(SplitCase{R"(C:\docs\report.txt)", R"(C:\docs\)", ".txt", R"(C:\docs\report)",
                              "report"},
                    SplitCase{R"(C:\a.b\readme)", R"(C:\a.b\)", "", R"(C:\a.b\readme)", "readme"},
                    SplitCase{R"(C:\x\.profile)", R"(C:\x\)", ".profile", R"(C:\x\)", ""},
                    SplitCase{R"(C:\x\archive.tar.gz)", R"(C:\x\)", ".gz", R"(C:\x\archive.tar)",
                              "archive.tar"},
                    SplitCase{R"(C:\d\report.final.txt)", R"(C:\d\)", ".txt",
                              R"(C:\d\report.final)", "report.final"},
                    SplitCase{"C:report.txt", "C:", ".txt", "C:report", "report"},
                    SplitCase{"report", "", "", "report", "report"},
                    SplitCase{R"(C:\dir\)", R"(C:\dir\)", "", R"(C:\dir\)", ""},
                    SplitCase{R"(C:\x\trailing.)", R"(C:\x\)", ".", R"(C:\x\trailing)", "trailing"},
                    SplitCase{"", "", "", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    Paths, PosixSplit,
    testing::Values(
        SplitCase{"/docs/report.txt", "/docs/", ".txt", "/docs/report", "report"},
        SplitCase{"/a.b/readme", "/a.b/", "", "/a.b/readme", "readme"},
        SplitCase{"/x/.profile", "/x/", ".profile", "/x/", ""},
        SplitCase{"/x/archive.tar.gz", "/x/", ".gz", "/x/archive.tar", "archive.tar"},
        SplitCase{"/d/report.final.txt", "/d/", ".txt", "/d/report.final", "report.final"},
        // On Linux '\' and ':' are name bytes: the whole Windows-looking string is one name.
        SplitCase{R"(/d/C:\docs\report.txt)", "/d/", ".txt", R"(/d/C:\docs\report)",
                  R"(C:\docs\report)"},
        SplitCase{R"(/d/back\slash)", "/d/", "", R"(/d/back\slash)", R"(back\slash)"},
        SplitCase{"/", "/", "", "/", ""},
        SplitCase{"/d/new\nline.t*t", "/d/", ".t*t", "/d/new\nline", "new\nline"}));

struct ComposeCase {
    const char* path;
    const char* baseName;
    int startNumber;
    int position;
    bool replaceExtension;
    const char* extension;
    const char* batchName;
    const char* singleName;
};

std::ostream& operator<<(std::ostream& out, const ComposeCase& c) {
    return out << c.path << " base=" << c.baseName << " start=" << c.startNumber
               << " pos=" << c.position << " ext=" << c.replaceExtension << ":" << c.extension;
}

RenameOptions OptionsOf(const ComposeCase& c) {
    RenameOptions options;
    options.baseName = c.baseName;
    options.startNumber = c.startNumber;
    options.replaceExtension = c.replaceExtension;
    options.extension = c.extension;
    return options;
}

class WindowsCompose : public testing::TestWithParam<ComposeCase> {};
class PosixCompose : public testing::TestWithParam<ComposeCase> {};

TEST_P(WindowsCompose, NumberedAndUnnumberedRules) {
    const ComposeCase& c = GetParam();
    EXPECT_EQ(ComposeBatchName(c.path, c.position, OptionsOf(c), kWindows), c.batchName);
    EXPECT_EQ(ComposeSingleName(c.path, OptionsOf(c), kWindows), c.singleName);
}

TEST_P(PosixCompose, NumberedAndUnnumberedRules) {
    const ComposeCase& c = GetParam();
    EXPECT_EQ(ComposeBatchName(c.path, c.position, OptionsOf(c), kPosix), c.batchName);
    EXPECT_EQ(ComposeSingleName(c.path, OptionsOf(c), kPosix), c.singleName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, WindowsCompose,
    testing::Values(ComposeCase{R"(C:\docs\report.txt)", "photo", 1, 0, false, "",
                                R"(C:\docs\photo_1.txt)", R"(C:\docs\photo.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", "photo", 1, 4, false, "",
                                R"(C:\docs\photo_5.txt)", R"(C:\docs\photo.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", "photo", 1, 0, true, "jpg",
                                R"(C:\docs\photo_1.jpg)", R"(C:\docs\photo.jpg)"},
                    ComposeCase{R"(C:\docs\report.txt)", "photo", 1, 0, true, "",
                                R"(C:\docs\photo_1)", R"(C:\docs\photo)"},
                    ComposeCase{R"(C:\docs\report.txt)", "", 1, 0, false, "",
                                R"(C:\docs\report.txt)", R"(C:\docs\report.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", "", 1, 0, true, "htm",
                                R"(C:\docs\report.htm)", R"(C:\docs\report.htm)"},
                    ComposeCase{R"(C:\docs\report.txt)", "photo", 9999, 5, false, "",
                                R"(C:\docs\photo_10004.txt)", R"(C:\docs\photo.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", "photo", 1, 0, true, ".txt",
                                R"(C:\docs\photo_1..txt)", R"(C:\docs\photo..txt)"},
                    ComposeCase{R"(C:\a.b\readme)", "photo", 1, 0, false, "", R"(C:\a.b\photo_1)",
                                R"(C:\a.b\photo)"},
                    ComposeCase{R"(C:\docs\report.txt)", "notes", 0, 0, false, "",
                                R"(C:\docs\notes_0.txt)", R"(C:\docs\notes.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", R"(sub\x)", 1, 0, false, "",
                                R"(C:\docs\sub\x_1.txt)", R"(C:\docs\sub\x.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", R"(..\x)", 1, 0, false, "",
                                R"(C:\docs\..\x_1.txt)", R"(C:\docs\..\x.txt)"},
                    ComposeCase{R"(C:\docs\report.txt)", " Photo ", 0, 3, false, "",
                                R"(C:\docs\ Photo _3.txt)", R"(C:\docs\ Photo .txt)"}));

INSTANTIATE_TEST_SUITE_P(
    Names, PosixCompose,
    testing::Values(
        ComposeCase{"/docs/report.txt", "photo", 1, 0, false, "", "/docs/photo_1.txt",
                    "/docs/photo.txt"},
        ComposeCase{"/docs/report.txt", "photo", 1, 4, false, "", "/docs/photo_5.txt",
                    "/docs/photo.txt"},
        ComposeCase{"/docs/report.txt", "photo", 1, 0, true, "jpg", "/docs/photo_1.jpg",
                    "/docs/photo.jpg"},
        ComposeCase{"/docs/report.txt", "photo", 1, 0, true, "", "/docs/photo_1", "/docs/photo"},
        ComposeCase{"/docs/report.txt", "", 1, 0, false, "", "/docs/report.txt",
                    "/docs/report.txt"},
        ComposeCase{"/docs/report.txt", "", 1, 0, true, "htm", "/docs/report.htm",
                    "/docs/report.htm"},
        ComposeCase{"/docs/report.txt", "photo", 9999, 5, false, "", "/docs/photo_10004.txt",
                    "/docs/photo.txt"},
        ComposeCase{"/docs/report.txt", "photo", 1, 0, true, ".txt", "/docs/photo_1..txt",
                    "/docs/photo..txt"},
        ComposeCase{"/a.b/readme", "photo", 1, 0, false, "", "/a.b/photo_1", "/a.b/photo"},
        ComposeCase{"/docs/report.txt", "sub/x", 1, 0, false, "", "/docs/sub/x_1.txt",
                    "/docs/sub/x.txt"},
        ComposeCase{"/docs/report.txt", "../x", 1, 0, false, "", "/docs/../x_1.txt",
                    "/docs/../x.txt"},
        // A Windows-looking name stays in its Linux directory instead of moving to the
        // working directory.
        ComposeCase{R"(/docs/C:\docs\report.txt)", "photo", 1, 0, false, "", "/docs/photo_1.txt",
                    "/docs/photo.txt"},
        ComposeCase{"/docs/.profile", "photo", 1, 0, false, "", "/docs/photo_1.profile",
                    "/docs/photo.profile"},
        // Only a pasted, unclamped start number can be negative or huge; the sum never wraps.
        ComposeCase{"/docs/report.txt", "photo", -5, 2, false, "", "/docs/photo_-3.txt",
                    "/docs/photo.txt"},
        ComposeCase{"/docs/report.txt", "photo", INT_MAX, 1, false, "",
                    "/docs/photo_2147483648.txt", "/docs/photo.txt"}));

TEST(ComposeRules, SingleNameNeverReadsTheStartNumber) {
    RenameOptions options;
    options.baseName = "notes";
    for (int start : {0, 7, -1, INT_MIN, INT_MAX}) {
        options.startNumber = start;
        EXPECT_EQ(ComposeSingleName("/d/report.txt", options, kPosix), "/d/notes.txt");
    }
}

TEST(ComposeRules, ExtensionRuleKeepsTheOldExtensionExactly) {
    RenameOptions off;
    EXPECT_EQ(ApplyExtensionRule("/d/x", ".TxT", off), "/d/x.TxT");
    EXPECT_EQ(ApplyExtensionRule("/d/x", "", off), "/d/x");
    RenameOptions on;
    on.replaceExtension = true;
    on.extension = "tar.gz";
    EXPECT_EQ(ApplyExtensionRule("/d/x", ".txt", on), "/d/x.tar.gz");
}

TEST(NameFieldCheck, SeparatorsAreThoseOfThePlatform) {
    const auto fault = [](const char* base, PathSyntax syntax) {
        RenameOptions options;
        options.baseName = base;
        return FindNameFieldFault(options, syntax).value_or("");
    };
    EXPECT_EQ(fault("a\\b", PathSyntax::Windows), "A name cannot hold \"\\\".");
    EXPECT_EQ(fault("c:x", PathSyntax::Windows), "A name cannot hold \":\".");
    EXPECT_EQ(fault("a/b", PathSyntax::Windows), "A name cannot hold \"/\".");
    EXPECT_EQ(fault("a\\b:c", PathSyntax::Posix), "");
    EXPECT_EQ(fault("...", PathSyntax::Posix), "");
}

} // namespace
} // namespace tarvolin
