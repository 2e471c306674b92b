#include "SpinFieldRules.h"

#include <QKeyEvent>
#include <limits>

namespace tarvolin {

namespace {

int DigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return 99;
}

} // namespace

int ReadSpinText(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return 0;
    // One past the largest magnitude, so that the most negative int still reads.
    const long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    long long magnitude = 0;
    for (; i < n; ++i) {
        const int digit = DigitValue(text[i]);
        if (digit >= base)
            return 0;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return 0;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(value);
}

char16_t TypedCharacter(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers & Qt::AltModifier)
        return 0;
    const int key = event.key();
    switch (key) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0;
    default:
        break;
    }
    if (modifiers & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return static_cast<char16_t>(key - Qt::Key_A + 1);
        return 0;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    const char16_t c = text.at(0).unicode();
    // Delete and other editing keys carry a control code in their text on some platforms
    // (WindowPartsTest::typedCharacter).
    if (c == 0x7F)
        return 0;
    return c;
}

bool IsSpinFieldCharacter(char16_t c, QChar decimalSeparator) {
    if (c >= u'0' && c <= u'9')
        return true;
    if (c == u'+' || c == u'-' || c == decimalSeparator.unicode())
        return true;
    return c < 0x20 && c != u'\r';
}

} // namespace tarvolin
