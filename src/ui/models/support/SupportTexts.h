#pragma once

#include "ui/models/support/SupportReport.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace mv {

// One fact of the support page's diagnostics card; a warning is drawn in the danger colour.
struct DiagnosticsLine {
    QString label;
    QString value;
    bool warning = false;

    bool operator==(const DiagnosticsLine&) const = default;
};

// The diagnostics card's seven facts from `report`; the last backup is told relative to `now`.
QList<DiagnosticsLine> diagnosticsLines(const SupportReport& report, const QDateTime& now);

// The name a saved report is offered under: "Marrowvale-support-2026-03-03-0905.txt", in local time.
QString supportReportFileName(const QDateTime& now);

// What "Check rsync" says about the rsync of `report`.
QString rsyncCheckMessage(const SupportReport& report);

} // namespace mv
