#pragma once

#include "engine/MirrorPreview.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"

#include <QUuid>

#include <memory>

namespace mv {

struct GoogleDrivePlan;

// A manual mirror run waiting for the user to confirm what it would delete. The job and destination are
// as they were when the run was asked for; each prompt has a new identifier, so a sheet is shown per prompt.
struct MirrorPrompt {
    QUuid id;
    BackupJob job;
    BackupDestination destination;
    MirrorPreview preview;
    std::shared_ptr<const GoogleDrivePlan> drivePlan; // a Drive preview's plan, which the confirmed run uses

    bool operator==(const MirrorPrompt&) const = default;
};

} // namespace mv
