#pragma once

#include "model/BackupRunRecord.h"
#include "model/SqlStatement.h"

#include <QUuid>

#include <array>
#include <optional>

namespace mv::HistorySql {

// The statements of the run history file, each with its parameters in binding order. Rows are selected
// with all 19 columns in table order.

extern const char createTable[];
extern const std::array<const char*, 3> createIndexes;

SqlQuery begin(const BackupRunRecord& record);
SqlQuery finish(const BackupRunRecord& record);
SqlQuery fetch(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID);
SqlQuery stats();
SqlQuery deleteRun(const QUuid& id);
// The highest row number now in use: rows written later get higher ones while this row stays.
SqlQuery lastRowNumber();
SqlQuery hasRows();
// Up to `limit` of the rows numbered `lastRow` or lower, lowest first, so the row numbered `lastRow` goes
// last and no row written meanwhile can take a number at or below it.
SqlQuery clearBatch(qint64 lastRow, int limit);
// Up to `limit` of the rows numbered `lastRow` or lower that started before the cutoff.
SqlQuery deleteStartedBeforeBatch(double cutoffSeconds, qint64 lastRow, int limit);
SqlQuery markRunningInterrupted(double nowSeconds);

} // namespace mv::HistorySql
