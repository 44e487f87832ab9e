#include "model/HistoryCsv.h"

#include "model/IsoDate.h"

#include <charconv>

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
        appendIsoDate(out, r.startedAt);
        out += u',';
        if (r.endedAt)
            appendIsoDate(out, *r.endedAt);
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
