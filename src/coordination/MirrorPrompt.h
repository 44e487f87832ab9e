#pragma once

#include "engine/MirrorPreview.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"

#include <QUuid>

namespace mv {

// A manual mirror run waiting for the user to confirm what it would delete. The job and destination are
// as they were when the run was asked for; each prompt has a new identifier, so a sheet is shown per prompt.
struct MirrorPrompt {
    QUuid id;
    BackupJob job;
    BackupDestination destination;
    MirrorPreview preview;

    bool operator==(const MirrorPrompt&) const = default;
};

} // namespace mv
