#include "ui/models/editors/JobEditorContext.h"

namespace mv {

JobEditorContext JobEditorContext::existing(const BackupJob& job)
{
    return { QUuid::createUuid(), job, false };
}

JobEditorContext JobEditorContext::newJob(const AppSettings& settings, const QDateTime& now)
{
    BackupJob job = BackupJob::create(now);
    job.name = QStringLiteral("New Backup");
    job.source = BackupSource {};
    job.destinations.clear();
    job.mode = settings.defaultMode;
    job.isEnabled = true;
    job.schedule = BackupSchedule {};
    job.options = TransferOptions {};
    return { QUuid::createUuid(), job, true };
}

} // namespace mv
