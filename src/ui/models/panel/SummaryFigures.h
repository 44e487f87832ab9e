#pragma once

#include "ui/models/shared/StatusBoard.h"

#include <QDateTime>
#include <QString>

namespace mv {

// The three figures of the panel's summary strip: when the last backup succeeded, how many jobs there are
// and how many bytes all runs have moved.
struct SummaryFigures {
    QString lastBackup;
    QString jobs;
    QString transferred;

    static SummaryFigures of(const StatusBoard::Summary& summary, qsizetype jobCount, const QDateTime& now);

    bool operator==(const SummaryFigures&) const = default;
};

} // namespace mv
