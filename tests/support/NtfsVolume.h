#pragma once

// A small NTFS volume of the test's own: an image file formatted by mkntfs and mounted
// through ntfs-3g, or through lowntfs-3g with ignore_case for a case-insensitive volume. The
// driver runs in the foreground as a child of the test and is stopped by its process id, and
// the mount lives in the test's private mount namespace, so nothing outlives the test.
// Between mounts the image can be read with ntfs-3g's own tools, which do not go through the
// driver: they show what Windows would find on the disk.

#include "ChildProcess.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvolin::test {

enum class NtfsDriver {
    Ntfs3g,
    LowNtfs3gIgnoreCase,
};

// Empty when this machine can make and mount NTFS images; otherwise why it cannot, for the
// test's skip message.
std::string WhyNtfsCannotBeMounted();

// What an MFT record's standard information holds, as ntfsinfo reports it.
struct NtfsRecord {
    std::uint32_t attributes = 0;
    std::int64_t creationTime = 0; // seconds since the Unix epoch, UTC; ntfsinfo shows no more
    std::int64_t modifyTime = 0;
};

class NtfsVolume {
public:
    // Formats `workDir`/ntfs.img and mounts it at `workDir`/ntfs.
    NtfsVolume(const std::string& workDir, NtfsDriver driver);
    ~NtfsVolume();
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    bool mounted() const { return driver_ != nullptr; }
    const std::string& path() const { return mountPoint_; }
    std::string operator/(const std::string& name) const { return mountPoint_ + "/" + name; }
    // What went wrong, for an assertion's message: the tools' and the driver's output.
    const std::string& log() const { return log_; }

    // Unmounts and waits until the driver has written everything and ended.
    bool Unmount();
    bool Mount(bool readOnly = false);

    // Read from the unmounted image. `name` is the path inside the volume, "/" first.
    std::optional<NtfsRecord> Inspect(const std::string& name);
    // The names of a directory as they stand on the disk, sorted, DOS short names left out.
    std::vector<std::string> ListOnDisk(const std::string& directory = "/");

private:
    std::string image_;
    std::string mountPoint_;
    std::string driverLog_;
    NtfsDriver driverKind_;
    std::unique_ptr<ChildProcess> driver_;
    std::string log_;
};

} // namespace tarvolin::test
