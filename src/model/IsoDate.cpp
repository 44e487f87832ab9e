#include "model/IsoDate.h"

#include <QRegularExpression>

namespace mv {

QString isoDateText(const QDateTime& date)
{
    const qint64 ms = date.toMSecsSinceEpoch();
    const qint64 wholeSeconds = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    return QDateTime::fromSecsSinceEpoch(wholeSeconds, Qt::UTC).toString(Qt::ISODate);
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
    return QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
}

} // namespace mv
