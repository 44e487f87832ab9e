#pragma once

#include "engine/MirrorPreview.h"
#include "engine/PreflightFailure.h"

#include <expected>

#include <qcoro/qcorotask.h>

namespace mv {

struct RunPlan;

// Answers, before a mirror run deletes anything, which files it would delete.
namespace MirrorPreviewService {

// Runs the plan's own rsync command as a dry run, on the thread pool, and collects the deletions it
// reports. Its log stays in the Logs folder only when the preview fails. Never throws.
QCoro::Task<std::expected<MirrorPreview, PreflightFailure>> preview(RunPlan plan);

} // namespace MirrorPreviewService
} // namespace mv
