#pragma once

// Whether a window can be opened at all. Without a display Qt's X11 and Wayland platforms
// abort the program; asked first, it says so in one line instead.

#include <optional>
#include <string>

namespace tarvolin {

// Why no window can open here (the sentence for standard error), or none when one can. A
// platform chosen in QT_QPA_PLATFORM other than X11 or Wayland (offscreen, vnc...) is Qt's
// matter and taken as able.
std::optional<std::string> WhyNoWindowCanOpen();

} // namespace tarvolin
