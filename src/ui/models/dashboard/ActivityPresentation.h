#pragma once

#include "model/BackupRunRecord.h"
#include "model/PaletteRole.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mv::ActivityPresentation {

// "Running", "Copied", "Failed", "Cancelled", "Interrupted", "Missed", "Skipped"; the colour is the one of
// ActivityRowPresentation::resultColor.
QString resultLabel(RunResult result);
// "Manual", "Schedule", "Destination available", "Retry", "Restore".
QString triggerLabel(RunTrigger trigger);
// "No data" below one byte, else the byte count in decimal units.
QString byteCountText(qint64 bytes);
// The row's counts: "3 copied, 0 updated, 2 deleted", the deleted part only when there are some.
QString rowFileCounts(const BackupRunRecord& record);
// The inspector's counts: "3 copied · 0 updated · 2 deleted", the deleted part only when there are some.
QString fileSummary(const BackupRunRecord& record);
// How long the run took, a negative span counting as none; nothing while it runs.
std::optional<QString> durationText(const BackupRunRecord& record);
// The row's fact line: trigger, bytes, counts and, once ended, the duration, with "·" between them.
QStringList factLine(const BackupRunRecord& record);
// The start time alone, in the user's short time format.
QString startTimeText(const BackupRunRecord& record);
// The error summary when there is a non-empty one, for the row's error line and the inspector's box.
std::optional<QString> errorSummary(const BackupRunRecord& record);
// The error line's colour: tertiary after a success, danger otherwise.
PaletteRole rowErrorColor(RunResult result);
// The inspector's error text: secondary after a success, danger otherwise.
PaletteRole inspectorErrorColor(RunResult result);

} // namespace mv::ActivityPresentation
