#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv::Format {

// The number with the user's grouping separators ("12,345").
QString grouped(qint64 value);

// How long ago or ahead `date` is from `now`, abbreviated ("5 min. ago", "yesterday", "in 3 days"), or
// "Never" when there is no date.
QString relative(
    const std::optional<QDateTime>& date, const QDateTime& now = QDateTime::currentDateTimeUtc());

// Time left: "40s left", "12m left", "2h left", "1h 5m left", or "Estimating time" when unknown.
QString eta(std::optional<double> seconds);

// Elapsed time: "59s", "1m 1s", "2h 0m".
QString duration(double seconds);

// A moment in the user's locale, its medium date and short time, in local time ("Dec 9, 2026 14:05").
QString mediumDateTime(const QDateTime& date);

// A heading for lists grouped by day: "Today", "Yesterday", "Wednesday 9 December" within the current year,
// the full date with its year otherwise.
QString dayHeader(const QDateTime& date, const QDateTime& now = QDateTime::currentDateTimeUtc());

// A whole percentage of a fraction, capped to 0 … 100: "42%".
QString percent(double fraction);

// A byte count in decimal units: "Zero bytes", "1 byte", "532 bytes", "12 KB", "4.5 MB", "1.25 GB". Below
// 1,000,000,000 bytes in bytes, KB or MB, from there in GB; negative counts read as zero.
QString bytes(qint64 count);

} // namespace mv::Format
