#include "support/SupportFixture.h"

#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"
#include "support/HistoryFixture.h"

#include <QDir>

namespace mv::bench {

void prepareSupportFolder(const QString& support, int jobs, int destinationsPerJob, int historyRows)
{
    ConfigurationStore store(support);
    AppConfiguration config = store.config();
    config.settings.historyRetentionDays = 3650;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int j = 0; j < jobs; ++j) {
        BackupJob job = BackupJob::create(now);
        job.name = QStringLiteral("Job %1").arg(j);
        job.source.path = QDir(support).filePath(QStringLiteral("source-%1").arg(j));
        for (int d = 0; d < destinationsPerJob; ++d) {
            BackupDestination destination = BackupDestination::create(now);
            destination.name = QStringLiteral("Disk %1").arg(d);
            destination.path = QDir(support).filePath(QStringLiteral("disk-%1/job-%2").arg(d).arg(j));
            destination.lastResult = RunResult::success;
            destination.lastSuccess = now.addSecs(-3600 * d);
            destination.schedule.kind = ScheduleKind::daily;
            job.destinations.append(destination);
        }
        config.jobs.append(job);
    }
    store.setConfig(config);
    if (!store.saveNow())
        qFatal("cannot write the configuration");
    const QString history = QDir(support).filePath(QStringLiteral("history.sqlite"));
    {
        HistoryRepository schema(history);
    }
    populateHistory(history, historyRows, now, 100);
}

} // namespace mv::bench
