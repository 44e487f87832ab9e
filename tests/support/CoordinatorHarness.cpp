#include "CoordinatorHarness.h"

#include "model/AppPaths.h"
#include "support/IntegrationTimeout.h"

#include <QDir>
#include <QTest>

namespace mv::test {

Place local(const QString& path)
{
    return { DestinationKind::local, path, {}, {}, 22, {} };
}

Place ssh(const QString& user, const QString& host, qint64 port, const QString& path)
{
    return { DestinationKind::ssh, path, host, user, port, {} };
}

Place drive(const QString& folder)
{
    return { DestinationKind::googleDrive, {}, {}, {}, 22, folder };
}

CoordinatorHarness::CoordinatorHarness(const QUrl& google)
    : endpoints(GoogleEndpoints::at(google))
{
    QObject::connect(&coordinator, &BackupCoordinator::runFinished, [this](const RunKey& key) {
        finished.append(key);
        ++recorded;
    });
    QObject::connect(&restores, &RestoreCoordinator::restoreRecorded, [this] { ++recorded; });
    settings([this](AppSettings& s) {
        s.rsyncPath = rsync.path();
        s.retryAttempts = 0;
    });
    notifications.prepare();
}

void CoordinatorHarness::settings(const std::function<void(AppSettings&)>& change)
{
    AppConfiguration config = store.config();
    change(config.settings);
    store.setConfig(config);
}

BackupJob CoordinatorHarness::addJob(const QString& name, const Place& place, BackupMode mode)
{
    BackupJob job = BackupJob::create(clock.now());
    job.name = name;
    job.mode = mode;
    job.source.path = files.mkdir("sources/" + name);
    files.write("sources/" + name + "/a.txt", "alpha");
    files.write("sources/" + name + "/b.txt", "beta");
    BackupDestination destination = BackupDestination::create(clock.now());
    destination.name = name + " SSD";
    destination.kind = place.kind;
    destination.path = place.path;
    if (place.kind == DestinationKind::local) {
        destination.path = files.filePath(place.path.trimmed());
        if (place.path != place.path.trimmed()) // blanks around the whole path, as a person may type it
            destination.path = "  " + destination.path + " ";
    }
    destination.host = place.host;
    destination.user = place.user;
    destination.port = place.port;
    destination.googleFolderName = place.driveFolder;
    job.destinations = { destination };
    store.addJob(job);
    return job;
}

RunKey CoordinatorHarness::enqueue(const BackupJob& job, bool confirmedMirror, RunTrigger trigger)
{
    coordinator.enqueue(job, job.destinations.first(), trigger, confirmedMirror);
    return key(job);
}

QString CoordinatorHarness::phase(const RunKey& key) const
{
    const auto run = coordinator.run(key);
    return run ? toString(run->progress.phase) : QStringLiteral("none");
}

RunProgress CoordinatorHarness::progress(const RunKey& key) const
{
    const auto run = coordinator.run(key);
    return run ? run->progress : RunProgress {};
}

QString CoordinatorHarness::lastResult(const RunKey& key) const
{
    const auto result = destination(key).lastResult;
    return result ? toString(*result) : QStringLiteral("none");
}

QString CoordinatorHarness::message(const RunKey& key) const
{
    return progress(key).message.value_or(QString());
}

BackupDestination CoordinatorHarness::destination(const RunKey& key) const
{
    return store.job(key.jobID)->destinations.first();
}

bool CoordinatorHarness::shutDown()
{
    bool done = false;
    [](BackupCoordinator& coordinator, bool& done) -> QCoro::Task<> {
        auto stopping = coordinator.shutdown();
        co_await stopping;
        done = true;
    }(coordinator, done);
    return QTest::qWaitFor([&done] { return done; }, int(integrationTimeout.count()));
}

QStringList CoordinatorHarness::logs() const
{
    return QDir(AppPaths::logsDirectory()).entryList(QDir::Files, QDir::Name);
}

} // namespace mv::test
