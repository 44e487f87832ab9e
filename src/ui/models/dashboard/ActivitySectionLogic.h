#pragma once

#include "model/BackupRunRecord.h"
#include "model/PaletteRole.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

namespace mv::ActivitySectionLogic {

// The most runs one load lists and sums; older matches are reached by narrowing the search.
inline constexpr int recordLimit = 500;

// One choice of the result picker: its text and the result it keeps (none: all).
struct ResultChoice {
    QString title;
    std::optional<RunResult> result;
};
// "All results", "Copied", "Failed", "Cancelled", "Missed", "Interrupted": running and skipped runs are
// shown only under all results.
const QList<ResultChoice>& resultChoices();

// The figures of the summary bar over the loaded runs.
struct Summary {
    qint64 runs = 0;
    qint64 copied = 0;
    qint64 failed = 0;
    QString transferred;
    PaletteRole failedColor = PaletteRole::labelSecondary;

    bool operator==(const Summary&) const = default;
};
Summary summary(const std::vector<BackupRunRecord>& records);
// "History kept for 30 days", the setting as stored.
QString historyKeptText(qint64 days);
// The empty list's message, chosen by the raw search text alone.
QString emptyMessage(const QString& query);
// After a load: the selected run when it is still loaded, else the newest loaded run, else none.
std::optional<QUuid> selectionAfterLoad(
    const std::vector<BackupRunRecord>& records, const std::optional<QUuid>& selected);

} // namespace mv::ActivitySectionLogic
