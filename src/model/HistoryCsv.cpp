#include "model/HistoryCsv.h"

#include "model/IsoDate.h"

namespace mv::HistoryCsv {

namespace {

// A field holding a separator, a quote or either line break is quoted: a bare carriage return would split
// the row in most spreadsheet programs just as a line feed does.
void appendField(QString& out, const QString& field)
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

} // namespace

QString format(const std::vector<BackupRunRecord>& records)
{
    QString out = QStringLiteral(
        "job,source,destination,result,started,ended,bytes,files_copied,files_updated,files_deleted,error");
    for (const BackupRunRecord& r : records) {
        const QString fields[] = {
            r.jobName,
            r.sourcePath,
            r.destinationPath,
            toString(r.result),
            isoDateText(r.startedAt),
            r.endedAt ? isoDateText(*r.endedAt) : QString(),
            QString::number(r.bytesTransferred),
            QString::number(r.filesCopied),
            QString::number(r.filesUpdated),
            QString::number(r.filesDeleted),
            r.errorSummary.value_or(QString()),
        };
        out += u'\n';
        for (const QString& field : fields) {
            if (&field != fields)
                out += u',';
            appendField(out, field);
        }
    }
    return out;
}

} // namespace mv::HistoryCsv
