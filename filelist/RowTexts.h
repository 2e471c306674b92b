#pragma once

// The texts of a file list row, and the conversions between the window's Qt values and the
// byte paths and wall-clock times that the renaming core works with.

#include "AttributeSet.h"
#include "LocalDateTime.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>
#include <string>

namespace tarvolin {

// "R ", "H ", "A ", "S " for the bits that are set, in that order; an unreadable file (-1)
// therefore shows all four.
QString AttributeLetters(AttributeSet attributes);

// How a time cell is written: the user's short date format and long time format.
struct TimeTextFormat {
    QLocale locale;
    QString dateFormat;
    QString timeFormat;
};

// The short date format of `locale`; "M/d/yy" for the C locale, which carries no user
// preference.
QString ShortDateFormatOf(const QLocale& locale);
// The long time format of `locale` without its time-zone name, with two-digit minutes and
// seconds; hours, separators and the AM/PM marker stay as the locale has them.
QString LongTimeFormatOf(const QLocale& locale);
TimeTextFormat TimeTextFormatOf(const QLocale& locale);

// Date, a space and the time; only the date when the time of day is 00:00:00.
QString FormatTimeText(const LocalDateTime& value, const TimeTextFormat& format);
// Empty when the file gave no time (it is missing).
QString FormatTimeText(const std::optional<LocalDateTime>& value, const TimeTextFormat& format);

QDate ToQDate(const LocalDateTime& value);
QTime ToQTime(const LocalDateTime& value);
// The date part with a midnight time of day, and the time part on 1 January 1970.
LocalDateTime FromQDate(QDate date);
LocalDateTime FromQTime(QTime time);

// Paths and names travel as UTF-8 bytes on every platform.
std::string TextToPath(const QString& text);
QString PathToText(const std::string& path);

} // namespace tarvolin
