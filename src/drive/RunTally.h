#pragma once

#include <QStringList>

namespace mv::GoogleDriveEngine {

// What one Drive run has done so far; its phases and passes add to it, the outcome and the reports read it.
struct RunTally {
    qsizetype uploaded = 0;
    qsizetype skipped = 0; // by either pass
    qsizetype deleted = 0;
    qint64 uploadedBytes = 0; // sizes of the files this run uploaded
    qint64 doneBytes = 0; // uploaded and skipped
    qsizetype filesDone = 0; // uploaded and skipped
    QStringList warnings; // one for each file that changed while it was sent
};

} // namespace mv::GoogleDriveEngine
