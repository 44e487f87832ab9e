#pragma once

#include "model/Enumerations.h"
#include "model/TransferOptions.h"

#include <QList>
#include <QString>

#include <optional>

namespace mv {

// The job editor's small derived texts and choices, shared by its sections.

// "Incremental copy", "Mirror", "Versioned": the mode rows' titles.
QString modeRowTitle(BackupMode mode);
QString modeDescription(BackupMode mode);

// A checkbox's title in the exclusions grid.
QString exclusionTitle(BuiltInExclusion exclusion);
// The exclusions header's count: the checked groups and the custom patterns.
qint64 exclusionCount(const TransferOptions& options);

// One entry of the bandwidth picker; 0 stands for no limit.
struct BandwidthChoice {
    QString label;
    qint64 kiloBytesPerSecond = 0;
};
const QList<BandwidthChoice>& bandwidthChoices();
// The entry that shows `limit` (none shows as "Off"); none when the stored limit is not one of them.
std::optional<int> bandwidthChoiceIndex(std::optional<qint64> limit);

// A frequency picker entry: "Manual only", "Every 15 minutes", … "When destination is available".
QString scheduleKindTitle(ScheduleKind kind);

// The source card's size line: "Measuring…" while measuring, else the size, else "Size not available";
// either of the last two ends with " · external volume" for a source on one.
QString sourceSizeLine(bool loading, std::optional<qint64> size, bool external);

} // namespace mv
