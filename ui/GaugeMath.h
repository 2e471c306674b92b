#pragma once

#include <algorithm>
#include <cstdint>

namespace tarvolin {

// The whole-number percentage a gauge shows: 0 for an empty range, so a run over a single
// file stays at 0%.
constexpr int GaugePercent(int minimum, int maximum, int position) {
    if (maximum == minimum)
        return 0;
    const std::int64_t done = std::int64_t{position} - minimum;
    const std::int64_t span = std::int64_t{maximum} - minimum;
    return static_cast<int>(done * 100 / span);
}

// How many pixels of the inner width the bar covers at `percent`.
constexpr int GaugeBarWidth(int innerWidth, int percent) {
    const std::int64_t width = std::int64_t{innerWidth} * percent / 100;
    return static_cast<int>(std::clamp<std::int64_t>(width, 0, innerWidth));
}

} // namespace tarvolin
