#pragma once

#include "engine/PreflightFailure.h"
#include "engine/RestorePlan.h"
#include "model/PathValidationError.h"

#include <QStringList>

#include <expected>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

struct AppSettings;

// Turns a restore request into a checked plan, builds the rsync arguments of each item, and finds what a
// restore would write over before it runs.
namespace RestoreService {

// The plan, or the first problem in this order: nothing selected, no rsync, the backup folder missing,
// an item outside the backup, an item gone, a target inside the backup, no valid chosen folder. Reads
// the file system only to test that paths exist.
std::expected<RestorePlan, PreflightFailure> makePlan(
    const RestoreRequest& request, const AppSettings& settings);

// The rsync arguments that copy one item: the item under its own name into its target's folder, or
// for the whole backup its contents into the target itself.
QStringList arguments(const RestoreItem& item, bool overwriteExisting);

// Makes the folders missing between the item's base folder and the folder rsync writes into, so an item
// several folders deep can be restored into a new folder. The base folder itself is never made: when it
// is missing nothing is made and the problem is answered. Call it right before copying the item.
std::optional<PathValidationError> createTargetFolders(const RestoreItem& item);

// The names a restore of the plan would write over, at most 200 per item, found by one dry run per
// item. When a dry run cannot start or ends with an rsync error (other than files vanishing), the names
// found so far are followed by one line saying the check could not be completed, so the answer is never
// an empty list that would let a restore replace files unasked. Never fails.
QCoro::Task<QStringList> scanConflicts(RestorePlan plan);

} // namespace RestoreService
} // namespace mv
