#include "FoldedNameTable.h"

#include "LetterCase.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvolin {
namespace {

struct FoldCase {
    std::string name;
    std::string other;
    bool twins; // one name up to ASCII letter case
};

// Only ASCII letters fold; every other byte, those beyond ASCII included, stays as it is, at
// every place within and across the eight bytes the hash reads at once.
TEST(FoldedNameTable, FindsExactlyTheAsciiLetterCaseTwins) {
    const std::vector<FoldCase> cases = {
        {"File.DAT", "file.dat", true},
        {"/Some/Folder/Name_12.Txt", "/some/folder/NAME_12.txt", true},
        {"abcdefgH", "abcdefgh", true},
        {"abcdefghI", "abcdefghi", true},
        {"@[", "`{", false},
        {"\xC3\x84.txt", "\xC3\xA4.txt", false}, // Ä and ä in UTF-8
        {"\xC1\xDA-latin1", "\xE1\xFA-latin1", false},
        {"abcdefgh", "abcdefgh.", false},
        {"", "", true},
    };
    FoldedNameTable table(cases.size());
    for (std::uint32_t i = 0; i < cases.size(); ++i)
        table.Add(cases[i].name, i);
    for (std::uint32_t i = 0; i < cases.size(); ++i) {
        const FoldCase& c = cases[i];
        SCOPED_TRACE(c.name + " / " + c.other);
        EXPECT_EQ(EqualUpToAsciiCase(c.name, c.other), c.twins);
        EXPECT_EQ(AsciiFoldedHash(c.name), AsciiFoldedHash(FoldedLetterCase(c.name)));
        bool found = false;
        table.ForEachCandidate(c.other, [&](std::uint32_t entry) {
            found = found || (entry == i && EqualUpToAsciiCase(cases[entry].name, c.other));
        });
        EXPECT_EQ(found, c.twins);
    }
}

} // namespace
} // namespace tarvolin
