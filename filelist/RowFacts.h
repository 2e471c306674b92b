#pragma once

#include "FileOps.h"
#include "PackedStamp.h"

#include <cstdint>
#include <optional>

namespace tarvolin {

// A wall-clock time, or none, in eight bytes: a list of a million files keeps two per row,
// where an optional LocalDateTime of seven ints would take four times as much.
class PackedTime {
public:
    PackedTime() = default;
    explicit PackedTime(const std::optional<LocalDateTime>& value);
    std::optional<LocalDateTime> Unpacked() const;
    // Smaller for an earlier time; largest for no time, which sorts after every time. The
    // fields are packed from the year down, so the bits themselves are in time order.
    std::uint64_t OrderKey() const { return bits_ == 0 ? UINT64_MAX : bits_; }

private:
    std::uint64_t bits_ = 0; // 0: no time
};

// What a row shows beside its path, as it was read from the disk when the row was last
// written, and which file that was (for a run's journal, which then need not read every file
// again): 72 bytes per row.
struct RowFacts {
    PackedTime creationTime;
    PackedTime modifyTime;
    std::int8_t attributes = -1; // the four bits fit; an unreadable file keeps -1
    PackedStamp stamp;

    RowFacts() = default;
    explicit RowFacts(const FileSummary& summary);
    RowFacts(const FileSummaryAndStamp& read, VolumeTable& volumes);
    AttributeSet Attributes() const { return attributes; }
};

} // namespace tarvolin
