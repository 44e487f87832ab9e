#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace mv {

// Dates as stored files write them: ISO 8601 in UTC with whole seconds and "Z" (2026-12-09T08:21:00Z), in
// the years 1 to 9999 (a date beyond them is written as the nearest end).
QString isoDateText(const QDateTime& date);
// The same text appended to `out`, for writers of many dates at once.
void appendIsoDate(QString& out, const QDateTime& date);

// Reads the stored form, and also fractional seconds and numeric offsets ("+01:00", "-0500") so a
// hand-edited file still reads. Needs a full date, a time with seconds and a zone; answers UTC, and none for
// a date that falls outside the years 1 to 9999 in UTC.
std::optional<QDateTime> parseIsoDate(QStringView text);

} // namespace mv
