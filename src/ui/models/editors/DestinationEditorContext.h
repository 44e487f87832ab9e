#pragma once

#include "model/BackupDestination.h"

#include <QUuid>

namespace mv {

// One opening of the destination editor from the job editor: a fresh identity each time, the destination
// it edits (a copy, or a new one with its defaults), and whether that destination is not yet in the job.
struct DestinationEditorContext {
    QUuid id;
    BackupDestination destination;
    bool isNew = false;
};

} // namespace mv
