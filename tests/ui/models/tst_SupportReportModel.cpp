#include "coordination/HistoryFeed.h"
#include "model/ConfigurationStore.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/support/SupportReportModel.h"

#include <QGuiApplication>
#include <QtTest>

using namespace mv;

namespace {

const QDateTime generated(QDate(2026, 3, 3), QTime(9, 5), Qt::UTC);

SystemFacts fixedFacts()
{
    return { {}, {}, QStringLiteral("Debian GNU/Linux 12 (bookworm)"), QStringLiteral("x86-64 (x86_64)") };
}

// The state hub and the page's report model on a clock standing at 09:05 UTC on 3 March 2026, with rsync
// answering as 3.2.7.
struct Fixture {
    test::AppStateHarness hub;
    test::ManualClock clock { generated };
    QString rsync = test::executableScript(hub.files, "rsync",
        "echo 'rsync  version 3.2.7  protocol version 31'\necho 'Copyright (C) 1996-2022'\n");
    std::optional<SupportReportModel> model;

    void build()
    {
        hub.settings([this](AppSettings& settings) { settings.rsyncPath = rsync; });
        hub.build();
        model.emplace(hub.context(), clock, fixedFacts());
    }

    const SupportReport& gathered()
    {
        QSignalSpy stored(&*model, &SupportReportModel::reportChanged);
        model->refresh();
        stored.wait(int(test::integrationTimeout.count()));
        return *model->report();
    }

    // Records a run of `destination` that ended with `result`, `minutesBefore` the clock's time.
    void record(const BackupJob& job, int destination, int minutesBefore, RunResult result,
        std::optional<QString> summary = std::nullopt)
    {
        BackupRunRecord run = BackupRunRecord::of(
            job, job.destinations[destination], RunTrigger::manual, generated.addSecs(-60 * minutesBefore));
        hub.state->history().begin(run);
        run.result = result;
        run.endedAt = run.startedAt.addSecs(30);
        run.errorSummary = std::move(summary);
        hub.state->history().finish(run);
    }

    void awaitRecordedRuns(qint64 count)
    {
        hub.context().history.refresh();
        MV_TRY_COMPARE(hub.context().history.stats().totalRuns, count);
    }

    QString paths() const
    {
        const QString folder = hub.store.supportFolder();
        return QStringLiteral("Data folder: %1\nHistory file: %1/history.sqlite\nLogs: %1/Logs\n")
            .arg(folder);
    }
};

} // namespace

class tst_SupportReportModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Nothing configured, nothing recorded: the fixed lines and the closing ones, rsync's version read.
    void emptyConfiguration()
    {
        Fixture f;
        f.build();
        QVERIFY(!f.model->report());
        QCOMPARE(f.gathered().text(),
            QStringLiteral("Marrowvale support report\n"
                           "Generated: 3 Mar 2026 09:05:00\n"
                           "\n"
                           "App: Development build (build \u2014)\n"
                           "System: Debian GNU/Linux 12 (bookworm)\n"
                           "Architecture: x86-64 (x86_64)\n"
                           "rsync: v3.2.7 at %1\n"
                           "\n"
                           "Jobs: 0\n"
                           "Destinations: 0 total, 0 enabled\n"
                           "Offline destinations: 0\n"
                           "Last successful backup: Never\n"
                           "Recorded runs: 0\n"
                           "Default mode: Incremental copy\n"
                           "Concurrent runs: 2\n"
                           "\n"
                           "%2"
                           "\n"
                           "No passwords or keyring items are included.\n"
                           "Review paths before sharing this report.")
                .arg(f.rsync, f.paths()));
        // The report held is handed out as a copy and stays whole.
        const SupportReport held = *f.model->report();
        QCOMPARE(QCoro::waitFor(f.model->current()), held);
        QCOMPARE(*f.model->report(), held);
    }

    // Six failed runs, an interrupted and a cancelled one: the five newest failures, newest first, the one
    // without a summary ending "Failed" and the secret masked; the drive that is unplugged listed offline.
    void failuresAndOfflineDestinations()
    {
        Fixture f;
        const BackupJob docs = f.hub.addJob(
            "Docs", { { "ssd", BackupMode::incremental }, { "usb", BackupMode::incremental } });
        BackupJob unplugged = docs;
        unplugged.destinations[1].path = f.hub.files.filePath("unplugged/drive/usb");
        f.hub.store.replaceJob(unplugged);
        f.build();
        QSignalSpy judged(&f.hub.state->monitor(), &DestinationMonitor::refreshed);
        f.hub.state->monitor().refresh();
        QVERIFY(judged.wait(int(test::integrationTimeout.count())));

        f.record(docs, 0, 60, RunResult::failed, QStringLiteral("Oldest failure"));
        f.record(docs, 0, 50, RunResult::failed, QStringLiteral("Permission denied"));
        f.record(docs, 1, 40, RunResult::failed);
        f.record(docs, 0, 35, RunResult::interrupted, QStringLiteral("Interrupted"));
        f.record(docs, 1, 30, RunResult::failed, QStringLiteral("ssh: passphrase=opensesame rejected"));
        f.record(docs, 0, 25, RunResult::cancelled, QStringLiteral("Cancelled"));
        f.record(docs, 0, 20, RunResult::failed, QString());
        f.record(docs, 0, 10, RunResult::failed, QStringLiteral("rsync exited with code 23."));
        f.awaitRecordedRuns(8);

        const QString text = f.gathered().text();
        QCOMPARE(text,
            QStringLiteral(
                "Marrowvale support report\n"
                "Generated: 3 Mar 2026 09:05:00\n"
                "\n"
                "App: Development build (build \u2014)\n"
                "System: Debian GNU/Linux 12 (bookworm)\n"
                "Architecture: x86-64 (x86_64)\n"
                "rsync: v3.2.7 at %1\n"
                "\n"
                "Jobs: 1\n"
                "Destinations: 2 total, 2 enabled\n"
                "Offline destinations: 1\n"
                "Last successful backup: Never\n"
                "Recorded runs: 8\n"
                "Default mode: Incremental copy\n"
                "Concurrent runs: 2\n"
                "\n"
                "%2"
                "\n"
                "Offline destinations\n"
                "- Docs \u2192 usb: usb is not available.\n"
                "\n"
                "Recent failures\n"
                "- 3 Mar 2026 08:55:00 \u00B7 Docs \u2192 ssd: rsync exited with code 23.\n"
                "- 3 Mar 2026 08:45:00 \u00B7 Docs \u2192 ssd: \n"
                "- 3 Mar 2026 08:35:00 \u00B7 Docs \u2192 usb: ssh: passphrase=\u2022\u2022\u2022 rejected\n"
                "- 3 Mar 2026 08:25:00 \u00B7 Docs \u2192 usb: Failed\n"
                "- 3 Mar 2026 08:15:00 \u00B7 Docs \u2192 ssd: Permission denied\n"
                "\n"
                "No passwords or keyring items are included.\n"
                "Review paths before sharing this report.")
                .arg(f.rsync, f.paths()));
        QVERIFY(!text.contains(QStringLiteral("opensesame")));
    }

    // A job added or deleted, or a run recorded, gathers again; a renamed job does not.
    void followsJobAndRunCounts()
    {
        Fixture f;
        const BackupJob docs = f.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        f.build();
        QCOMPARE(f.gathered().jobs, 1);

        BackupJob renamed = docs;
        renamed.name = QStringLiteral("Documents");
        f.hub.store.replaceJob(renamed);
        QVERIFY(!f.model->isGathering());

        f.clock.set(generated.addSecs(60));
        f.hub.addJob("Photos", { { "usb", BackupMode::mirror } });
        QVERIFY(f.model->isGathering());
        MV_TRY_COMPARE(f.model->report()->jobs, 2);
        QCOMPARE(f.model->report()->generatedAt, generated.addSecs(60));

        f.hub.store.deleteJob(docs.id);
        MV_TRY_COMPARE(f.model->report()->jobs, 1);

        f.record(docs, 0, 5, RunResult::success);
        f.hub.context().history.refresh();
        MV_TRY_COMPARE(f.model->report()->totalRuns, 1);
        QVERIFY(f.model->report()->lastSuccess);
    }

    // Gatherings that overlap keep the one started last, whatever order they end in.
    void newestGatheringWins()
    {
        Fixture f;
        f.build();
        QSignalSpy stored(&*f.model, &SupportReportModel::reportChanged);
        QCoro::Task<SupportReport> first = f.model->gather();
        f.clock.set(generated.addSecs(120));
        f.model->refresh();
        QVERIFY(stored.wait(int(test::integrationTimeout.count())));
        MV_TRY_VERIFY(!f.model->isGathering());
        QCOMPARE(f.model->report()->generatedAt, generated.addSecs(120));
        QCOMPARE(stored.count(), 1);
    }
};

int main(int argc, char** argv)
{
    // Dates as a person with the C locale in UTC reads them.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    qputenv("TZ", "UTC");
    // The view objects hold the program's commands, which are QActions.
    QGuiApplication app(argc, argv);
    tst_SupportReportModel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SupportReportModel.moc"
