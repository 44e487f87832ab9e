#pragma once

#include "model/RunKey.h"
#include "model/RunProgress.h"

#include <QString>

namespace mv {

// A live run as the panel and the dashboard list it.
struct ActiveRun {
    RunKey key;
    QString jobName;
    QString destinationName;
    QString sourcePath;
    QString destinationPath; // the destination's displayPath()
    RunProgress progress;

    // "<JOB-UUID>-<DESTINATION-UUID>" in upper case: the same for every run of one pair.
    QString id() const;

    bool operator==(const ActiveRun&) const = default;
};

} // namespace mv
