#include "NameRules.h"
#include "TempDir.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace tarvolin {
namespace {

// Shift-JIS: 0x81-0x9F and 0xE0-0xFC start two-byte characters. 0x95 0x5C is one
// character whose second byte happens to be '\'.
LeadByteTable ShiftJisLeadBytes() {
    LeadByteTable table;
    for (int byte = 0x81; byte <= 0x9F; ++byte)
        table.set(static_cast<std::size_t>(byte));
    for (int byte = 0xE0; byte <= 0xFC; ++byte)
        table.set(static_cast<std::size_t>(byte));
    return table;
}

const PathRules kWindowsShiftJis{PathSyntax::Windows, ShiftJisLeadBytes()};
const PathRules kWindowsSingleByte{PathSyntax::Windows, {}};

TEST(LeadByteWalk, TrailByteBackslashIsNoDelimiter) {
    const std::string path = "C:\\dir\\\x95\x5C.txt";
    EXPECT_EQ(ExtractDirectory(path, kWindowsShiftJis), "C:\\dir\\");
    EXPECT_EQ(ExtractFileTitle(path, kWindowsShiftJis), "\x95\x5C");
    EXPECT_EQ(ExtractExtension(path, kWindowsShiftJis), ".txt");
    // Read byte by byte, the same string would split inside the character.
    EXPECT_EQ(ExtractDirectory(path, kWindowsSingleByte), "C:\\dir\\\x95\x5C");
}

TEST(LeadByteWalk, NameEndingInTrailBackslashKeepsItsName) {
    const std::string path = "C:\\dir\\\x95\x5C";
    EXPECT_EQ(ExtractDirectory(path, kWindowsShiftJis), "C:\\dir\\");
    EXPECT_EQ(ExtractFileTitle(path, kWindowsShiftJis), "\x95\x5C");
    RenameOptions options;
    options.baseName = "x";
    options.startNumber = 1;
    EXPECT_EQ(ComposeBatchName(path, 0, options, kWindowsShiftJis), "C:\\dir\\x_1");
}

TEST(LeadByteWalk, LeadByteSwallowsTheByteAfterItWhateverItIs) {
    // "a" 0x95 "." "txt": the dot is the second byte of a character, so there is no
    // extension and nothing is stripped.
    const std::string path = "C:\\d\\a\x95.txt";
    EXPECT_EQ(ExtractExtension(path, kWindowsShiftJis), "");
    EXPECT_EQ(StripExtension(path, kWindowsShiftJis), path);
}

TEST(LeadByteWalk, LoneLeadByteAtTheEndIsACharacterByItself) {
    const std::string path = "C:\\d\\name.\x95";
    EXPECT_EQ(ExtractExtension(path, kWindowsShiftJis), ".\x95");
    EXPECT_EQ(ExtractFileTitle(path, kWindowsShiftJis), "name");
}

TEST(LeadByteWalk, WalkStartsAtFirstByteNotAtTheDelimiter) {
    // 0x95 0x95 0x5C: the first 0x95 leads, the second is its trail, so 0x5C stands alone
    // and is a delimiter.
    const std::string path = "C:\\\x95\x95\\name.txt";
    EXPECT_EQ(ExtractDirectory(path, kWindowsShiftJis), "C:\\\x95\x95\\");
    EXPECT_EQ(ExtractFileTitle(path, kWindowsShiftJis), "name");
}

// Switches the C library's character type locale for one test and back afterwards.
class ScopedCtypeLocale {
public:
    explicit ScopedCtypeLocale(const char* name) : previous_(std::setlocale(LC_CTYPE, nullptr)) {
        active_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~ScopedCtypeLocale() { std::setlocale(LC_CTYPE, previous_.c_str()); }
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(LocaleLeadBytes, SingleByteAndUtf8LocalesHaveNone) {
    for (const char* name : {"C", "C.UTF-8"}) {
        ScopedCtypeLocale locale(name);
        ASSERT_TRUE(locale.active()) << name;
        EXPECT_TRUE(LeadBytesOfCurrentLocale().none()) << name;
    }
}

// Writes the locale `name` from `source` in `charmap` into `dir`; whether it wrote one.
// localedef warns (and exits 1) that double-byte charmaps are not ASCII compatible, yet
// writes the locale.
bool BuildLocale(const test::TempDir& dir, const std::string& source, const std::string& charmap,
                 const std::string& name) {
    const std::string command = "localedef --no-archive -c -f " + charmap + " -i " + source + " '" +
                                dir.path() + "/" + name + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
    return test::Exists(dir / (name + "/LC_CTYPE"));
}

TEST(LocaleLeadBytes, ShiftJisLocaleGivesShiftJisLeadBytes) {
    test::TempDir localeDir;
    if (!BuildLocale(localeDir, "ja_JP", "SHIFT_JIS", "ja_JP.SJIS"))
        GTEST_SKIP() << "localedef cannot build a Shift-JIS locale here (no locales package)";
    setenv("LOCPATH", localeDir.path().c_str(), 1);
    {
        ScopedCtypeLocale locale("ja_JP.SJIS");
        ASSERT_TRUE(locale.active());
        const LeadByteTable table = LeadBytesOfCurrentLocale();
        // glibc's Shift-JIS knows the JIS X 0208 rows (leads up to 0xEA) and leaves the
        // user-defined rows 0xF0-0xFC undefined; everything it knows must be a lead byte,
        // and nothing outside the lead ranges may be one.
        LeadByteTable jisX0208;
        for (int byte = 0x81; byte <= 0x9F; ++byte)
            jisX0208.set(static_cast<std::size_t>(byte));
        for (int byte = 0xE0; byte <= 0xEA; ++byte)
            jisX0208.set(static_cast<std::size_t>(byte));
        EXPECT_EQ(table & jisX0208, jisX0208);
        EXPECT_EQ(table & ~ShiftJisLeadBytes(), LeadByteTable{});
        const PathRules rules{PathSyntax::Windows, table};
        EXPECT_EQ(ExtractFileTitle("C:\\dir\\\x95\x5C.txt", rules), "\x95\x5C");
    }
    unsetenv("LOCPATH");
}

TEST(LocaleLeadBytes, ProgramPathsStayUtf8UnderADoubleByteLocale) {
    test::TempDir localeDir;
    if (!BuildLocale(localeDir, "zh_CN", "GBK", "zh_CN.GBK"))
        GTEST_SKIP() << "localedef cannot build a GBK locale here (no locales package)";
    setenv("LOCPATH", localeDir.path().c_str(), 1);
    {
        ScopedCtypeLocale locale("zh_CN.GBK");
        ASSERT_TRUE(locale.active());
        ASSERT_TRUE(LeadBytesOfCurrentLocale().any());
        // In GBK the last byte of 文 (E6 96 87) leads a character whose second byte is '/'.
        RenameOptions options;
        options.baseName = "x";
        options.startNumber = 1;
        EXPECT_EQ(ComposeBatchName("/srv/\xe6\x96\x87/\xe6\x8a\xa5\xe5\x91\x8a.txt", 0, options),
                  "/srv/\xe6\x96\x87/x_1.txt");
    }
    unsetenv("LOCPATH");
}

} // namespace
} // namespace tarvolin
