#pragma once

namespace tarvolin {

// File attribute bits with the values Windows gives them, which is also how Samba and
// Wine store them on Linux. A file that cannot be queried reads as -1: every bit set.
using AttributeSet = int;

inline constexpr AttributeSet kReadOnly = 0x01;
inline constexpr AttributeSet kHidden = 0x02;
inline constexpr AttributeSet kSystem = 0x04;
inline constexpr AttributeSet kArchive = 0x20;
// The four bits the program reads and writes; a volume's other bits are its own.
inline constexpr AttributeSet kFourAttributes = kReadOnly | kHidden | kSystem | kArchive;
inline constexpr AttributeSet kUnreadableAttributes = -1;

} // namespace tarvolin
