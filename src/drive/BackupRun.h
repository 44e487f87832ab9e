#pragma once

#include "drive/GoogleDriveConnection.h"
#include "drive/GoogleDriveOutcome.h"
#include "drive/GoogleDrivePlan.h"
#include "drive/GoogleProgressSnapshot.h"

#include <functional>

#include <qcoro/qcorotask.h>

namespace mv {

class Clock;
class GoogleDriveRunController;
class GoogleResumeStore;

namespace GoogleDriveEngine {

// What one run asks of the rest of the program besides its plan. All must outlive the run.
struct RunServices {
    GoogleDriveConnection connection;
    GoogleResumeStore& resumeStore; // one store serves every run of the process
    Clock& clock;
};

// Called from the main thread, in the order the run measured its progress.
using ProgressHandler = std::function<void(const GoogleProgressSnapshot&)>;

// Carries out one backup of the plan's files into its Drive folder: reads the Drive tree, creates the
// missing folders, skips what Drive already holds, uploads the rest and, for a mirror run with
// `allowDeletions`, moves the files the source no longer has to the Drive trash. Never throws: a cancel
// and every failure come back inside the outcome.
QCoro::Task<GoogleDriveOutcome> run(GoogleDrivePlan plan, bool allowDeletions, RunServices services,
    GoogleDriveRunController& controller, ProgressHandler onProgress);

} // namespace GoogleDriveEngine

} // namespace mv
