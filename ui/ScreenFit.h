#pragma once

// A window placed at fixed 96-dpi coordinates can end partly off a small or scaled screen
// (615 × 401 at (96, 106) with a scale of 2 on a 1600 × 1000 screen loses its buttons below the
// bottom edge). Such a window is moved, as little as needed, into the screen's available area.

#include <QPoint>
#include <QRect>

class QWidget;

namespace tarvolin {

// The top left that puts `frame` inside `available` with the least move; a frame larger than
// `available` starts at its top left.
QPoint PositionInside(const QRect& frame, const QRect& available);

// From its first showing on, `window` (title bar and border included) is kept on its screen.
void KeepInsideScreen(QWidget& window);

} // namespace tarvolin
