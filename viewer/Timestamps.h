#pragma once
// Conversions between the log's timestamps (days since 1899-12-30, time of day as the
// fraction) and Qt's dates. A log time carries no time zone, so QDateTime values here are
// plain wall-clock times (Qt::UTC is used only to keep Qt from applying daylight saving).

#include <QDate>
#include <QDateTime>

QDateTime TimestampToDateTime(double timestamp);
double DateTimeToTimestamp(const QDateTime& dateTime);
QDate TimestampDate(double timestamp);

// The user's short date format, with the year in four digits where the locale gives two: a log
// spans years, and the filter's "All records" runs from 1800.
QString ShortDateFormat();
QString FormatShortDate(QDate date);

// The date as a timestamp at 00:00:00.000 and at 23:59:59.999 of that day.
double StartOfDay(QDate date);
double EndOfDay(QDate date);
