#include "engine/RsyncOutputParser.h"

#include "model/Redactor.h"

#include <QFile>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <limits>

namespace mv {

namespace {

const QRegularExpression& progressRegex()
{
    static const QRegularExpression expression(QStringLiteral(
        R"(^\s*([\d.,]+)\s*([kKmMgGtTpP]?)B?\s+(\d{1,3})%\s+([\d.]+)\s*([kKmMgGtTpP]?)B/s\s+(\d+:\d{2}(?::\d{2})?)\s*(?:\(xfr#(\d+),\s*to-chk=(-?\d+)/(\d+)\))?)"));
    return expression;
}

// Figures too large for 64 bits are held at the limit; what is not a number counts as 0.
qint64 truncatedToInt64(double value)
{
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

double numberOrZero(QStringView text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0;
}

std::optional<qint64> wholeNumber(QStringView text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString withoutCommas(QStringView text)
{
    QString result = text.toString();
    result.remove(u',');
    return result;
}

// The value text after a statistics key: trimmed, cut at the first blank, commas removed.
QString valueAfter(QStringView line, qsizetype keyLength)
{
    QStringView value = line.sliced(keyLength).trimmed();
    const qsizetype blank = value.indexOf(u' ');
    if (blank >= 0)
        value = value.first(blank);
    return withoutCommas(value);
}

// A figure such as 812, 1,234,567 or 1.23M: a decimal number with at most one point, optionally followed
// directly by one unit letter.
std::optional<qint64> figure(QStringView text)
{
    QString digits = withoutCommas(text);
    QString unit;
    if (!digits.isEmpty() && QStringLiteral("KMGTPkmgtp").contains(digits.back())) {
        unit = digits.back();
        digits.chop(1);
    }
    if (digits.isEmpty() || digits.count(u'.') > 1 || digits == u"."
        || !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c.isDigit() || c == u'.'; }))
        return std::nullopt;
    return truncatedToInt64(numberOrZero(digits) * RsyncOutputParser::multiplier(unit));
}

struct CountKey {
    QStringView key;
    qint64 RsyncStats::*field;
};

const std::array<CountKey, 4> countKeys { {
    { u"Number of regular files transferred:", &RsyncStats::filesTransferred },
    { u"Number of created files:", &RsyncStats::filesCreated },
    { u"Number of deleted files:", &RsyncStats::filesDeleted },
    { u"Number of files:", &RsyncStats::totalFiles },
} };

} // namespace

double RsyncOutputParser::multiplier(QStringView unit)
{
    const QString upper = unit.toString().toUpper();
    if (upper == u"K")
        return 1e3;
    if (upper == u"M")
        return 1e6;
    if (upper == u"G")
        return 1e9;
    if (upper == u"T")
        return 1e12;
    if (upper == u"P")
        return 1e15;
    return 1;
}

std::optional<double> RsyncOutputParser::seconds(QStringView text)
{
    QList<double> numbers;
    for (QStringView piece : text.split(u':', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double value = piece.toDouble(&ok);
        if (ok)
            numbers.append(value);
    }
    switch (numbers.size()) {
    case 0:
        return std::nullopt;
    case 2:
        return numbers[0] * 60 + numbers[1];
    case 3:
        return numbers[0] * 3600 + numbers[1] * 60 + numbers[2];
    default:
        return numbers[0];
    }
}

QString RsyncOutputParser::decodedName(QStringView reported)
{
    if (!reported.contains(u"\\#"))
        return reported.toString();
    const QByteArray bytes = reported.toUtf8();
    const auto isDigitIn = [&](qsizetype at, char last) { return bytes[at] >= '0' && bytes[at] <= last; };
    QByteArray name;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 4 < bytes.size() && bytes[i + 1] == '#' && isDigitIn(i + 2, '3')
            && isDigitIn(i + 3, '7') && isDigitIn(i + 4, '7')) {
            name.append(
                char(((bytes[i + 2] - '0') << 6) | ((bytes[i + 3] - '0') << 3) | (bytes[i + 4] - '0')));
            i += 4;
        } else {
            name.append(bytes[i]);
        }
    }
    return QFile::decodeName(name);
}

std::optional<RsyncEvent> RsyncOutputParser::consume(const QString& rawLine)
{
    const QString line = rawLine.trimmed();
    if (line.isEmpty())
        return std::nullopt;
    // Names keep their blanks at either end: only what comes before the line's marker is dropped.
    const QStringView untrimmed = QStringView(rawLine).sliced(rawLine.indexOf(line.front()));

    if (line.startsWith(u"XFER "))
        return RsyncEvent { .transferredName = decodedName(untrimmed.sliced(5)) };
    if (auto event = progress(line))
        return event;
    if (auto event = deletion(untrimmed))
        return event;
    if (auto event = statisticsCount(line))
        return event;
    if (auto event = statisticsFigure(line, u"Total transferred file size:", &RsyncStats::transferredBytes))
        return event;
    if (auto event = statisticsFigure(line, u"Total bytes sent:", &RsyncStats::bytesSent))
        return event;

    const bool isError
        = line.startsWith(u"rsync:") || line.startsWith(u"rsync error:") || line.startsWith(u"ssh:");
    if (isError || line.startsWith(u"WARNING:") || line.contains(u"warning:")) {
        const QString message = Redactor::redact(line);
        QStringList& kept = isError ? m_errors : m_warnings;
        if (kept.size() < keptLineLimit)
            kept.append(message);
        return RsyncEvent { .message = message, .isError = isError };
    }
    return std::nullopt;
}

std::optional<RsyncEvent> RsyncOutputParser::progress(const QString& line)
{
    const QRegularExpressionMatch match = progressRegex().match(line);
    if (!match.hasMatch())
        return std::nullopt;
    RsyncSample sample;
    sample.bytesTransferred = truncatedToInt64(
        numberOrZero(withoutCommas(match.capturedView(1))) * multiplier(match.capturedView(2)));
    const double percent = numberOrZero(match.capturedView(3));
    sample.percent = percent <= 0 ? 0 : std::min(percent, 100.0) / 100;
    sample.bytesPerSecond = numberOrZero(match.capturedView(4)) * multiplier(match.capturedView(5));
    sample.etaSeconds = seconds(match.capturedView(6));
    sample.transferIndex = wholeNumber(match.capturedView(7));
    sample.remaining = wholeNumber(match.capturedView(8));
    sample.total = wholeNumber(match.capturedView(9));
    m_stats.transferredBytes = sample.bytesTransferred;
    return RsyncEvent { .sample = sample };
}

std::optional<RsyncEvent> RsyncOutputParser::deletion(QStringView untrimmed)
{
    // Both markers are 9 characters long: "*deleting" (itemized, padded to its column) and "deleting "
    // (plain, followed by the name itself).
    const bool itemized = untrimmed.startsWith(u"*deleting");
    if (!itemized && !untrimmed.startsWith(u"deleting "))
        return std::nullopt;
    QStringView name = untrimmed.sliced(9);
    if (name.trimmed().isEmpty())
        return std::nullopt;
    if (itemized)
        name = name.sliced(name.indexOf(name.trimmed().front()));
    ++m_stats.filesDeleted;
    return RsyncEvent { .deletion = decodedName(name), .stats = m_stats };
}

std::optional<RsyncEvent> RsyncOutputParser::statisticsCount(QStringView line)
{
    for (const CountKey& key : countKeys) {
        if (!line.startsWith(key.key))
            continue;
        const std::optional<qint64> value = wholeNumber(valueAfter(line, key.key.size()));
        if (!value)
            continue;
        m_stats.*key.field = *value;
        m_sawStatistics = true;
        m_stats.filesUpdated = std::max<qint64>(0, m_stats.filesTransferred - m_stats.filesCreated);
        return statisticsEvent();
    }
    return std::nullopt;
}

std::optional<RsyncEvent> RsyncOutputParser::statisticsFigure(
    QStringView line, QStringView key, qint64 RsyncStats::*field)
{
    if (!line.startsWith(key))
        return std::nullopt;
    const std::optional<qint64> value = figure(valueAfter(line, key.size()));
    if (!value)
        return std::nullopt;
    m_stats.*field = *value;
    return statisticsEvent();
}

RsyncEvent RsyncOutputParser::statisticsEvent() const
{
    return RsyncEvent { .stats = m_stats };
}

} // namespace mv
