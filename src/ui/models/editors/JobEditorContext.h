#pragma once

#include "model/AppSettings.h"
#include "model/BackupJob.h"

#include <QUuid>

namespace mv {

// One opening of the job editor: a fresh identity each time (so reopening the same job is a new sheet), the
// job it edits, and whether that job is a new one not yet in the configuration.
struct JobEditorContext {
    QUuid id;
    BackupJob job;
    bool isNew = false;

    // The editor on a copy of an existing job.
    static JobEditorContext existing(const BackupJob& job);
    // The editor on a new job "New Backup" in the default mode, created at `now`; nothing is stored.
    static JobEditorContext newJob(const AppSettings& settings, const QDateTime& now);
};

} // namespace mv
