#pragma once

// What a screen reader learns of the progress gauge: a progress bar with its position and
// range, whose value it hears change, and whose description says when a run or an undo ended.
// Drawn by hand, the gauge would otherwise be a nameless filler.

namespace tarvolin {

// Registers the gauge's accessible form with Qt; called by every Gauge, acts once.
void InstallAccessibleGauge();

} // namespace tarvolin
