// Whatever text was typed or pasted into the start-number field, reading it must never
// crash or overflow, and it must follow the field's reading rule.

#include "SpinFieldRules.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool OnlyNumberCharacters(const QString& text) {
    for (QChar c : text)
        if (!QStringLiteral(" +-$xX0123456789abcdefABCDEF").contains(c))
            return false;
    return true;
}

void CheckRoundTrips(std::int32_t number) {
    using tarvolin::ReadSpinText;
    Require(ReadSpinText(QString::number(number)) == number);
    Require(ReadSpinText(QStringLiteral("   ") + QString::number(number)) == number);
    if (number >= 0) {
        const QString hex = QString::number(number, 16);
        Require(ReadSpinText(QStringLiteral("$") + hex) == number);
        Require(ReadSpinText(QStringLiteral("0x") + hex.toUpper()) == number);
        Require(ReadSpinText(QStringLiteral("-x") + hex) == -number);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarvolin::ReadSpinText;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int value = ReadSpinText(text);
    Require(ReadSpinText(QStringLiteral(" ") + text) == value);
    if (!OnlyNumberCharacters(text))
        Require(value == 0);

    if (size >= 4) {
        std::int32_t number = 0;
        std::memcpy(&number, data, sizeof number);
        CheckRoundTrips(number);
    }
    return 0;
}
