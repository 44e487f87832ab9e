#include "engine/RsyncOutputParser.h"

#include "engine/RsyncEscape.h"
#include "model/Redactor.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <charconv>
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

// Counts come from text a child printed, so sums and differences of them are held at the limits instead of
// overflowing.
qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

qint64 saturatingSubtract(qint64 a, qint64 b)
{
    qint64 difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference))
        return difference;
    return b < 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A decimal number with digit-group commas, such as 1,234.5, read without copying the line; 0 when the
// text is not one (more than one point, or no digit at all).
double groupedNumber(QStringView text)
{
    char digits[64];
    qsizetype length = 0;
    for (const QChar c : text) {
        if (c == u',')
            continue;
        if ((!isAsciiDigit(c) && c != u'.') || length == qsizetype(sizeof digits))
            return 0;
        digits[length++] = char(c.unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits, digits + length, value, std::chars_format::fixed);
    return error == std::errc() && end == digits + length ? value : 0;
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

// Whether a trimmed line may be a progress line, judged without parsing it: those begin with the byte count.
// Warnings are never taken for one, whatever they begin with.
bool mayBeProgress(QStringView line)
{
    return !line.isEmpty() && (isAsciiDigit(line.front()) || line.front() == u'.' || line.front() == u',')
        && line.contains(u'%') && !line.contains(u"warning:");
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
    if (unit.size() != 1)
        return 1;
    switch (unit.front().unicode()) {
    case u'K':
    case u'k':
        return 1e3;
    case u'M':
    case u'm':
        return 1e6;
    case u'G':
    case u'g':
        return 1e9;
    case u'T':
    case u't':
        return 1e12;
    case u'P':
    case u'p':
        return 1e15;
    default:
        return 1;
    }
}

std::optional<double> RsyncOutputParser::seconds(QStringView text)
{
    std::array<double, 3> numbers {};
    qsizetype count = 0;
    for (const QStringView piece : text.tokenize(u':', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double value = piece.toDouble(&ok);
        if (!ok)
            continue;
        if (count < qsizetype(numbers.size()))
            numbers[count] = value;
        ++count;
    }
    switch (count) {
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

std::optional<RsyncEvent> RsyncOutputParser::consume(const QString& line)
{
    return consume(QStringView(line));
}

std::optional<RsyncEvent> RsyncOutputParser::consume(QStringView rawLine)
{
    const QStringView line = rawLine.trimmed();
    if (line.isEmpty())
        return std::nullopt;
    // Names keep their blanks at either end: only what comes before the line's marker is dropped.
    const QStringView untrimmed = rawLine.sliced(line.data() - rawLine.data());

    if (line.startsWith(u"XFER "))
        return RsyncEvent { .transferredName = RsyncEscape::decoded(untrimmed.sliced(5)) };
    if (mayBeProgress(line)) {
        if (auto event = progress(line))
            return event;
    }
    if (auto event = deletion(untrimmed))
        return event;
    if (auto event = statisticsCount(line))
        return event;
    if (auto event = statisticsFigure(line, u"Total transferred file size:", &RsyncStats::transferredBytes))
        return event;
    if (auto event = statisticsFigure(line, u"Total bytes sent:", &RsyncStats::bytesSent))
        return event;

    const bool isError = line.startsWith(u"rsync:") || line.startsWith(u"rsync error:") || isSSHReason(line);
    if (isError || line.startsWith(u"WARNING:") || line.contains(u"warning:")) {
        const QString message = Redactor::redact(line.toString());
        QStringList& kept = isError ? m_errors : m_warnings;
        if (kept.size() < keptLineLimit)
            kept.append(message);
        return RsyncEvent { .message = message, .isError = isError };
    }
    return std::nullopt;
}

QList<RsyncEvent> RsyncOutputParser::consumeLines(const QStringList& lines)
{
    // The last line that parses as progress; the ones before it are replaced by it and need no parsing.
    qsizetype lastProgress = -1;
    std::optional<RsyncEvent> lastSample;
    for (qsizetype i = lines.size() - 1; i >= 0 && !lastSample; --i) {
        const QStringView line = QStringView(lines[i]).trimmed();
        if (mayBeProgress(line) && (lastSample = progress(line)))
            lastProgress = i;
    }
    QList<RsyncEvent> events;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == lastProgress) {
            events.append(*lastSample);
            continue;
        }
        if (i < lastProgress && mayBeProgress(QStringView(lines[i]).trimmed()))
            continue;
        if (std::optional<RsyncEvent> event = consume(QStringView(lines[i])))
            events.append(std::move(*event));
    }
    return events;
}

bool RsyncOutputParser::isSSHReason(QStringView line)
{
    static constexpr std::array<QStringView, 6> starts { u"ssh:", u"Timeout, server ",
        u"Connection closed by ", u"Connection reset by ", u"Connection to ",
        u"kex_exchange_identification:" };
    return std::any_of(
        starts.begin(), starts.end(), [&](QStringView start) { return line.startsWith(start); });
}

std::optional<RsyncEvent> RsyncOutputParser::progress(QStringView line)
{
    const QRegularExpressionMatch match = progressRegex().match(line);
    if (!match.hasMatch())
        return std::nullopt;
    RsyncSample sample;
    sample.bytesTransferred
        = truncatedToInt64(groupedNumber(match.capturedView(1)) * multiplier(match.capturedView(2)));
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
    m_stats.filesDeleted = saturatingAdd(m_stats.filesDeleted, 1);
    return RsyncEvent { .deletion = RsyncEscape::decoded(name), .stats = m_stats };
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
        m_stats.filesUpdated
            = std::max<qint64>(0, saturatingSubtract(m_stats.filesTransferred, m_stats.filesCreated));
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
