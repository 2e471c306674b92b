// The run journal's text, and undo after ordinary runs, on the disk of the test machine.
#include "FileOps.h"
#include "JournalRecords.h"
#include "JournalShelf.h"
#include "RecordingOutlets.h"
#include "RecordingUndoReport.h"
#include "RenameJob.h"
#include "RunUndo.h"
#include "TempDir.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

namespace tarvolin {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(JournalRecords, AnyBytesComeBackFromAPathField) {
    for (const std::string& bytes :
         std::vector<std::string>{"plain.txt", "two words", "line\nbreak", "100%", "\xFF\xFE", "-",
                                  "*?", ".hidden", std::string("nul\0byte", 8)}) {
        const std::string field = EscapeJournalField(bytes);
        EXPECT_EQ(field.find_first_of(" \n"), std::string::npos) << field;
        EXPECT_EQ(UnescapeJournalField(field), bytes) << field;
    }
}

// Older programs and recovery read these lines: the bytes of a record stay as they are, for
// names that need escapes anywhere (also across eight-byte runs) and numbers at their limits.
TEST(JournalRecords, ChangeRecordsKeepTheirBytes) {
    const std::string folder = NativePathSyntax() == PathSyntax::Windows ? "C:\\d\\" : "/d/";
    JournalChange spaced, limits;
    spaced.oldPath = folder + "two words\n\xC3\xA9*?%.txt";
    spaced.newPath = folder + "n_1 *?.txt";
    spaced.identity = FileIdentity{2049, 131, 0xFEDCBA98, true};
    spaced.seen = FileFingerprint{0, {1'700'000'000, 5}, {1'700'000'000, 123'456'789}, {}, {}};
    limits.oldPath = "/d/abcdefgh\x7Fijklmnop";
    limits.newPath = "/e/ABCDEFGH~!IJKLMNOP%";
    limits.identity = FileIdentity{ULLONG_MAX, 0, 0, false};
    limits.seen = FileFingerprint{ULLONG_MAX,
                                  {LLONG_MIN, 999'999'999},
                                  {-1, 0},
                                  ExactTime{LLONG_MAX, 1},
                                  ExactTime{-86'400, 10}};
    limits.before = ExactMetadata{0x27,
                                  ExactTime{-2'208'988'800, 7},
                                  ExactTime{0, 0},
                                  ExactTime{253'402'300'800, 999'999'999},
                                  false,
                                  true};
    const std::pair<JournalChange, std::string> cases[] = {
        {spaced, "change " + folder +
                     "two%20words%0A%C3%A9*?%25.txt ./n_1%20*?.txt 2049:131:fedcba98:1 "
                     "0:1700000000.000000005:1700000000.123456789:- - - - - -\n"},
        {limits,
         "change /d/abcdefgh%7Fijklmnop /e/ABCDEFGH~!IJKLMNOP%25 18446744073709551615:0:0:0 "
         "18446744073709551615:-9223372036854775808.999999999:-1.000000000:"
         "9223372036854775807.000000001:-86400.000000010 39 =253402300800.999999999 "
         "-2208988800.000000007 0.000000000 1\n"},
    };
    for (const auto& [change, line] : cases)
        EXPECT_EQ(ChangeRecord(change), line);
}

TEST(JournalRecords, ReadsUpToTheLastCompleteRecord) {
    JournalChange inFolder{"/d/a", "/d/b", FileIdentity{1, 2}, {}, {}, {}, {}, {}, {}};
    inFolder.before = ExactMetadata{0x21, {}, {}, {}, false, false};
    const JournalChange elsewhere{"/d/a", "/e/./b", FileIdentity{1, 2}, {}, {}, {}, {}, {}, {}};
    const std::string whole = HeaderRecords(JournalKind::Run, {}) + ChangeRecord(inFolder) +
                              ChangeRecord(elsewhere) + PlannedRecord(2) + DoneRecord(0);
    for (const std::string& tail : {std::string("done 1"), std::string("done 1 x\ndone 1\n")}) {
        const JournalReading reading = ParseJournal(whole + tail);
        ASSERT_TRUE(reading.contents) << reading.error;
        EXPECT_TRUE(reading.contents->planned);
        EXPECT_EQ(reading.contents->doneThrough, 0) << tail;
        EXPECT_EQ(reading.contents->changes.at(0).newPath, "/d/b");
        EXPECT_EQ(reading.contents->changes.at(0).before->attributes, 0x21);
        EXPECT_EQ(reading.contents->changes.at(1).newPath, "/e/./b");
    }
}

TEST(JournalRecords, TimesOfAnyYearComeBackExactly) {
    // Year 10000, before 1970, and the last nanosecond of a second.
    const ExactTime late{253'402'300'800, 999'999'999}, early{-2'208'988'800, 7};
    JournalChange change{"/d/a", "/d/b", FileIdentity{1, 2, 0xFEDCBA9876543210, false}, {},
                         {},     {},     FileFingerprint{5, late, early, {}, {}},       {},
                         {}};
    change.before = ExactMetadata{0x20, early, late, ExactTime{-1, 0}, false, false};
    std::string text =
        HeaderRecords(JournalKind::Run, {}) + ChangeRecord(change) + PlannedRecord(1);
    AppendLeftRecord(text, 0, FileFingerprint{5, early, late, late, early});
    const JournalReading reading = ParseJournal(text);
    ASSERT_TRUE(reading.contents) << reading.error;
    const JournalChange& read = reading.contents->changes.at(0);
    EXPECT_EQ(read.identity, change.identity);
    EXPECT_EQ(read.seen, change.seen);
    EXPECT_EQ(read.left, (FileFingerprint{5, early, late, late, early}));
    ASSERT_TRUE(read.before);
    EXPECT_EQ(read.before->attributes, 0x20);
    EXPECT_EQ(read.before->modify, early);
    EXPECT_EQ(read.before->access, late);
    EXPECT_EQ(read.before->creation, (ExactTime{-1, 0}));
    EXPECT_FALSE(read.before->creationStored || read.before->dosRecord);
}

TEST(JournalRecords, ReadsAFormat1Journal) {
    const JournalReading reading =
        ParseJournal("ctarvolin-journal 1\nkind run\nchange /d/a /d/b 3:4 33 "
                     "2001-02-03T04:05:06.000 -\nplanned 1\ndone 0\n");
    ASSERT_TRUE(reading.contents) << reading.error;
    const JournalChange& read = reading.contents->changes.at(0);
    EXPECT_EQ(read.newPath, "/d/b");
    EXPECT_EQ(read.identity, (FileIdentity{3, 4}));
    EXPECT_EQ(read.attributes, 33);
    EXPECT_EQ(read.creationTime, (LocalDateTime{2001, 2, 3, 4, 5, 6, 0}));
    EXPECT_FALSE(read.seen || read.before);
}

// The words on disk are the ones every version wrote; a word that names no ending is a line
// that does not parse.
TEST(JournalRecords, ReadsEachEndingByTheWordItsRecordWrites) {
    const std::pair<RunEnding, std::string> endings[] = {{RunEnding::Finished, "end finished\n"},
                                                         {RunEnding::Stopped, "end stopped\n"},
                                                         {RunEnding::Kept, "end kept\n"},
                                                         {RunEnding::None, "end over\n"}};
    for (const auto& [ending, record] : endings) {
        const JournalReading reading =
            ParseJournal(HeaderRecords(JournalKind::Run, {}) + PlannedRecord(0) + record);
        ASSERT_TRUE(reading.contents) << record;
        EXPECT_EQ(reading.contents->end, ending) << record;
        EXPECT_EQ(reading.stoppedEarly, ending == RunEnding::None) << record;
        EXPECT_EQ(EndRecord(ending), ending == RunEnding::None ? "" : record);
    }
}

RenameOptions Named(const char* baseName) {
    RenameOptions options;
    options.baseName = baseName;
    return options;
}

class Undo : public ::testing::Test {
protected:
    std::vector<std::string> Listed(std::initializer_list<const char*> names) {
        std::vector<std::string> paths;
        for (const char* name : names) {
            paths.push_back(files / name);
            WriteFile(paths.back(), name);
        }
        return paths;
    }
    void Run(std::vector<std::string>& paths, const RenameOptions& options) {
        test::RecordingOutlets outlets;
        outlets.Follow(paths);
        RunJournaledRenameJob(paths, options, outlets, state.path());
        ASSERT_TRUE(outlets.errors.empty()) << outlets.errors.front();
    }

    using Report = test::RecordingUndoReport;
    Report report;
    test::TempDir files, state;
    FileLayer layer;
};

TEST_F(Undo, LeavesAFileThatChangedSinceTheRunAndListsIt) {
    std::vector<std::string> paths = Listed({"a.txt", "b.txt"});
    Run(paths, Named("n"));
    ASSERT_TRUE(RenameOnDisk(paths[1], files / "kept aside.txt"));
    WriteFile(paths[1], "another file");
    WriteFile(files / "a.txt", "took the old name");

    const UndoOutcome outcome = UndoLastRun(layer, state.path(), report);
    EXPECT_EQ(outcome.result, UndoResult::Finished);
    EXPECT_EQ(report.skipped, (std::vector<std::string>{paths[1], paths[0]})); // newest first
    EXPECT_EQ(ReadFile(paths[0]), "a.txt");
    EXPECT_EQ(ReadFile(paths[1]), "another file");
    EXPECT_EQ(ReadFile(files / "a.txt"), "took the old name");
    EXPECT_EQ(ReadFile(files / "kept aside.txt"), "b.txt");
    EXPECT_FALSE(test::Exists(files / "b.txt"));
}

TEST_F(Undo, EachUndoReachesOneRunFurtherBack) {
    std::vector<std::string> paths = Listed({"a.txt"});
    Run(paths, Named("first"));
    Run(paths, Named("second"));
    for (const char* expected : {"first_0.txt", "a.txt"}) {
        EXPECT_EQ(UndoLastRun(layer, state.path(), report).result, UndoResult::Finished);
        EXPECT_EQ(test::ListDir(files.path()), std::vector<std::string>{expected});
    }
    EXPECT_EQ(UndoLastRun(layer, state.path(), report).result, UndoResult::NothingToUndo);
}

// Runs that changed nothing are passed over, so each Ctrl+Z still reaches a run that did.
TEST_F(Undo, PassesOverRunsThatChangedNothing) {
    std::vector<std::string> paths = Listed({"a.txt", "b.txt"});
    Run(paths, Named("n"));
    Run(paths, Named("")); // every file onto its own name
    test::RecordingOutlets outlets;
    WriteFile(files / "m_0.txt", "in the way");
    std::vector<std::string> blocked = {paths[1], paths[0]};
    outlets.Follow(blocked);
    RunJournaledRenameJob(blocked, Named("m"), outlets, state.path()); // stops at its first file
    ASSERT_EQ(outlets.errors.size(), 1u);

    EXPECT_EQ(UndoLastRun(layer, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(test::ListDir(files.path()), (std::vector<std::string>{"a.txt", "b.txt", "m_0.txt"}));
    EXPECT_TRUE(report.skipped.empty());
}

// A file listed twice, or missing when the run began, is where the run stopped: undo puts
// back what the run did and reports nothing it did not do.
TEST_F(Undo, ReportsNoFileTheRunNeverChanged) {
    for (const char* second : {"a.txt", "gone.txt"}) {
        std::vector<std::string> paths = Listed({"a.txt", "b.txt"});
        paths[1] = files / second;
        test::RecordingOutlets outlets;
        RunJournaledRenameJob(paths, Named("n"), outlets, state.path());
        ASSERT_EQ(outlets.errors.size(), 1u) << second;
        Report undoReport;
        EXPECT_EQ(UndoLastRun(layer, state.path(), undoReport).result, UndoResult::Finished);
        EXPECT_EQ(undoReport.restored, std::vector<std::string>{files / "a.txt"}) << second;
        EXPECT_TRUE(undoReport.skipped.empty()) << second;
    }
}

TEST_F(Undo, RefusesAJournalFromANewerVersion) {
    std::vector<std::string> paths = Listed({"a.txt"});
    Run(paths, Named("n"));
    WriteFile(state / "run-seq-00000000000000000099.journal",
              "ctarvolin-journal " + std::to_string(kJournalFormat + 1) + "\nkind run\n");
    const UndoOutcome outcome = UndoLastRun(layer, state.path(), report);
    EXPECT_EQ(outcome.result, UndoResult::Refused);
    EXPECT_NE(outcome.message.find("newer"), std::string::npos) << outcome.message;
    EXPECT_EQ(test::ListDir(files.path()), std::vector<std::string>{"n_0.txt"});
}

TEST_F(Undo, KeepsTheNewestTenEndedRunsOfThoseOlderThanThirtyDays) {
    for (int age = 0; age < 14; ++age)
        WriteFile(state / ("run-" + std::string(20 - std::to_string(age).size(), '0') +
                           std::to_string(age) + "-0.journal"),
                  HeaderRecords(JournalKind::Run, {}) + PlannedRecord(0) +
                      EndRecord(RunEnding::Finished));
    std::vector<std::string> paths = Listed({"a.txt"});
    Run(paths, Named("n"));
    EXPECT_EQ(JournalsNewestFirst(state.path()).size(), 15u); // all written just now
    PruneJournals(state.path(), std::chrono::system_clock::now() + std::chrono::days(31));
    EXPECT_EQ(JournalsNewestFirst(state.path()).size(), 10u);
}

// The journals of an older version are named by the clock, which may have been set back
// since, or forward: the numbered ones still count as newer.
TEST_F(Undo, UndoesTheLastRunByItsNumberWhateverTheClockSaid) {
    std::vector<std::string> first = Listed({"a.txt"});
    Run(first, Named("first"));
    const std::string numbered = JournalsNewestFirst(state.path()).front();
    ASSERT_TRUE(RenameOnDisk(numbered, state / "run-99999999999999999998-0.journal"));
    std::vector<std::string> second = Listed({"b.txt"});
    Run(second, Named("second"));
    Run(second, Named("third"));
    EXPECT_EQ(JournalName(JournalsNewestFirst(state.path()).front()),
              "run-seq-00000000000000000002.journal");

    EXPECT_EQ(UndoLastRun(layer, state.path(), report).result, UndoResult::Finished);
    EXPECT_EQ(test::ListDir(files.path()),
              (std::vector<std::string>{"first_0.txt", "second_0.txt"}));
}

// The second undo comes while the first is between two files, as from a second window.
TEST_F(Undo, ASecondUndoOfTheSameRunIsRefusedWhileTheFirstGoesOn) {
    std::vector<std::string> paths = Listed({"a.txt", "b.txt"});
    Run(paths, Named("n"));
    struct SecondWindow final : UndoReport {
        void FileRestored(const std::string& from, const std::string& to) override {
            if (!second)
                second = UndoLastRun(files, directory, ignored);
            restored.push_back(from + " " + to);
        }
        void FileSkipped(const std::string& path, const std::string&) override {
            ADD_FAILURE() << path;
        }
        FileLayer files;
        std::string directory;
        std::optional<UndoOutcome> second;
        Report ignored;
        std::vector<std::string> restored;
    } first;
    first.directory = state.path();

    EXPECT_EQ(UndoLastRun(layer, state.path(), first).restored, 2);
    ASSERT_TRUE(first.second);
    EXPECT_EQ(first.second->result, UndoResult::Refused);
    EXPECT_EQ(first.second->message, kRunBeingUndoneText);
    EXPECT_EQ(test::ListDir(files.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// A journal that cannot be read is left as it is, and so is whatever it names: an undo may
// only write to a journal beside it.
TEST_F(Undo, ADamagedJournalIsLeftAsItIsAndUndoSaysWhy) {
    const std::string inner = state / "x";
    ASSERT_TRUE(std::filesystem::create_directory(inner));
    WriteFile(state / "notes.txt", "mine");
    const std::string journal =
        (std::filesystem::path(inner) / "run-seq-00000000000000000001.journal").string();
    for (const std::string& text :
         {HeaderRecords(JournalKind::Undo, "../notes.txt") + PlannedRecord(0),
          HeaderRecords(JournalKind::Run, {}) + "change unreadable\n" + PlannedRecord(1)}) {
        WriteFile(journal, text);
        const UndoOutcome outcome = UndoLastRun(layer, inner, report);
        EXPECT_EQ(outcome.result, UndoResult::Refused);
        EXPECT_NE(outcome.message.find(journal), std::string::npos) << outcome.message;
        EXPECT_EQ(ReadFile(state / "notes.txt"), "mine");
        EXPECT_EQ(ReadFile(journal), text);
    }
}

// Killed between creating its journal and writing the first record, a run leaves an empty
// journal behind; one whose program still holds it is being created just now.
TEST_F(Undo, AnEmptyJournalIsRemovedUnlessItsProgramHoldsIt) {
    const std::string left = state / "run-seq-00000000000000000001.journal";
    WriteFile(left, "");
    EXPECT_FALSE(FindUnfinishedRun(layer, state.path()));
    EXPECT_FALSE(test::Exists(left));

    const std::unique_ptr<JournalFile> held = JournalFile::Create(left);
    ASSERT_TRUE(held);
    EXPECT_FALSE(FindUnfinishedRun(layer, state.path()));
    PruneJournals(state.path());
    EXPECT_TRUE(test::Exists(left));
}

} // namespace
} // namespace tarvolin
