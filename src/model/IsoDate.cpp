#include "model/IsoDate.h"

#include <QRegularExpression>

#include <algorithm>
#include <chrono>

namespace mv {

namespace {

void writeTwoDigits(char* at, unsigned value)
{
    at[0] = char('0' + value / 10);
    at[1] = char('0' + value % 10);
}

} // namespace

QString isoDateText(const QDateTime& date)
{
    QString text;
    appendIsoDate(text, date);
    return text;
}

// Exports and documents write many dates, and QDateTime's formatter would take most of their time: the
// digits are written directly. A date outside the years 1 to 9999 has no such text, and is written as the
// nearest end of that range, so everything written reads back.
void appendIsoDate(QString& out, const QDateTime& date)
{
    using namespace std::chrono;
    const sys_seconds seconds = std::clamp(
        floor<std::chrono::seconds>(sys_time<milliseconds>(milliseconds(date.toMSecsSinceEpoch()))),
        sys_seconds(sys_days(year(1) / January / 1)),
        sys_seconds(sys_days(year(9999) / December / 31)) + hours(23) + minutes(59)
            + std::chrono::seconds(59));
    const sys_days day = floor<days>(seconds);
    const year_month_day ymd(day);
    const hh_mm_ss time(seconds - day);
    char text[] = "0000-00-00T00:00:00Z";
    writeTwoDigits(text, unsigned(int(ymd.year())) / 100);
    writeTwoDigits(text + 2, unsigned(int(ymd.year())) % 100);
    writeTwoDigits(text + 5, unsigned(ymd.month()));
    writeTwoDigits(text + 8, unsigned(ymd.day()));
    writeTwoDigits(text + 11, unsigned(time.hours().count()));
    writeTwoDigits(text + 14, unsigned(time.minutes().count()));
    writeTwoDigits(text + 17, unsigned(time.seconds().count()));
    out += QLatin1StringView(text, sizeof text - 1);
}

std::optional<QDateTime> parseIsoDate(QStringView text)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:[.,](\d+))?(?:(Z)|([+-])(\d{2})(?::?(\d{2}))?)$)"));
    const QRegularExpressionMatch match = form.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&](int group) { return match.capturedView(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const int milliseconds
        = match.capturedView(7).left(3).toString().leftJustified(3, QLatin1Char('0')).toInt();
    const QTime time(number(4), number(5), number(6), milliseconds);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    if (!match.capturedView(9).isEmpty()) {
        const int hours = number(10);
        const int minutes = match.capturedView(11).isEmpty() ? 0 : number(11);
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 3600 + minutes * 60) * (match.capturedView(9) == u'-' ? -1 : 1);
    }
    // An offset may move a date at either end of the years 1 to 9999 out of them, where no text could
    // write it back.
    const QDateTime utc = QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
    if (utc.date().year() < 1 || utc.date().year() > 9999)
        return std::nullopt;
    return utc;
}

} // namespace mv
