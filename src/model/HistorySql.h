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
extern const char clear[];
SqlQuery deleteStartedBefore(double cutoffSeconds);
SqlQuery markRunningInterrupted(double nowSeconds);

} // namespace mv::HistorySql
