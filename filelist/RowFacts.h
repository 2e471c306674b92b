#pragma once

#include "FileOps.h"
#include "PackedStamp.h"

#include <cstdint>
#include <optional>

namespace tarvolin {

// A moment in UTC to the millisecond, or none, in eight bytes: a list of a million files
// keeps two per row. It is kept as the disk gave it and made local only when a row is shown
// (FileLayer::LocalTimeOf), so re-reading the rows a run renamed converts nothing. Moments more
// than 142 million years from 1970 are kept as none.
class PackedTime {
public:
    PackedTime() = default;
    explicit PackedTime(const std::optional<ExactTime>& value);
    // The moment, its nanoseconds cut to whole milliseconds.
    std::optional<ExactTime> Unpacked() const;

private:
    std::uint64_t bits_ = 0; // 0: no time
};

// Smaller for an earlier wall-clock time; largest for no time, which sorts after every time.
// The fields are packed from the year down, so the bits themselves are in time order.
std::uint64_t LocalTimeOrderKey(const std::optional<LocalDateTime>& value);

// What a row shows beside its path, as it was read from the disk when the row was last
// written, and which file that was (for a run's journal, which then need not read every file
// again): 72 bytes per row.
struct RowFacts {
    PackedTime creationTime;
    PackedTime modifyTime;
    std::int8_t attributes = -1; // the four bits fit; an unreadable file keeps -1
    PackedStamp stamp;

    RowFacts() = default;
    explicit RowFacts(const UtcFileSummary& summary);
    RowFacts(const FileSummaryAndStamp& read, VolumeTable& volumes);
    AttributeSet Attributes() const { return attributes; }
};

} // namespace tarvolin
