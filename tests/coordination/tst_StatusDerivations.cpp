#include "coordination/StatusDerivations.h"
#include "model/Enumerations.h"
#include "model/Format.h"

#include <QtTest>

using namespace mv;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

// A configuration and the live state around it, written compactly in the tables below. A job is
// "Name:dest,dest" ("!Name" when disabled); a destination is its last result ("none", "failed", "skipped",
// "cancelled", "success" with a last success, "ran" for a success without one), prefixed with "off-" when
// disabled and suffixed with "@offline" when the monitor reports it offline. A run is
// "Job/destination index/phase[/fraction]".
struct Scene {
    QList<BackupJob> jobs;
    QList<ActiveRun> runs;
    QList<ActiveRun> activeRuns;
    QHash<DestinationRef, Availability> availability;
    HistoryStats stats;
    GoogleAccountState google { true, true };

    Scene(const QStringList& jobSpecs, const QStringList& runSpecs = {})
    {
        for (const QString& spec : jobSpecs) {
            const QString head = spec.section(u':', 0, 0);
            BackupJob job;
            job.id = QUuid::createUuid();
            job.isEnabled = !head.startsWith(u'!');
            job.name = job.isEnabled ? head : head.mid(1);
            for (QString token : spec.section(u':', 1).split(u',', Qt::SkipEmptyParts)) {
                BackupDestination destination;
                destination.id = QUuid::createUuid();
                destination.name = job.name + QString::number(job.destinations.size());
                if (token.startsWith(QStringLiteral("off-"))) {
                    destination.isEnabled = false;
                    token = token.mid(4);
                }
                if (token.endsWith(QStringLiteral("@offline"))) {
                    availability.insert({ job.id, destination.id }, Availability::offline("Not mounted"));
                    token.chop(8);
                }
                if (token == QStringLiteral("success")) {
                    destination.lastResult = RunResult::success;
                    destination.lastSuccess = now.addSecs(-3600);
                } else if (token == QStringLiteral("ran")) {
                    destination.lastResult = RunResult::success;
                } else if (token != QStringLiteral("none")) {
                    destination.lastResult = *enumFromString<RunResult>(token);
                }
                job.destinations.append(destination);
            }
            jobs.append(job);
        }
        for (const QString& spec : runSpecs) {
            const QStringList parts = spec.split(u'/');
            const BackupJob& job = *std::find_if(
                jobs.cbegin(), jobs.cend(), [&](const BackupJob& j) { return j.name == parts[0]; });
            ActiveRun run;
            run.key = { job.id, job.destinations[parts[1].toInt()].id };
            run.jobName = job.name;
            run.progress.phase = *enumFromString<RunPhase>(parts[2]);
            if (parts.size() > 3)
                run.progress.fraction = parts[3].toDouble();
            run.progress.bytesTransferred = 1000;
            runs.append(run);
            if (static_cast<int>(run.progress.phase) <= static_cast<int>(RunPhase::cancelling))
                activeRuns.append(run);
        }
    }

    StatusDerivations derive() const
    {
        return StatusDerivations({ jobs, runs, activeRuns, availability, google, stats, now });
    }
};

QString describe(const AggregateStatus& status)
{
    static const char* names[]
        = { "running", "paused", "empty", "ready", "idle", "waiting", "failed", "offline", "disabled" };
    QString text = QString::fromLatin1(names[int(status.kind)]);
    if (status.progress)
        text += u' ' + QString::number(*status.progress);
    if (!status.jobName.isEmpty())
        text += u' ' + status.jobName;
    return text;
}

QString describe(const DestinationDisplayStatus& status)
{
    static const QHash<PaletteRole, QString> colors { { PaletteRole::accent, "accent" },
        { PaletteRole::success, "success" }, { PaletteRole::warning, "warning" },
        { PaletteRole::danger, "danger" }, { PaletteRole::idle, "idle" },
        { PaletteRole::offline, "offline" } };
    return QStringList { status.text, colors.value(status.color, "other"), status.symbol,
        status.pulsing ? "pulsing" : "still", status.detail.value_or("-") }
        .join(u'|');
}

} // namespace

class tst_StatusDerivations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aggregateStatus_data()
    {
        QTest::addColumn<QStringList>("jobs");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no job") << QStringList {} << QStringList {} << "empty";
        QTest::newRow("paused before copying")
            << QStringList { "Docs:none", "Photos:none" }
            << QStringList { "Docs/0/running/0.5", "Photos/0/paused" } << "paused Photos";
        QTest::newRow("mean of present fractions")
            << QStringList { "Docs:none,none", "Photos:none" }
            << QStringList { "Docs/0/queued", "Docs/1/running/0.2", "Photos/0/preparing/0.6" }
            << "running 0.4 Docs";
        QTest::newRow("no fraction anywhere")
            << QStringList { "Docs:none" } << QStringList { "Docs/0/cancelling" } << "running Docs";
        QTest::newRow("queued only, the oldest names it")
            << QStringList { "Docs:none", "Photos:none" }
            << QStringList { "Photos/0/queued", "Docs/0/queued" } << "running Photos";
        QTest::newRow("a finished run is not active")
            << QStringList { "Docs:success" } << QStringList { "Docs/0/completed" } << "idle";
        QTest::newRow("every job disabled")
            << QStringList { "!Docs:none", "!Photos:failed" } << QStringList {} << "disabled";
        QTest::newRow("enabled jobs with disabled destinations only")
            << QStringList { "Docs:off-none", "Photos:" } << QStringList {} << "disabled";
        QTest::newRow("a disabled destination offline still counts")
            << QStringList { "!Docs:off-success@offline", "Photos:success" } << QStringList {} << "offline";
        QTest::newRow("offline before failed")
            << QStringList { "Docs:failed", "Photos:success@offline" } << QStringList {} << "offline";
        QTest::newRow("failed") << QStringList { "Docs:none", "Photos:failed,success" } << QStringList {}
                                << "failed";
        QTest::newRow("waiting for a mirror confirmation")
            << QStringList { "Docs:success,skipped" } << QStringList {} << "waiting";
        QTest::newRow("never run") << QStringList { "Docs:none", "Photos:none" } << QStringList {} << "ready";
        QTest::newRow("one success") << QStringList { "Docs:none,success" } << QStringList {} << "idle";
        QTest::newRow("cancelled only")
            << QStringList { "Docs:cancelled", "Photos:none" } << QStringList {} << "waiting";
    }
    void aggregateStatus()
    {
        QFETCH(QStringList, jobs);
        QFETCH(QStringList, runs);
        QFETCH(QString, expected);
        QCOMPARE(describe(Scene(jobs, runs).derive().aggregateStatus()), expected);
    }

    void destinationStatus_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("expected");
        const QList<std::pair<const char*, const char*>> phases {
            { "queued", "Queued|idle|clock|still|Waiting for a free slot" },
            { "preparing", "Preparing|accent|magnifyingglass|pulsing|-" },
            { "running", "Copying|accent|arrow.triangle.2.circlepath|pulsing|-" },
            { "paused", "Paused|warning|pause.fill|still|-" },
            { "cancelling", "Stopping|warning|stop.circle|pulsing|-" },
            { "waiting", "Waiting|warning|clock.badge.exclamationmark|still|-" },
            { "completed", "Copied|success|checkmark.circle.fill|still|-" },
            { "failed", "Failed|danger|exclamationmark.triangle.fill|still|-" },
            { "cancelled", "Cancelled|idle|xmark.circle|still|-" },
        };
        // A live or just-finished run wins over everything, even a disabled job.
        for (const auto& [phase, expected] : phases)
            QTest::addRow("run %s", phase)
                << "!Docs:off-failed@offline" << QStringLiteral("Docs/0/%1").arg(phase) << expected;
        QTest::newRow("job off") << "!Docs:success"
                                 << ""
                                 << "Off|idle|pause.circle|still|-";
        QTest::newRow("destination off") << "Docs:off-success@offline"
                                         << ""
                                         << "Off|idle|pause.circle|still|-";
        QTest::newRow("offline with its reason")
            << "Docs:failed@offline"
            << ""
            << "Offline|offline|bolt.horizontal.circle|still|Not mounted";
        QTest::newRow("failed") << "Docs:failed"
                                << ""
                                << "Failed|danger|exclamationmark.triangle.fill|still|rsync said no";
        QTest::newRow("cancelled") << "Docs:cancelled"
                                   << ""
                                   << "Cancelled|idle|xmark.circle|still|rsync said no";
        QTest::newRow("interrupted") << "Docs:interrupted"
                                     << ""
                                     << "Interrupted|warning|bolt.circle|still|rsync said no";
        QTest::newRow("missed, no detail") << "Docs:missed"
                                           << ""
                                           << "Missed|warning|clock.badge.xmark|still|-";
        QTest::newRow("skipped") << "Docs:skipped"
                                 << ""
                                 << "Needs review|warning|exclamationmark.shield|still|rsync said no";
        QTest::newRow("never run") << "Docs:none"
                                   << ""
                                   << "Not run yet|idle|circle.dashed|still|-";
        QTest::newRow("success without a date") << "Docs:ran"
                                                << ""
                                                << "Ready|idle|circle|still|-";
        QTest::newRow("running left over, no date") << "Docs:running"
                                                    << ""
                                                    << "Ready|idle|circle|still|-";
        QTest::newRow("up to date") << "Docs:success"
                                    << ""
                                    << "Up to date|success|checkmark.circle.fill|still|Last copied "
                + Format::relative(now.addSecs(-3600), now);
    }
    void destinationStatus()
    {
        QFETCH(QString, job);
        QFETCH(QString, run);
        QFETCH(QString, expected);
        Scene scene({ job }, run.isEmpty() ? QStringList {} : QStringList { run });
        BackupDestination& destination = scene.jobs[0].destinations[0];
        if (destination.lastResult && *destination.lastResult != RunResult::missed)
            destination.lastError = QStringLiteral("rsync said no");
        QCOMPARE(describe(scene.derive().destinationStatus(scene.jobs[0], destination)), expected);
    }

    // "Copied" lasts as long as the coordinator keeps the finished run; then the last result shows.
    void copiedThenUpToDate()
    {
        Scene scene({ "Docs:success" }, { "Docs/0/completed" });
        const BackupDestination& destination = scene.jobs[0].destinations[0];
        QCOMPARE(scene.derive().destinationStatus(scene.jobs[0], destination).text, "Copied");
        scene.runs.clear();
        QCOMPARE(scene.derive().destinationStatus(scene.jobs[0], destination).text, "Up to date");
    }

    void googleDrive_data()
    {
        QTest::addColumn<bool>("jobEnabled");
        QTest::addColumn<bool>("configured");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no client")
            << true << false << false
            << "Set up Google|warning|cloud|still|Import the OAuth client JSON in Settings.";
        QTest::newRow("not signed in")
            << true << true << false
            << "Sign in needed|warning|person.crop.circle.badge.questionmark|still|Sign in with Google in "
               "Settings.";
        QTest::newRow("signed in, offline")
            << true << true << true << "Offline|offline|bolt.horizontal.circle|still|Not mounted";
        QTest::newRow("disabled job reads Off") << false << false << false << "Off|idle|pause.circle|still|-";
    }
    void googleDrive()
    {
        QFETCH(bool, jobEnabled);
        QFETCH(bool, configured);
        QFETCH(bool, signedIn);
        QFETCH(QString, expected);
        Scene scene({ jobEnabled ? "Docs:none@offline" : "!Docs:none@offline" });
        scene.jobs[0].destinations[0].kind = DestinationKind::googleDrive;
        scene.google = { configured, signedIn };
        QCOMPARE(describe(scene.derive().destinationStatus(scene.jobs[0], scene.jobs[0].destinations[0])),
            expected);
    }

    void jobStatus_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no destination")
            << "Docs:" << QStringList {} << "No destination|warning|externaldrive.badge.questionmark|still|-";
        QTest::newRow("pulsing first") << "Docs:failed,none" << QStringList { "Docs/1/running" } << "Copying";
        QTest::newRow("queued before failed")
            << "Docs:failed,none" << QStringList { "Docs/1/queued" } << "Queued";
        QTest::newRow("paused before failed")
            << "Docs:failed,none" << QStringList { "Docs/1/paused" } << "Paused";
        QTest::newRow("needs review before offline")
            << "Docs:none@offline,skipped" << QStringList {} << "Needs review";
        QTest::newRow("offline before the rest")
            << "Docs:success,none@offline" << QStringList {} << "Offline";
        QTest::newRow("all up to date, no detail")
            << "Docs:success,success" << QStringList {} << "Up to date|success|checkmark.circle.fill|still|-";
        QTest::newRow("up to date and not run yet: the first")
            << "Docs:success,none" << QStringList {} << "Up to date";
        QTest::newRow("not run yet and up to date: the first")
            << "Docs:none,success" << QStringList {} << "Not run yet";
    }
    void jobStatus()
    {
        QFETCH(QString, job);
        QFETCH(QStringList, runs);
        QFETCH(QString, expected);
        const Scene scene({ job }, runs);
        const QString status = describe(scene.derive().jobStatus(scene.jobs[0]));
        QCOMPARE(expected.contains(u'|') ? status : status.section(u'|', 0, 0), expected);
    }

    void countersAndTotals()
    {
        Scene scene({ "Docs:success,none", "!Photos:none", "Music:off-none", "Notes:ran" },
            { "Docs/0/running", "Docs/1/queued", "Notes/0/completed" });
        scene.jobs[1].destinations[0].lastSuccess = now.addDays(-1).addSecs(1800); // disabled jobs count too
        scene.stats.totalBytes = 5000;
        scene.stats.lastSuccess = now.addDays(-2);
        const StatusDerivations derived = scene.derive();
        QCOMPARE(derived.activeJobCount(), 1); // two destinations of one job
        QCOMPARE(derived.enabledJobCount(), 2); // Docs and Notes
        QCOMPARE(derived.lastSuccessfulBackup(), std::optional(now.addSecs(-3600)));
        QCOMPARE(derived.totalTransferred(), 5000 + 2 * 1000); // the finished run is in the history already
        const QList<JobDestination> pairs = derived.allDestinations();
        QCOMPARE(pairs.size(), 5);
        QCOMPARE(pairs[2].job.name, "Photos");
        QCOMPARE(pairs[4].destination.id, scene.jobs[3].destinations[0].id);

        scene.jobs[0].destinations[0].lastSuccess.reset();
        scene.jobs[1].destinations[0].lastSuccess.reset();
        QCOMPARE(scene.derive().lastSuccessfulBackup(), scene.stats.lastSuccess);
        scene.stats.lastSuccess.reset();
        QCOMPARE(scene.derive().lastSuccessfulBackup(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_StatusDerivations)
#include "tst_StatusDerivations.moc"
