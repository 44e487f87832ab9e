#pragma once

#include "model/BackupDestination.h"
#include "model/BackupJob.h"

namespace mv {

// A destination together with the job it belongs to.
struct JobDestination {
    BackupJob job;
    BackupDestination destination;

    bool operator==(const JobDestination&) const = default;
};

} // namespace mv
