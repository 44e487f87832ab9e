#pragma once

#include "drive/GoogleDrivePlan.h"
#include "drive/GoogleProgressSnapshot.h"
#include "google/GoogleDriveItem.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

namespace mv {

class GoogleResumeStore;
class GoogleRunLog;

namespace GoogleDriveEngine {

// The files an earlier run already put into Drive, as the resume store's records and the Drive listing
// agree: the transfer pass leaves them alone.
struct ResumedFiles {
    QSet<QString> keys; // file keys
    qsizetype count = 0;
    qint64 bytes = 0;
};

// Takes a file as resumed when its record matches its size and time and Drive holds a file of that size
// and exactly the recorded MD5 at its path, logging "SKIP <path> (uploaded earlier)" for each. Reads no file
// and sends no request, so an interrupted backup starts again without hashing what it finished.
ResumedFiles resumePass(const GoogleDrivePlan& plan, const QHash<QString, GoogleDriveItem>& remoteFiles,
    const GoogleResumeStore& store, GoogleRunLog& log);

// The run's first progress report: the resumed files done, no speed yet. The fraction is always present,
// by files when the plan has no bytes, even for a plan without files.
GoogleProgressSnapshot firstReport(const GoogleDrivePlan& plan, const ResumedFiles& resumed);

// The "RESUME" log line, when the pass resumed anything.
std::optional<QString> resumeLine(const ResumedFiles& resumed);

} // namespace GoogleDriveEngine

} // namespace mv
