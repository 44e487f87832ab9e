#pragma once

#include "model/Enumerations.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace mv {

// When a job, or a destination with a schedule of its own, runs by itself. Every field is kept and compared
// whatever the kind, so switching kinds in an editor loses nothing.
struct BackupSchedule {
    ScheduleKind kind = ScheduleKind::manual;
    qint64 hour = 2; // daily, weekly; 24-hour clock
    qint64 minute = 0; // daily, weekly
    qint64 weekday = 2; // weekly; 1 = Sunday ... 7 = Saturday
    qint64 customMinutes = 60; // custom

    // The first run strictly after `after`, reckoned on the wall clock of `timeZone` (Gregorian calendar);
    // none for manual and onMount schedules. The result is in UTC.
    std::optional<QDateTime> nextRun(const QDateTime& after, const QTimeZone& timeZone) const;

    // One short line for rows and editors, e.g. "Daily at 02:00" or "Monday at 07:05".
    QString summary() const;

    // The English name of a weekday number, clamped into 1...7 first (1 = "Sunday").
    static QString weekdayName(qint64 weekday);

    bool operator==(const BackupSchedule&) const = default;
};

} // namespace mv
