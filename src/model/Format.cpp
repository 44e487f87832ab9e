#include "model/Format.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace mv::Format {

namespace {

// Rounds to whole units, keeping values that do not fit (or are not numbers) inside 0 … a bound that leaves
// room for the arithmetic below.
qint64 wholeNonNegative(double value)
{
    constexpr double largest = double(std::numeric_limits<qint64>::max() / 2);
    if (!(value > 0))
        return 0;
    return qint64(std::round(std::min(value, largest)));
}

QString number(qint64 value)
{
    return QString::number(value);
}

// A calendar-aware distance from `from` to `to` in the largest unit that is at least one.
struct Distance {
    enum Unit { second, minute, hour, day, week, month, year } unit;
    qint64 count; // signed: negative is in the past
};

Distance distance(const QDateTime& from, const QDateTime& to)
{
    const QDateTime start = from.toLocalTime();
    const QDateTime end = to.toLocalTime();
    const int sign = end < start ? -1 : 1;

    int months = (end.date().year() - start.date().year()) * 12 + end.date().month() - start.date().month();
    // Whole months only: step back when the last month is not complete yet.
    if (months * sign > 0 && (sign > 0 ? start.addMonths(months) > end : start.addMonths(months) < end))
        months -= sign;
    if (months / 12 != 0)
        return { Distance::year, months / 12 };
    if (months != 0)
        return { Distance::month, months };

    const qint64 seconds = start.secsTo(end);
    const qint64 magnitude = seconds < 0 ? -seconds : seconds;
    if (magnitude >= 7 * 86'400)
        return { Distance::week, seconds / (7 * 86'400) };
    if (magnitude >= 86'400)
        return { Distance::day, seconds / 86'400 };
    if (magnitude >= 3'600)
        return { Distance::hour, seconds / 3'600 };
    if (magnitude >= 60)
        return { Distance::minute, seconds / 60 };
    return { Distance::second, seconds };
}

QString unitText(Distance::Unit unit, qint64 count)
{
    switch (unit) {
    case Distance::second:
        return QStringLiteral("sec.");
    case Distance::minute:
        return QStringLiteral("min.");
    case Distance::hour:
        return QStringLiteral("hr.");
    case Distance::day:
        return count == 1 ? QStringLiteral("day") : QStringLiteral("days");
    case Distance::week:
        return QStringLiteral("wk.");
    case Distance::month:
        return QStringLiteral("mo.");
    case Distance::year:
        return QStringLiteral("yr.");
    }
    return {};
}

// Named forms for a distance of one day, week, month or year.
QString namedText(Distance::Unit unit, qint64 count)
{
    if (count != 1 && count != -1)
        return {};
    const bool past = count < 0;
    switch (unit) {
    case Distance::day:
        return past ? QStringLiteral("yesterday") : QStringLiteral("tomorrow");
    case Distance::week:
        return past ? QStringLiteral("last wk.") : QStringLiteral("next wk.");
    case Distance::month:
        return past ? QStringLiteral("last mo.") : QStringLiteral("next mo.");
    case Distance::year:
        return past ? QStringLiteral("last yr.") : QStringLiteral("next yr.");
    default:
        return {};
    }
}

// Rounds `value` to `decimals` places in the user's locale and drops trailing zeros ("1.50" reads "1.5").
QString decimal(double value, int decimals)
{
    const QLocale locale;
    QString text = locale.toString(value, 'f', decimals);
    if (decimals > 0) {
        const QString point = locale.decimalPoint();
        while (text.endsWith(locale.zeroDigit()))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

// A locale's medium date: its long date without the weekday, with abbreviated month names
// ("Dec 9, 2026" in English, "9. Dez. 2026" in German).
QString mediumDate(const QLocale& locale, QDate date)
{
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[^dMy']*"));
    pattern.remove(weekday);
    pattern.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, pattern.trimmed());
}

} // namespace

QString grouped(qint64 value)
{
    const QString text = QLocale().toString(value);
    return text.isEmpty() ? number(value) : text;
}

QString relative(const std::optional<QDateTime>& date, const QDateTime& now)
{
    if (!date || !date->isValid())
        return QStringLiteral("Never");
    const Distance d = distance(now, *date);
    if (d.unit == Distance::second && d.count == 0)
        return QStringLiteral("now");
    if (const QString named = namedText(d.unit, d.count); !named.isEmpty())
        return named;
    const qint64 magnitude = d.count < 0 ? -d.count : d.count;
    const QString amount = number(magnitude) + QLatin1Char(' ') + unitText(d.unit, magnitude);
    return d.count < 0 ? amount + QStringLiteral(" ago") : QStringLiteral("in ") + amount;
}

QString eta(std::optional<double> seconds)
{
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0)
        return QStringLiteral("Estimating time");
    const qint64 s = wholeNonNegative(*seconds);
    if (s <= 59)
        return number(std::max<qint64>(s, 1)) + QStringLiteral("s left");
    if (s <= 3'599)
        return number(s / 60) + QStringLiteral("m left");
    const qint64 hours = s / 3'600;
    const qint64 minutes = (s / 60) % 60;
    if (minutes == 0)
        return number(hours) + QStringLiteral("h left");
    return number(hours) + QStringLiteral("h ") + number(minutes) + QStringLiteral("m left");
}

QString duration(double seconds)
{
    const qint64 s = wholeNonNegative(seconds);
    if (s <= 59)
        return number(s) + QLatin1Char('s');
    if (s <= 3'599) {
        const qint64 rest = s % 60;
        if (rest == 0)
            return number(s / 60) + QLatin1Char('m');
        return number(s / 60) + QStringLiteral("m ") + number(rest) + QLatin1Char('s');
    }
    return number(s / 3'600) + QStringLiteral("h ") + number((s / 60) % 60) + QLatin1Char('m');
}

QString dayHeader(const QDateTime& date, const QDateTime& now)
{
    const QDate day = date.toLocalTime().date();
    const QDate today = now.toLocalTime().date();
    if (day == today)
        return QStringLiteral("Today");
    if (day == today.addDays(-1))
        return QStringLiteral("Yesterday");
    const QLocale locale;
    if (day.year() == today.year())
        return locale.toString(day, QStringLiteral("dddd d MMMM"));
    return locale.toString(day, QLocale::LongFormat);
}

QString percent(double fraction)
{
    if (!(fraction > 0))
        return QStringLiteral("0%");
    return number(qint64(std::round(std::min(fraction, 1.0) * 100))) + QLatin1Char('%');
}

QString bytes(qint64 count)
{
    if (count <= 0)
        return QStringLiteral("Zero bytes");
    if (count == 1)
        return QStringLiteral("1 byte");
    if (count < 1'000)
        return grouped(count) + QStringLiteral(" bytes");
    if (count < 1'000'000)
        return decimal(double(count) / 1e3, 0) + QStringLiteral(" KB");
    if (count < 1'000'000'000)
        return decimal(double(count) / 1e6, 1) + QStringLiteral(" MB");
    return decimal(double(count) / 1e9, 2) + QStringLiteral(" GB");
}

QString mediumDateTime(const QDateTime& date)
{
    const QLocale locale;
    const QDateTime local = date.toLocalTime();
    return mediumDate(locale, local.date()) + QLatin1Char(' ')
        + locale.toString(local.time(), QLocale::ShortFormat);
}

} // namespace mv::Format
