#include "NtfsVolume.h"

#include "Privileges.h"
#include "ScratchMount.h"
#include "ToolReport.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tarvolin::test {

namespace {

constexpr off_t kImageBytes = 24 * 1024 * 1024;
constexpr auto kDriverTimeout = std::chrono::seconds(20);
const char* const kTools[] = {"mkntfs", "ntfs-3g", "lowntfs-3g", "ntfsinfo", "ntfsls"};

bool IsFuseMount(const std::string& path) {
    struct statfs volume {};
    return statfs(path.c_str(), &volume) == 0 &&
           volume.f_type == static_cast<decltype(volume.f_type)>(FUSE_SUPER_MAGIC);
}

bool MakeImage(const std::string& image) {
    const int fd = open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool sized = ftruncate(fd, kImageBytes) == 0;
    close(fd);
    return sized;
}

std::string DriverOptions(NtfsDriver driver, bool readOnly) {
    std::string options = "no_detach";
    if (readOnly)
        options += ",ro";
    if (driver == NtfsDriver::LowNtfs3gIgnoreCase)
        options += ",ignore_case";
    return options;
}

// The value after "label:" on a line of the standard-information block.
std::optional<std::string> ValueOf(const std::string& line, const std::string& label) {
    const std::size_t at = line.find(label + ":");
    if (at == std::string::npos)
        return std::nullopt;
    return line.substr(at + label.size() + 1);
}

std::optional<NtfsRecord> ParseStandardInformation(const std::string& report) {
    std::istringstream lines(
        report.substr(std::min(report.find("$STANDARD_INFORMATION"), report.size())));
    std::optional<std::int64_t> created, modified;
    std::optional<std::uint32_t> attributes;
    for (std::string line; std::getline(lines, line) && !attributes;) {
        if (const auto value = ValueOf(line, "File Creation Time"); value && !created)
            created = ParseUtcReport(*value);
        if (const auto value = ValueOf(line, "File Altered Time"); value && !modified)
            modified = ParseUtcReport(*value);
        if (const auto value = ValueOf(line, "File attributes"))
            attributes = ParseAttributeReport(*value);
    }
    if (!created || !modified || !attributes)
        return std::nullopt;
    return NtfsRecord{*attributes, *created, *modified};
}

} // namespace

std::string WhyNtfsCannotBeMounted() {
    if (!RunningAsRoot())
        return "mounting NTFS images needs root";
    if (access("/dev/fuse", R_OK | W_OK) != 0)
        return "no usable /dev/fuse";
    for (const char* tool : kTools) {
        if (!FindProgram(tool))
            return std::string("ntfs-3g is not installed (no ") + tool + ")";
    }
    return "";
}

NtfsVolume::NtfsVolume(const std::string& workDir, NtfsDriver driver)
    : image_(workDir + "/ntfs.img"), mountPoint_(workDir + "/ntfs"),
      driverLog_(workDir + "/ntfs-driver.log"), driverKind_(driver) {
    if (mkdir(mountPoint_.c_str(), 0755) != 0 || !MakeImage(image_)) {
        log_ = "cannot create " + image_ + " or " + mountPoint_;
        return;
    }
    const ProgramResult format = RunProgram({ProgramPath("mkntfs"), "-F", "-q", "-f", image_});
    log_ += format.output;
    if (format.exitCode != 0)
        return;
    EnterPrivateMountNamespace();
    Mount();
}

NtfsVolume::~NtfsVolume() {
    if (mounted() && !Unmount()) {
        umount2(mountPoint_.c_str(), MNT_DETACH);
        driver_.reset();
    }
}

bool NtfsVolume::Mount(bool readOnly) {
    if (mounted())
        return true;
    const std::string driver =
        ProgramPath(driverKind_ == NtfsDriver::Ntfs3g ? "ntfs-3g" : "lowntfs-3g");
    auto child = std::make_unique<ChildProcess>(
        std::vector<std::string>{driver, "-o", DriverOptions(driverKind_, readOnly), image_,
                                 mountPoint_},
        driverLog_);
    const bool up =
        child->started() &&
        WaitUntil(kDriverTimeout, [&] { return IsFuseMount(mountPoint_) || !child->running(); }) &&
        IsFuseMount(mountPoint_);
    if (!up) {
        log_ += "mount through " + driver + " failed:\n" + LogText(driverLog_);
        return false;
    }
    driver_ = std::move(child);
    return true;
}

// The driver writes back what it still holds when the kernel lets go of the mount, so the
// image is complete only once the driver has ended.
bool NtfsVolume::Unmount() {
    if (!mounted())
        return true;
    int result = -1;
    WaitUntil(kDriverTimeout, [&] {
        result = umount2(mountPoint_.c_str(), 0);
        return result == 0 || errno != EBUSY;
    });
    const bool ended = result == 0 && driver_->WaitForExit(kDriverTimeout);
    if (!ended) {
        log_ += "unmount of " + mountPoint_ + " failed\n";
        return false;
    }
    driver_.reset();
    return true;
}

std::optional<NtfsRecord> NtfsVolume::Inspect(const std::string& name) {
    if (mounted())
        return std::nullopt;
    const ProgramResult report = RunProgram({ProgramPath("ntfsinfo"), "-F", name, image_});
    if (report.exitCode != 0) {
        log_ += report.output;
        return std::nullopt;
    }
    return ParseStandardInformation(report.output);
}

std::vector<std::string> NtfsVolume::ListOnDisk(const std::string& directory) {
    std::vector<std::string> names;
    if (mounted())
        return names;
    const ProgramResult listing = RunProgram({ProgramPath("ntfsls"), "-p", directory, image_});
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        if (line != "." && line != "..")
            names.push_back(line);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tarvolin::test
