#include "Timestamps.h"

#include "FBLogDateTime.h"

#include <QLocale>

namespace {

double Encode(QDate date, QTime time)
{
    const FBLogDateParts parts{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                               time.msec()};
    return TryEncodeDateTime(parts).value_or(0.0);
}

}  // namespace

QString ShortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

QString FormatShortDate(QDate date)
{
    return QLocale().toString(date, ShortDateFormat());
}

QDateTime TimestampToDateTime(double timestamp)
{
    const FBLogDateParts p = DecodeDateTime(timestamp);
    return QDateTime(QDate(p.Year, p.Month, p.Day), QTime(p.Hour, p.Minute, p.Second, p.Millisecond), Qt::UTC);
}

double DateTimeToTimestamp(const QDateTime& dateTime)
{
    return Encode(dateTime.date(), dateTime.time());
}

QDate TimestampDate(double timestamp)
{
    const FBLogDateParts p = DecodeDateTime(timestamp);
    return QDate(p.Year, p.Month, p.Day);
}

double StartOfDay(QDate date)
{
    return Encode(date, QTime(0, 0));
}

double EndOfDay(QDate date)
{
    return Encode(date, QTime(23, 59, 59, 999));
}
