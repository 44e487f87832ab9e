#pragma once

#include "model/BackupRunRecord.h"
#include "model/PaletteRole.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv::ActivityRowPresentation {

// The outcome dot's colour: accent while running, success, danger when failed, warning otherwise.
PaletteRole resultColor(RunResult result);
// The error in short, for a run that did not succeed and stored a non-empty one.
std::optional<QString> errorLine(const BackupRunRecord& record);
// How long ago the run ended, or started when it has no end.
QString timeText(const BackupRunRecord& record, const QDateTime& now);

} // namespace mv::ActivityRowPresentation
