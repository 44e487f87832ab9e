#pragma once

#include "model/Enumerations.h"
#include "model/RunProgress.h"

#include <QString>

#include <optional>

namespace mv {

// The one restore in progress or just finished, as the views show it.
struct RestoreProgressState {
    // preparing, running, cancelling, then completed, failed or cancelled
    RunPhase phase = RunPhase::preparing;
    RunProgress progress; // figures of the restore as a whole
    std::optional<QString> message; // the line under the progress
    qint64 itemIndex = 0; // from 0, the item being restored
    qint64 itemCount = 0;
    // Where the items go: the job's source folder for original locations, else the chosen folder.
    QString target;

    bool operator==(const RestoreProgressState&) const = default;
};

} // namespace mv
