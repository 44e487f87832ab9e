#include "model/BackupSchedule.h"

#include <algorithm>

namespace mv {

namespace {

constexpr qint64 secondsPerMinute = 60;
constexpr qint64 secondsPerHour = 3600;
constexpr qint64 secondsPerDay = 86400;
constexpr qint64 secondsPerWeek = 7 * secondsPerDay;

// Wall-clock times are seconds since 1970-01-01 00:00 read on the zone's clock. The range is that of years
// 1 to 9999; beyond it the calendar gives no date and the caller's fallback applies.
constexpr qint64 firstWallSecond = -62135596800;
constexpr qint64 lastWallSecond = 253402300799;

qint64 floorDiv(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

class ZoneClock {
public:
    explicit ZoneClock(const QTimeZone& zone)
        : m_zone(zone)
    {
    }

    qint64 wallSeconds(const QDateTime& instant) const
    {
        return instant.toSecsSinceEpoch() + m_zone.offsetFromUtc(instant);
    }

    // The instant the wall clock shows `wall`. In the hour that repeats when clocks go back this is its first
    // occurrence; in the hour skipped when they go forward the time moves on by the length of the gap.
    std::optional<QDateTime> instant(qint64 wall) const
    {
        if (wall < firstWallSecond || wall > lastWallSecond)
            return std::nullopt;
        const int offsetBefore = offsetAt(wall - secondsPerDay);
        const int offsetAfter = offsetAt(wall + secondsPerDay);
        std::optional<qint64> first;
        for (const int offset : { offsetBefore, offsetAfter }) {
            const qint64 candidate = wall - offset;
            if (offsetAt(candidate) == offset && (!first || candidate < *first))
                first = candidate;
        }
        return utc(first.value_or(wall - offsetBefore));
    }

    // `wall` moved by whole days, keeping the time of day.
    std::optional<QDateTime> instantDaysLater(qint64 wall, qint64 days) const
    {
        qint64 shift = 0;
        qint64 moved = 0;
        if (__builtin_mul_overflow(days, secondsPerDay, &shift)
            || __builtin_add_overflow(wall, shift, &moved))
            return std::nullopt;
        return instant(moved);
    }

    // The calendar's weekday, 1 = Sunday ... 7 = Saturday (Qt counts 1 = Monday ... 7 = Sunday).
    static qint64 weekday(qint64 wall)
    {
        const QDate date = QDate(1970, 1, 1).addDays(floorDiv(wall, secondsPerDay));
        return date.dayOfWeek() % 7 + 1;
    }

    static QDateTime utc(qint64 seconds) { return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC); }

private:
    int offsetAt(qint64 utcSeconds) const { return m_zone.offsetFromUtc(utc(utcSeconds)); }

    QTimeZone m_zone;
};

// Seconds from the start of a day to hour:minute, as stored (not clamped: 25:00 is 01:00 the next day).
std::optional<qint64> timeOfDay(qint64 hour, qint64 minute)
{
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 sum = 0;
    if (__builtin_mul_overflow(hour, secondsPerHour, &hours)
        || __builtin_mul_overflow(minute, secondsPerMinute, &minutes)
        || __builtin_add_overflow(hours, minutes, &sum))
        return std::nullopt;
    return sum;
}

std::optional<qint64> add(qint64 a, std::optional<qint64> b)
{
    qint64 sum = 0;
    if (!b || __builtin_add_overflow(a, *b, &sum))
        return std::nullopt;
    return sum;
}

struct Timed {
    QDateTime result;
    qint64 intervalSeconds;
};

Timed quarterHour(const QDateTime& after, const ZoneClock& clock)
{
    const qint64 wall = clock.wallSeconds(after);
    const qint64 hourStart = floorDiv(wall, secondsPerHour) * secondsPerHour;
    const qint64 minute = (wall - hourStart) / secondsPerMinute;
    const qint64 next = (minute / 15 + 1) * 15;
    const QDateTime base = clock.instant(hourStart).value_or(after);
    return { base.addSecs(next < 59 ? next * secondsPerMinute : secondsPerHour), 15 * secondsPerMinute };
}

Timed topOfHour(const QDateTime& after, const ZoneClock& clock)
{
    const qint64 hourStart = floorDiv(clock.wallSeconds(after), secondsPerHour) * secondsPerHour;
    return { clock.instant(hourStart).value_or(after).addSecs(secondsPerHour), secondsPerHour };
}

// The next day is counted from the stored time of day, not from a candidate that the hour skipped when
// clocks go forward moved on: the day after that night runs at its own time again, not an hour late.
Timed dailyTime(const QDateTime& after, const ZoneClock& clock, qint64 hour, qint64 minute)
{
    const qint64 dayStart = floorDiv(clock.wallSeconds(after), secondsPerDay) * secondsPerDay;
    const std::optional<qint64> wall = add(dayStart, timeOfDay(hour, minute));
    const std::optional<QDateTime> found = wall ? clock.instant(*wall) : std::nullopt;
    const QDateTime candidate = found.value_or(after);
    if (candidate > after)
        return { candidate, secondsPerDay };
    const std::optional<QDateTime> nextDay = found ? clock.instantDaysLater(*wall, 1) : std::nullopt;
    return { nextDay.value_or(candidate.addSecs(secondsPerDay)), secondsPerDay };
}

// As for daily runs, the following week is counted from the stored time of day.
Timed weeklyTime(const QDateTime& after, const ZoneClock& clock, qint64 weekday, qint64 hour, qint64 minute)
{
    const qint64 dayStart = floorDiv(clock.wallSeconds(after), secondsPerDay) * secondsPerDay;
    const std::optional<qint64> baseWall = add(dayStart, timeOfDay(hour, minute));
    const std::optional<QDateTime> base = baseWall ? clock.instant(*baseWall) : std::nullopt;
    if (!base)
        return { after.addSecs(secondsPerDay), secondsPerWeek };
    qint64 ahead = 0;
    if (__builtin_sub_overflow(weekday, ZoneClock::weekday(dayStart), &ahead))
        ahead = 0;
    if (ahead < 0)
        ahead += 7;
    const std::optional<QDateTime> found = clock.instantDaysLater(*baseWall, ahead);
    const QDateTime candidate = found.value_or(*base);
    if (candidate > after)
        return { candidate, secondsPerWeek };
    const std::optional<QDateTime> nextWeek
        = found ? clock.instantDaysLater(*baseWall, ahead + 7) : clock.instantDaysLater(*baseWall, 7);
    return { nextWeek.value_or(candidate.addSecs(secondsPerWeek)), secondsPerWeek };
}

} // namespace

std::optional<QDateTime> BackupSchedule::nextRun(const QDateTime& after, const QTimeZone& timeZone) const
{
    if (!after.isValid())
        return std::nullopt;
    const QDateTime start = after.toUTC();
    const ZoneClock clock(timeZone);
    Timed timed;
    switch (kind) {
    case ScheduleKind::manual:
    case ScheduleKind::onMount:
        return std::nullopt;
    case ScheduleKind::custom: {
        qint64 seconds = 0;
        // An interval beyond the range of dates has no next run.
        if (__builtin_mul_overflow(std::max<qint64>(customMinutes, 1), secondsPerMinute, &seconds)
            || seconds > (lastWallSecond - firstWallSecond))
            return std::nullopt;
        return start.addSecs(seconds);
    }
    case ScheduleKind::everyFifteenMinutes:
        timed = quarterHour(start, clock);
        break;
    case ScheduleKind::hourly:
        timed = topOfHour(start, clock);
        break;
    case ScheduleKind::daily:
        timed = dailyTime(start, clock, hour, minute);
        break;
    case ScheduleKind::weekly:
        timed = weeklyTime(start, clock, weekday, hour, minute);
        break;
    }
    // In the hour that repeats when clocks go back, the time found can lie before `after`; a scheduler would
    // then fire on every tick. Step on by the kind's interval until the run is strictly later.
    if (timed.result <= start) {
        const qint64 intervalMs = timed.intervalSeconds * 1000;
        const qint64 steps = timed.result.msecsTo(start) / intervalMs + 1;
        timed.result = timed.result.addMSecs(steps * intervalMs);
    }
    return timed.result.toUTC();
}

QString BackupSchedule::summary() const
{
    const QString time
        = QString::asprintf("%02lld:%02lld", static_cast<long long>(hour), static_cast<long long>(minute));
    switch (kind) {
    case ScheduleKind::manual:
        return QStringLiteral("Manual");
    case ScheduleKind::everyFifteenMinutes:
        return QStringLiteral("Every 15 min");
    case ScheduleKind::hourly:
        return QStringLiteral("Hourly");
    case ScheduleKind::daily:
        return QStringLiteral("Daily at ") + time;
    case ScheduleKind::weekly:
        return weekdayName(weekday) + QStringLiteral(" at ") + time;
    case ScheduleKind::custom:
        return QStringLiteral("Every %1 min").arg(customMinutes);
    case ScheduleKind::onMount:
        return QStringLiteral("When destination appears");
    }
    return {};
}

QString BackupSchedule::weekdayName(qint64 weekday)
{
    static const char* const names[]
        = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
    return QString::fromLatin1(names[std::clamp<qint64>(weekday, 1, 7) - 1]);
}

} // namespace mv
