#include "google/UploadRange.h"

#include <QStringList>

#include <limits>

namespace mv::UploadRange {

std::optional<qint64> rangeEnd(const std::optional<QString>& header)
{
    if (!header)
        return std::nullopt;
    QString text = *header;
    text.remove(QStringLiteral("bytes=")).remove(QStringLiteral("bytes "));
    const QStringList pieces = text.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (pieces.size() != 2)
        return std::nullopt;
    QString end = pieces[1].trimmed();
    if (end.startsWith(QLatin1Char('+')))
        end.remove(0, 1);
    bool ok = false;
    const qint64 value = end.toLongLong(&ok, 10);
    // A sign left after the "+" is gone would be a second one; the largest value has no next offset.
    if (!ok || end.startsWith(QLatin1Char('+')) || value == std::numeric_limits<qint64>::max())
        return std::nullopt;
    return value + 1;
}

} // namespace mv::UploadRange
