#pragma once

#include "drive/GoogleDriveConnection.h"
#include "drive/GoogleDrivePlan.h"
#include "engine/PreflightFailure.h"
#include "model/BackupJob.h"

#include <expected>

#include <qcoro/qcorotask.h>

namespace mv {

class GoogleAuthManager;
class GoogleCredentialStore;
class SystemLog;

namespace GoogleDriveEngine {

// What planning a Drive run asks of the rest of the program. All must outlive the plan: its token closures
// use the account manager.
struct PlanningServices {
    GoogleAuthManager& auth;
    GoogleCredentialStore& credentials;
    GoogleDriveConnection connection;
    SystemLog& log;
};

inline constexpr char applicationFolderName[] = "Marrowvale";
// Planning refuses an account with less room left than this, whatever the run would upload.
inline constexpr qint64 quotaReserve = 20 * 1024 * 1024;

// Checks, in order, the Google sign-in, the mode, the source folder and its volume, the mirror guard, the
// application and destination folders in Drive and the account's free space, then scans the source. Answers
// the plan or the first failure; never throws. Runs on the main thread; the blocking file-system work goes
// to the worker pool.
QCoro::Task<std::expected<GoogleDrivePlan, PreflightFailure>> makePlan(
    BackupJob job, BackupDestination destination, PlanningServices services);

} // namespace GoogleDriveEngine

} // namespace mv
