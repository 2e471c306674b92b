#include "RowTexts.h"

namespace tarvolin {

QString AttributeLetters(AttributeSet attributes) {
    QString letters;
    if (attributes & kReadOnly)
        letters += QLatin1String("R ");
    if (attributes & kHidden)
        letters += QLatin1String("H ");
    if (attributes & kArchive)
        letters += QLatin1String("A ");
    if (attributes & kSystem)
        letters += QLatin1String("S ");
    return letters;
}

QString ShortDateFormatOf(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return QStringLiteral("M/d/yy");
    return locale.dateFormat(QLocale::ShortFormat);
}

QString LongTimeFormatOf(const QLocale& locale) {
    const QString source = locale.timeFormat(QLocale::LongFormat);
    QString result;
    qsizetype i = 0;
    while (i < source.size()) {
        const QChar c = source.at(i);
        if (c == u'\'') {
            // A quoted literal is copied as it stands, quotes included.
            qsizetype end = source.indexOf(u'\'', i + 1);
            end = end < 0 ? source.size() : end + 1;
            result += source.mid(i, end - i);
            i = end;
            continue;
        }
        qsizetype run = i;
        while (run < source.size() && source.at(run) == c)
            ++run;
        if (c == u't') {
            // The zone name is not shown, nor the blank that set it apart.
            while (result.endsWith(u' '))
                result.chop(1);
            while (run < source.size() && source.at(run) == u' ')
                ++run;
        } else if (c == u'm') {
            result += QLatin1String("mm");
        } else if (c == u's') {
            result += QLatin1String("ss");
        } else {
            result += source.mid(i, run - i);
        }
        i = run;
    }
    return result.trimmed();
}

TimeTextFormat TimeTextFormatOf(const QLocale& locale) {
    return {locale, ShortDateFormatOf(locale), LongTimeFormatOf(locale)};
}

QString FormatTimeText(const LocalDateTime& value, const TimeTextFormat& format) {
    const QString date = format.locale.toString(ToQDate(value), format.dateFormat);
    if (value.hour == 0 && value.minute == 0 && value.second == 0)
        return date;
    return date + u' ' + format.locale.toString(ToQTime(value), format.timeFormat);
}

QString FormatTimeText(const std::optional<LocalDateTime>& value, const TimeTextFormat& format) {
    return value ? FormatTimeText(*value, format) : QString();
}

QDate ToQDate(const LocalDateTime& value) {
    return QDate(value.year, value.month, value.day);
}

QTime ToQTime(const LocalDateTime& value) {
    return QTime(value.hour, value.minute, value.second, value.millisecond);
}

LocalDateTime FromQDate(QDate date) {
    return {date.year(), date.month(), date.day(), 0, 0, 0, 0};
}

LocalDateTime FromQTime(QTime time) {
    return {1970, 1, 1, time.hour(), time.minute(), time.second(), time.msec()};
}

std::string TextToPath(const QString& text) {
    // UTF-8 on every platform, never the local 8-bit encoding: the file layer expects it
    // (Win32FileOps.InvalidUtf8NamesNothing, FilesIntoListTest::drop).
    return text.toStdString();
}

QString PathToText(const std::string& path) {
    return QString::fromStdString(path);
}

} // namespace tarvolin
