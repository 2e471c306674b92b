#pragma once

#include "FileOps.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarvolin {

// The volumes a list's files lie on, each kept once: a row names its volume by its place
// here, four bytes where the volume's three parts take seventeen. A list holds files of a few
// volumes at most, so a place is found by a look along them, the last one found first.
class VolumeTable {
public:
    std::uint32_t PlaceOf(const FileIdentity& identity);
    // `identity` with the volume of `place` (which PlaceOf gave) filled in.
    void FillVolume(std::uint32_t place, FileIdentity& identity) const;

private:
    struct Volume {
        unsigned long long device = 0;
        unsigned long long id = 0;
        bool numbersLast = true;
    };
    std::vector<Volume> volumes_;
    std::uint32_t lastFound_ = 0;
};

// A file's stamp as a list row keeps it, or none, in 48 bytes where a FileStamp takes more
// than twice as much: the times as nanoseconds since 1970, which hold every year from 1678 to
// 2261. A stamp with a time beyond that is not kept: the run that wants it reads it again.
class PackedStamp {
public:
    PackedStamp() = default;
    PackedStamp(const std::optional<FileStamp>& stamp, VolumeTable& volumes);
    std::optional<FileStamp> Unpacked(const VolumeTable& volumes) const;

private:
    std::uint64_t file_ = 0;
    std::uint64_t size_ = 0;
    std::int64_t modify_ = 0;
    std::int64_t change_ = 0;
    std::int64_t birth_ = 0;            // kNoBirth where the volume keeps none
    std::uint32_t volume_ = UINT32_MAX; // UINT32_MAX: no stamp
};

} // namespace tarvolin
