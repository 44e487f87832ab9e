#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/ActiveRun.h"
#include "model/BackupJob.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace mv::JobCardPresentation {

// A card lists this many destinations until the person asks for the rest.
inline constexpr int collapsedDestinationCount = 2;

// The destinations the card lists, in configuration order: the first two while collapsed, else all.
QList<BackupDestination> visibleDestinations(const BackupJob& job, bool showAllDestinations);
// "+1 more" for a collapsed job with three destinations; none when nothing is hidden.
std::optional<QString> moreDestinationsText(const BackupJob& job, bool showAllDestinations);

// Whether one of the job's destinations has a run queued, preparing, running, paused or stopping (the first
// entry of `runs` per destination decides); runs waiting for a retry or finished do not count.
bool isBusy(const BackupJob& job, const QList<ActiveRun>& runs);

// "Never run", or "Last run " and how long ago the job last ran.
QString lastRunText(const BackupJob& job, const QDateTime& now);

// The folder tile's colour, from the job status's text: danger for "Failed" and "Needs review", offline for
// "Offline", else the accent.
PaletteRole folderTint(const QString& statusText);
// "externaldrive.fill" for a source on a known volume, else "folder.fill".
QString folderSymbol(const BackupJob& job);

// The run button's face: "Running" without a symbol while busy, else "Run Now" with "play.fill".
QString runTitle(bool busy);
std::optional<QString> runSymbol(bool busy);
QString runHelp(const BackupJob& job);

// "Documents backup, Up to date".
QString accessibleName(const BackupJob& job, const DestinationDisplayStatus& status);

// The context menu's entry that turns the job off or on.
QString toggleTitle(const BackupJob& job);

} // namespace mv::JobCardPresentation
