// What the file layer promises on every kind of volume, written once and run on each: on this
// machine on its own disk and on NTFS through ntfs-3g and lowntfs-3g; in a virtual machine with
// Debian's kernel on vfat, exfat, ntfs3 (also mounted `nocase`) and case-folding ext4. There
// the volumes are named by TARVOLIN_VOLUMES ("kind=mount point" pairs, blank-separated).
//
// With --leave-witnesses the program instead leaves a few files in the root of each named
// volume for the disk checks made on the images after the guest has powered off
// (scripts/test-volumes-vm.sh).

#include "FileOps.h"
#include "FuseFatVolume.h"
#include "NtfsVolume.h"
#include "StepHook.h"
#include "TempDir.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <memory>
#include <ostream>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvolin {
namespace {

using test::ListDir;
using test::WriteFile;

struct VolumeKind {
    std::string name;
    std::string mountPoint;      // empty: made fresh for each test on this machine
    bool caseInsensitive;        // a name in another letter case finds the same file
    bool keepsCreationTime;      // SetCreationTime can store a time there
    bool listsLowerCase;         // the driver lists every name in lower case (lowntfs-3g)
    bool renamesWithoutFlags;    // no RENAME_NOREPLACE: moves go through a reservation
    bool holdsYear2100;          // ext4 with 128-byte inodes stops in 2038
    AttributeSet keptAttributes; // what the volume has a place for
};

void PrintTo(const VolumeKind& kind, std::ostream* out) {
    *out << kind.name;
}

// The FUSE FAT servers keep no extended attributes and hand out no attribute byte.
constexpr AttributeSet kFuseFatKeeps = 0;

// What each kind of volume is known to do; the suite checks the program against it.
VolumeKind KindNamed(const std::string& name, const std::string& mountPoint) {
    const bool fuseFat = name == "exfat-fuse" || name == "fusefat";
    const bool insensitive = fuseFat || name == "vfat" || name == "exfat" ||
                             name == "ntfs3-nocase" || name == "casefold-ext4" ||
                             name == "lowntfs-3g-ignore-case";
    const bool creation = name == "disk" || name == "ntfs-3g" || name == "lowntfs-3g-ignore-case" ||
                          name == "casefold-ext4" || name == "ext4-small-inodes";
    const bool fuse = fuseFat || name == "ntfs-3g" || name == "lowntfs-3g-ignore-case";
    return VolumeKind{name,
                      mountPoint,
                      insensitive,
                      creation,
                      name == "lowntfs-3g-ignore-case",
                      fuse,
                      name != "ext4-small-inodes",
                      fuseFat ? kFuseFatKeeps : kFourAttributes};
}

std::vector<VolumeKind> VolumesToTest() {
    std::vector<VolumeKind> kinds;
    if (const char* named = std::getenv("TARVOLIN_VOLUMES")) {
        std::istringstream pairs(named);
        std::string pair;
        while (pairs >> pair) {
            const auto equals = pair.find('=');
            kinds.push_back(KindNamed(pair.substr(0, equals), pair.substr(equals + 1)));
        }
        return kinds;
    }
    for (const char* name : {"disk", "ntfs-3g", "lowntfs-3g-ignore-case", "exfat-fuse", "fusefat"})
        kinds.push_back(KindNamed(name, ""));
    return kinds;
}

// A case-folding ext4 folds only below a directory flagged +F, which must still be empty.
bool FoldLetterCase(const std::string& directory) {
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    const bool done =
        fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
        (flags |= 0x40000000 /* FS_CASEFOLD_FL */, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        close(fd);
    return done;
}

// A fresh, empty directory on a volume of the kind under test.
class Place {
public:
    explicit Place(const VolumeKind& kind) {
        if (kind.mountPoint.empty()) {
            MakeHere(kind);
            return;
        }
        static int counter = 0;
        path_ = kind.mountPoint + "/case-" + std::to_string(++counter);
        ok_ = mkdir(path_.c_str(), 0755) == 0 &&
              (kind.name != "casefold-ext4" || FoldLetterCase(path_));
    }
    ~Place() {
        if (!path_.empty() && !temp_)
            test::RemoveTree(path_);
    }
    Place(const Place&) = delete;
    Place& operator=(const Place&) = delete;

    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Names() const { return ListDir(path_); }

private:
    void MakeHere(const VolumeKind& kind) {
        temp_ = std::make_unique<test::TempDir>();
        if (kind.name == "disk") {
            path_ = temp_->path();
            ok_ = true;
            return;
        }
        if (kind.name == "exfat-fuse" || kind.name == "fusefat") {
            fat_ = std::make_unique<test::FuseFatVolume>(
                temp_->path(), kind.name == "fusefat" ? test::FuseFatServer::Fusefat
                                                      : test::FuseFatServer::ExfatFuse);
            ok_ = fat_->mounted();
            why_ = fat_->log();
            path_ = fat_->path();
            return;
        }
        why_ = test::WhyNtfsCannotBeMounted();
        if (!why_.empty())
            return;
        ntfs_ = std::make_unique<test::NtfsVolume>(
            temp_->path(), kind.name == "ntfs-3g" ? test::NtfsDriver::Ntfs3g
                                                  : test::NtfsDriver::LowNtfs3gIgnoreCase);
        ok_ = ntfs_->mounted();
        why_ = ntfs_->log();
        path_ = ntfs_->path();
    }

    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::NtfsVolume> ntfs_;
    std::unique_ptr<test::FuseFatVolume> fat_;
    std::string path_;
    std::string why_;
    bool ok_ = false;
};

LocalDateTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return LocalDateTime{year, month, day, hour, minute, second, ms};
}
LocalDateTime DateOf(const LocalDateTime& t) {
    return At(t.year, t.month, t.day, 0, 0, 0);
}
LocalDateTime TimeOf(const LocalDateTime& t) {
    return At(1970, 1, 1, t.hour, t.minute, t.second, t.millisecond);
}

class OnEveryVolume : public ::testing::TestWithParam<VolumeKind> {
protected:
    void SetUp() override {
        place_ = std::make_unique<Place>(GetParam());
        if (!place_->ok() && GetParam().mountPoint.empty() && !place_->why().empty() &&
            place_->why() == test::WhyNtfsCannotBeMounted())
            GTEST_SKIP() << place_->why();
        ASSERT_TRUE(place_->ok()) << "no volume for " << GetParam().name << ": " << place_->why();
    }
    std::string operator/(const std::string& name) const { return *place_ / name; }
    std::vector<std::string> Names() const { return place_->Names(); }

    std::unique_ptr<Place> place_;
};

TEST_P(OnEveryVolume, NeverReplacesAnotherFile) {
    WriteFile(*this / "a.txt", "a");
    WriteFile(*this / "b.txt", "b");
    EXPECT_FALSE(RenameOnDisk(*this / "a.txt", *this / "b.txt"));
    EXPECT_EQ(test::ReadFile(*this / "a.txt"), "a");
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), "b");
}

// Other programs at work in the folder while a file moves: an editor saving the old name
// atomically, and a program creating the new name. Neither loses its file.
TEST_P(OnEveryVolume, OtherProgramsFilesSurviveAMove) {
    WriteFile(*this / "a.txt", "old");
    bool reached = false;
    bool othersCreateRefused = false;
    ArmStepHook([&](Step step) {
        if (step != Step::NameReserved)
            return;
        reached = true;
        WriteFile(*this / ".a.txt.save", "saved");
        rename((*this / ".a.txt.save").c_str(), (*this / "a.txt").c_str());
        const int fd = open((*this / "b.txt").c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        othersCreateRefused = fd < 0;
        if (fd >= 0)
            close(fd);
    });
    EXPECT_TRUE(RenameOnDisk(*this / "a.txt", *this / "b.txt"));
    ArmStepHook({});
    EXPECT_EQ(reached, GetParam().renamesWithoutFlags);
    EXPECT_TRUE(othersCreateRefused || !reached);
    EXPECT_EQ(Names(), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), reached ? "saved" : "old");
}

// A crash in the middle of a move leaves the file whole under its old name; at worst the new
// name holds the empty reservation.
TEST_P(OnEveryVolume, ACrashInAMoveLosesNothing) {
    if (!GetParam().renamesWithoutFlags)
        GTEST_SKIP() << "the kernel moves in one step here";
    WriteFile(*this / "a.txt", "content");
    const pid_t child = fork();
    if (child == 0) {
        ArmStepHook([](Step) { _exit(9); });
        RenameOnDisk(*this / "a.txt", *this / "b.txt");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(test::ReadFile(*this / "a.txt"), "content");
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), "");
}

// Announces every temporary name of a letter-case change down a pipe, as a run journal would
// record it.
class AnnounceDownAPipe final : public CaseChangeListener {
public:
    explicit AnnounceDownAPipe(int fd) : fd_(fd) {}
    void CaseChangeStarting(const std::string&, const std::string& temporary,
                            const std::string&) override {
        const std::string line = temporary + "\n";
        [[maybe_unused]] const ssize_t written = write(fd_, line.data(), line.size());
    }
    void CaseChangeFinished(const std::string&) override {}

private:
    int fd_;
};

// A crash in the middle of a letter-case change leaves the file whole under the temporary name
// that was announced before, beside the new name and spelled after it.
TEST_P(OnEveryVolume, ACrashInALetterCaseChangeLeavesTheFileWhereItWasAnnounced) {
    WriteFile(*this / "report.txt", "content");
    int announcements[2];
    ASSERT_EQ(pipe(announcements), 0);
    const pid_t child = fork();
    if (child == 0) {
        AnnounceDownAPipe listener(announcements[1]);
        SetCaseChangeListener(&listener);
        ArmStepHook([](Step step) {
            if (step == Step::MovedToCaseTemporary)
                _exit(9);
        });
        RenameOnDisk(*this / "report.txt", *this / "REPORT.txt");
        _exit(0);
    }
    close(announcements[1]);
    std::string announced;
    char buffer[512];
    for (ssize_t got; (got = read(announcements[0], buffer, sizeof buffer)) > 0;)
        announced.append(buffer, static_cast<std::size_t>(got));
    close(announcements[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (!GetParam().caseInsensitive) {
        EXPECT_EQ(WEXITSTATUS(status), 0) << "a plain rename changes the case here";
        return;
    }
    ASSERT_EQ(WEXITSTATUS(status), 9);
    ASSERT_FALSE(announced.empty());
    announced.pop_back();
    const std::string temporary = announced.substr(announced.find_last_of('\n') + 1);
    EXPECT_EQ(temporary.rfind(*this / ".REPORT.txt.Tarvolin-Case-", 0), 0u) << temporary;
    EXPECT_EQ(test::ReadFile(temporary), "content");
}

// Where Windows reads the volume (every kind here but Linux's own), a name that differs only in
// letter case from another file's is taken, even where this mount tells them apart.
TEST_P(OnEveryVolume, ANameTakenInAnyLetterCaseIsTaken) {
    WriteFile(*this / "a.txt", "a");
    WriteFile(*this / "b.txt", "b");
    const bool renamed = RenameOnDisk(*this / "a.txt", *this / "B.TXT");
    const bool linuxOnly = GetParam().name == "disk" || GetParam().name == "ext4-small-inodes";
    EXPECT_EQ(renamed, linuxOnly);
    const std::vector<std::string> expected = renamed ? std::vector<std::string>{"B.TXT", "b.txt"}
                                                      : std::vector<std::string>{"a.txt", "b.txt"};
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(test::ReadFile(*this / "b.txt"), "b");
}

struct CaseChange {
    const char* from;
    const char* to;
};

TEST_P(OnEveryVolume, ChangesOnlyTheLetterCase) {
    const CaseChange changes[] = {
        {"report.txt", "REPORT.txt"}, {"Photo.JPG", "photo.jpg"}, {"x.TXT", "X.txt"}};
    for (const CaseChange& change : changes) {
        WriteFile(*this / change.from, change.from);
        EXPECT_TRUE(RenameOnDisk(*this / change.from, *this / change.to)) << change.from;
        EXPECT_EQ(test::ReadFile(*this / change.to), change.from);
    }
    // The directory itself says so: no old spelling, no temporary name left. (What the disk
    // holds under lowntfs-3g, which lists lower case, is read by NtfsRenameTest.)
    if (GetParam().listsLowerCase)
        EXPECT_EQ(Names(), (std::vector<std::string>{"photo.jpg", "report.txt", "x.txt"}));
    else
        EXPECT_EQ(Names(), (std::vector<std::string>{"REPORT.txt", "X.txt", "photo.jpg"}));
}

// Every combination the volume has a place for is kept; any other is refused, never reported
// as set.
TEST_P(OnEveryVolume, KeepsEveryCombinationOfTheFourAttributesItCanHold) {
    WriteFile(*this / "file.txt", "data");
    AttributeSet held = 0;
    for (AttributeSet bits = 0; bits <= kFourAttributes; ++bits) {
        if ((bits & ~kFourAttributes) != 0)
            continue;
        const bool fits = (bits & ~GetParam().keptAttributes) == 0;
        EXPECT_EQ(ApplyAttributes(*this / "file.txt", bits), fits) << bits;
        held = fits ? bits : held;
        EXPECT_EQ(ReadAttributes(*this / "file.txt"), held) << bits;
        EXPECT_EQ(ReadFileSummary(*this / "file.txt").attributes, held);
    }
    ASSERT_TRUE(ApplyAttributes(*this / "file.txt", 0));
}

TEST_P(OnEveryVolume, WritesTheModifyTimeWithDosPrecision) {
    WriteFile(*this / "file.txt", "data");
    const LocalDateTime wanted = At(2024, 7, 15, 14, 0, 3, 500);
    ASSERT_TRUE(SetModifyTime(*this / "file.txt", DateOf(wanted), TimeOf(wanted)));
    EXPECT_EQ(GetModifyTime(*this / "file.txt"), At(2024, 7, 15, 14, 0, 2));
}

// A volume that keeps a time other than the one written (ext4 with small inodes stores 2100
// as 2038 and says yes) makes the step fail instead of reporting success.
TEST_P(OnEveryVolume, ATimeTheVolumeCannotHoldFails) {
    WriteFile(*this / "file.txt", "data");
    const LocalDateTime wanted = At(2100, 1, 1, 12, 0, 0);
    EXPECT_EQ(SetModifyTime(*this / "file.txt", DateOf(wanted), TimeOf(wanted)),
              GetParam().holdsYear2100);
}

TEST_P(OnEveryVolume, WritesTheCreationTimeWhereTheVolumeKeepsOne) {
    WriteFile(*this / "file.txt", "data");
    const std::optional<LocalDateTime> before = GetCreationTime(*this / "file.txt");
    ASSERT_TRUE(before.has_value());
    const LocalDateTime wanted = At(2001, 2, 3, 4, 5, 7);
    const bool written = SetCreationTime(*this / "file.txt", DateOf(wanted), TimeOf(wanted));
    EXPECT_EQ(written, GetParam().keepsCreationTime);
    EXPECT_EQ(GetCreationTime(*this / "file.txt"), written ? At(2001, 2, 3, 4, 5, 6) : *before);
}

// Read-only protects the contents only, so a run can make files read-only and give them times.
TEST_P(OnEveryVolume, ReadOnlyFileTakesNewTimes) {
    if ((GetParam().keptAttributes & kReadOnly) == 0)
        GTEST_SKIP() << "no place for read-only here";
    WriteFile(*this / "file.txt", "data");
    ASSERT_TRUE(ApplyAttributes(*this / "file.txt", kReadOnly));
    const LocalDateTime wanted = At(2010, 1, 1, 12, 0, 0);
    EXPECT_TRUE(SetModifyTime(*this / "file.txt", DateOf(wanted), TimeOf(wanted)));
    EXPECT_EQ(SetCreationTime(*this / "file.txt", DateOf(wanted), TimeOf(wanted)),
              GetParam().keepsCreationTime);
    EXPECT_EQ(GetModifyTime(*this / "file.txt"), wanted);
    EXPECT_EQ(ReadAttributes(*this / "file.txt") & kReadOnly, kReadOnly);
    ASSERT_TRUE(ApplyAttributes(*this / "file.txt", 0));
}

TEST_P(OnEveryVolume, RefusesAFileThatIsNotThere) {
    const std::string missing = *this / "missing.txt";
    const LocalDateTime when = At(2010, 1, 1, 12, 0, 0);
    EXPECT_FALSE(RenameOnDisk(missing, *this / "other.txt"));
    EXPECT_FALSE(ApplyAttributes(missing, kHidden));
    EXPECT_FALSE(SetModifyTime(missing, DateOf(when), TimeOf(when)));
    EXPECT_FALSE(SetCreationTime(missing, DateOf(when), TimeOf(when)));
    EXPECT_EQ(ReadAttributes(missing), kUnreadableAttributes);
    EXPECT_EQ(GetModifyTime(missing), std::nullopt);
    EXPECT_EQ(Names(), std::vector<std::string>{});
}

// A run journal tells its files apart by these numbers, read for many files at once, and an
// undo finds each file by them after its rename.
TEST_P(OnEveryVolume, KnowsAFileByOneNumberBeforeAndAfterItsRename) {
    ASSERT_EQ(mkdir((*this / "many").c_str(), 0755), 0);
    std::vector<std::string> paths;
    // Enough for the folder to be read whole where the kernel's driver allows; FUSE servers
    // are looked up one by one (and fusefat takes 40 ms a file).
    const int count = GetParam().renamesWithoutFlags ? 20 : 300;
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

INSTANTIATE_TEST_SUITE_P(Volumes, OnEveryVolume, ::testing::ValuesIn(VolumesToTest()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// Files the disk checks look for in each volume's root, as Windows would find them:
//   witness-hsa.txt  hidden, system and archive, modified 2024-07-15 14:00:02 (local time)
//   witness-r.txt    read-only only
//   Witness-Case.TXT renamed from witness-case.txt
bool LeaveWitnesses(const std::string& root) {
    const LocalDateTime modified = At(2024, 7, 15, 14, 0, 2);
    WriteFile(root + "/witness-hsa.txt", "hsa");
    WriteFile(root + "/witness-r.txt", "r");
    WriteFile(root + "/witness-case.txt", "case");
    return ApplyAttributes(root + "/witness-hsa.txt", kHidden | kSystem | kArchive) &&
           SetModifyTime(root + "/witness-hsa.txt", DateOf(modified), TimeOf(modified)) &&
           ApplyAttributes(root + "/witness-r.txt", kReadOnly) &&
           RenameOnDisk(root + "/witness-case.txt", root + "/Witness-Case.TXT");
}

} // namespace
} // namespace tarvolin

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--leave-witnesses") == 0) {
        int failures = 0;
        for (const tarvolin::VolumeKind& kind : tarvolin::VolumesToTest()) {
            const bool left = tarvolin::LeaveWitnesses(kind.mountPoint);
            std::printf("witnesses on %s: %s\n", kind.name.c_str(), left ? "left" : "FAILED");
            failures += left ? 0 : 1;
        }
        return failures == 0 ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
