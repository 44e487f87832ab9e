#include "model/HistoryCsv.h"

#include "model/IsoDate.h"

#include <charconv>
#include <chrono>

namespace mv::HistoryCsv {

namespace {

// A field holding a separator, a quote or either line break is quoted: a bare carriage return would split
// the row in most spreadsheet programs just as a line feed does.
void appendField(QString& out, QStringView field)
{
    const bool needsQuotes
        = field.contains(u',') || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r');
    if (!needsQuotes) {
        out += field;
        return;
    }
    out += u'"';
    for (const QChar c : field) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

void appendNumber(QString& out, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out += QLatin1StringView(digits, end - digits);
}

void appendTwoDigits(char* at, unsigned value)
{
    at[0] = char('0' + value / 10);
    at[1] = char('0' + value % 10);
}

// The export writes two dates a row, and QDateTime's formatter would take most of its time: this writes
// the same text as isoDateText (whole seconds, rounded down), which still handles years beyond 1 to 9999.
void appendDate(QString& out, const QDateTime& date)
{
    using namespace std::chrono;
    const sys_seconds seconds
        = floor<std::chrono::seconds>(sys_time<milliseconds>(milliseconds(date.toMSecsSinceEpoch())));
    const sys_days day = floor<days>(seconds);
    const year_month_day ymd(day);
    const int year = int(ymd.year());
    if (year < 1 || year > 9999) {
        out += isoDateText(date);
        return;
    }
    const hh_mm_ss time(seconds - day);
    char text[] = "0000-00-00T00:00:00Z";
    appendTwoDigits(text, unsigned(year) / 100);
    appendTwoDigits(text + 2, unsigned(year) % 100);
    appendTwoDigits(text + 5, unsigned(ymd.month()));
    appendTwoDigits(text + 8, unsigned(ymd.day()));
    appendTwoDigits(text + 11, unsigned(time.hours().count()));
    appendTwoDigits(text + 14, unsigned(time.minutes().count()));
    appendTwoDigits(text + 17, unsigned(time.seconds().count()));
    out += QLatin1StringView(text, sizeof text - 1);
}

} // namespace

QString format(const std::vector<BackupRunRecord>& records)
{
    QString out = QStringLiteral(
        "job,source,destination,result,started,ended,bytes,files_copied,files_updated,files_deleted,error");
    out.reserve(out.size() + qsizetype(records.size()) * 256);
    for (const BackupRunRecord& r : records) {
        out += u'\n';
        appendField(out, r.jobName);
        out += u',';
        appendField(out, r.sourcePath);
        out += u',';
        appendField(out, r.destinationPath);
        out += u',';
        out += toString(r.result);
        out += u',';
        appendDate(out, r.startedAt);
        out += u',';
        if (r.endedAt)
            appendDate(out, *r.endedAt);
        for (const qint64 count : { r.bytesTransferred, r.filesCopied, r.filesUpdated, r.filesDeleted }) {
            out += u',';
            appendNumber(out, count);
        }
        out += u',';
        appendField(out, r.errorSummary.value_or(QString()));
    }
    return out;
}

} // namespace mv::HistoryCsv
