#pragma once

#include "coordination/BackupCoordinator.h"
#include "coordination/NotificationService.h"
#include "coordination/RestoreCoordinator.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleResumeStore.h"
#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"
#include "support/CountingSecretBackend.h"
#include "support/FakeBrowser.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/NotificationServer.h"
#include "support/PrivateBus.h"
#include "support/RecordingSystemLog.h"
#include "support/ScriptedRsync.h"
#include "support/TempDir.h"

#include <QList>
#include <QMetaType>
#include <QNetworkAccessManager>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace mv::test {

// Where a destination writes, as a test row names it.
struct Place {
    DestinationKind kind = DestinationKind::local;
    QString path; // local: relative to the test's folder
    QString host;
    QString user;
    qint64 port = 22;
    QString driveFolder;
};

Place local(const QString& path);
Place ssh(const QString& user, const QString& host, qint64 port, const QString& path);
Place drive(const QString& folder);

// A coordinator with everything real around it: the configuration store and history in a temporary
// support folder, a notification server on a bus of its own, rsync (or a scripted stand-in that
// hands over to it) writing into temporary folders, a Google account on the given origin (a fake Google
// server's) with its secrets in memory and its resume files in the support folder, and a clock the test
// moves by hand.
class CoordinatorHarness {
public:
    TempSupportDir support;
    TempDir files;
    ManualClock clock;
    ScriptedRsync rsync;
    PrivateBus bus;
    NotificationServer server { bus };
    ConfigurationStore store { support.path(), clock };
    HistoryRepository history { support.filePath("history.sqlite"), clock };
    NotificationService notifications { bus.connection() };
    CountingSecretBackend secrets;
    GoogleCredentialStore credentials { secrets };
    FakeBrowser browser;
    RecordingSystemLog log;
    QNetworkAccessManager network;
    GoogleEndpoints endpoints;
    GoogleAuthManager googleAuth { store, credentials, network, browser, endpoints, clock, log };
    GoogleResumeStore googleResume { support.filePath("google-resume.json"), clock, log };
    // Drive's back-off waits end at once: a test does not wait real seconds for a retry.
    GoogleDriveConnection driveConnection { &network, endpoints.driveApiBase,
        [](std::chrono::milliseconds) -> QCoro::Task<> { co_return; }, endpoints.uploadBase };
    BackupCoordinator coordinator { store, history, notifications,
        GoogleDriveServices { googleAuth, credentials, driveConnection, log, googleResume }, clock };
    RestoreCoordinator& restores = coordinator.restores();
    QList<RunKey> finished;
    int recorded = 0; // runs and restores whose history row was completed

    explicit CoordinatorHarness(const QUrl& google = QUrl(QStringLiteral("http://127.0.0.1:9")));

    void settings(const std::function<void(AppSettings&)>& change);

    // A job `name` copying a small folder (a.txt "alpha", b.txt "beta") to `place`.
    BackupJob addJob(const QString& name, const Place& place, BackupMode mode = BackupMode::incremental);

    RunKey enqueue(
        const BackupJob& job, bool confirmedMirror = false, RunTrigger trigger = RunTrigger::manual);

    static RunKey key(const BackupJob& job) { return { job.id, job.destinations.first().id }; }

    // The raw name of the entry's phase, or "none" without an entry.
    QString phase(const RunKey& key) const;
    RunProgress progress(const RunKey& key) const;
    // The raw name of the destination's lastResult, or "none".
    QString lastResult(const RunKey& key) const;
    QString message(const RunKey& key) const;
    BackupDestination destination(const RunKey& key) const;
    std::vector<BackupRunRecord> rows() { return history.fetch(100, 0); }
    QStringList logs() const;

    // Awaits the coordinator's shutdown from the event loop the test spins, as the program does; false
    // when it did not end within the integration timeout.
    bool shutDown();
};

} // namespace mv::test

Q_DECLARE_METATYPE(mv::test::Place)
