#pragma once
// Conversions between the log's timestamps (days since 1899-12-30, time of day as the
// fraction) and Qt's dates. A log time carries no time zone, so QDateTime values here are
// plain wall-clock times (Qt::UTC is used only to keep Qt from applying daylight saving).

#include <QDate>
#include <QDateTime>

QDateTime TimestampToDateTime(double timestamp);
double DateTimeToTimestamp(const QDateTime& dateTime);
QDate TimestampDate(double timestamp);

// The date as a timestamp at 00:00:00.000 and at 23:59:59.999 of that day.
double StartOfDay(QDate date);
double EndOfDay(QDate date);
