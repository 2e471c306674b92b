// What the preview finds on volumes of their own: FAT, mounted through FUSE as this machine's
// kernel has no FAT driver, and a volume mounted read-only.
#include "BatchPreview.h"
#include "FuseFatVolume.h"
#include "ScratchMount.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvolin::test {
namespace {

std::vector<std::string> VerdictTexts(const BatchPreview& preview) {
    std::vector<std::string> texts;
    for (const RowVerdict& row : preview.verdicts)
        texts.push_back(VerdictText(row, preview));
    return texts;
}

TEST(BatchPreview, KnowsWhatAFatVolumeRefuses) {
    TempDir work;
    FuseFatVolume fat(work.path(), FuseFatServer::Fusefat);
    ASSERT_TRUE(fat.mounted()) << fat.log();
    const std::vector<std::string> files = MakeFiles(fat.path(), {"a.txt", "B.txt"});
    const ListOnDisk list(files);
    const auto verdictsFor = [&list](const RenameOptions& options) {
        return VerdictTexts(PreviewBatch(list, options));
    };
    RenameOptions options;
    options.baseName = "q?";
    EXPECT_EQ(verdictsFor(options)[0], "Characters its volume cannot hold or Windows cannot open");
    options.baseName = std::string(250, 'l');
    EXPECT_EQ(verdictsFor(options)[0], "Name too long for its volume");
    options.baseName.clear();
    options.replaceExtension = true;
    options.extension = "TXT";
    EXPECT_EQ(verdictsFor(options)[0], "OK: letter case only, done through a temporary name");
    options.setCreationTime = true;
    EXPECT_EQ(verdictsFor(options)[1], "Its volume cannot store a creation time");
}

TEST(BatchPreview, KnowsAFolderThatTakesNoNewNames) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "mnt").c_str(), 0755), 0);
    ScratchMount volume(dir / "mnt", "tmpfs", "size=1m");
    ASSERT_TRUE(volume.mounted());
    const std::vector<std::string> files = MakeFiles(volume.path(), {"a.txt"});
    ASSERT_TRUE(volume.RemountReadOnly());
    RenameOptions options;
    options.baseName = "n";
    EXPECT_EQ(VerdictTexts(PreviewBatch(ListOnDisk(files), options)),
              std::vector<std::string>{"Its folder takes no new names"});
}

} // namespace
} // namespace tarvolin::test
