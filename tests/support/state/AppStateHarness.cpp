#include "support/state/AppStateHarness.h"

namespace mv::test {

void AppStateHarness::build()
{
    state.emplace(store,
        AppEnvironment { Clock::system(), bus.connection(), bus.connection(), secrets, browser, fileManager,
            log, endpoints });
}

ViewContext& AppStateHarness::context()
{
    if (!views)
        views = std::make_unique<ViewObjects>(state->viewSources());
    return views->context();
}

BackupJob AppStateHarness::addJob(
    const QString& name, const QList<std::pair<QString, BackupMode>>& destinations)
{
    BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
    job.name = name;
    job.source.path = files.mkdir("source/" + name);
    files.write("source/" + name + "/a.txt", "alpha");
    for (const auto& [folder, mode] : destinations) {
        BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
        destination.name = folder;
        destination.path = files.mkdir(folder);
        destination.modeOverride = mode;
        job.destinations.append(destination);
    }
    store.addJob(job);
    return job;
}

std::vector<BackupRunRecord> AppStateHarness::rows()
{
    return state->history().fetch(100, 0);
}

void AppStateHarness::settings(const std::function<void(AppSettings&)>& change)
{
    AppConfiguration config = store.config();
    change(config.settings);
    store.setConfig(config);
}

} // namespace mv::test
