#pragma once

// The rules of the numeric spin field, apart from the widget so that they can be checked
// without one.

#include <QChar>
#include <QStringView>

class QKeyEvent;

namespace tarvolin {

// The integer that `text` spells: optional leading blanks, an optional sign, then decimal
// digits, or hexadecimal digits after "$", "x" or "0x". Anything else, the empty text
// included, reads as 0. Not clamped to any range.
int ReadSpinText(QStringView text);

// The character a key press types into an edit field, as a character message would carry
// it: Backspace is 0x08, Escape 0x1B, Ctrl+letter its control character (Ctrl+V is 0x16).
// 0 for a key that types nothing (arrows, Delete, Tab, Enter, Alt combinations, ...).
char16_t TypedCharacter(const QKeyEvent& event);

// Whether the spin field itself takes `c`: "+", "-", the digits, the locale's decimal
// separator, and control characters other than Enter. Anything else is refused.
bool IsSpinFieldCharacter(char16_t c, QChar decimalSeparator);

} // namespace tarvolin
