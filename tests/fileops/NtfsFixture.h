#pragma once

// Tests on a fresh NTFS volume of their own. They run wherever the machine can mount one
// (root, /dev/fuse, ntfs-3g installed) and say why they were skipped elsewhere.

#include "NtfsVolume.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tarvolin::test {

class NtfsTest : public ::testing::Test {
protected:
    void MountFresh(NtfsDriver driver) {
        const std::string why = WhyNtfsCannotBeMounted();
        if (!why.empty())
            GTEST_SKIP() << why;
        volume_ = std::make_unique<NtfsVolume>(dir_.path(), driver);
        ASSERT_TRUE(volume_->mounted()) << volume_->log();
    }

    // What was written must be on the disk, not only in the driver's memory.
    ::testing::AssertionResult Unmount() { return Outcome(volume_->Unmount()); }
    ::testing::AssertionResult MountAgain(bool readOnly = false) {
        return Outcome(volume_->Mount(readOnly));
    }

    NtfsVolume& volume() { return *volume_; }
    std::string operator/(const std::string& name) const { return *volume_ / name; }

private:
    ::testing::AssertionResult Outcome(bool done) const {
        return done ? ::testing::AssertionSuccess()
                    : ::testing::AssertionFailure() << volume_->log();
    }

    TempDir dir_;
    std::unique_ptr<NtfsVolume> volume_;
};

// The same cases through either driver.
class OnEitherDriver : public NtfsTest, public ::testing::WithParamInterface<NtfsDriver> {
protected:
    void SetUp() override { MountFresh(GetParam()); }
    bool caseInsensitive() const { return GetParam() == NtfsDriver::LowNtfs3gIgnoreCase; }
};

inline const auto kEitherDriver =
    ::testing::Values(NtfsDriver::Ntfs3g, NtfsDriver::LowNtfs3gIgnoreCase);

inline std::string DriverName(const ::testing::TestParamInfo<NtfsDriver>& info) {
    return info.param == NtfsDriver::Ntfs3g ? "Ntfs3g" : "LowNtfs3gIgnoreCase";
}

} // namespace tarvolin::test
