#include "coordination/SchedulerService.h"
#include "model/ConfigurationCoding.h"
#include "model/ConfigurationStore.h"
#include "model/IsoDate.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QtTest>

#include <ctime>

using namespace mv;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(mv::BackupSchedule)
Q_DECLARE_METATYPE(mv::ScheduleKind)
Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {

QDateTime at(const char* text)
{
    return parseIsoDate(QString::fromLatin1(text)).value();
}

BackupSchedule scheduleOf(ScheduleKind kind, qint64 hour = 2, qint64 minute = 0)
{
    BackupSchedule schedule;
    schedule.kind = kind;
    schedule.hour = hour;
    schedule.minute = minute;
    return schedule;
}

BackupJob jobWith(const QString& name, QList<BackupDestination> destinations, const QDateTime& now)
{
    BackupJob job = BackupJob::create(now);
    job.name = name;
    job.destinations = std::move(destinations);
    return job;
}

BackupDestination destinationWith(const QString& name, const BackupSchedule& schedule,
    std::optional<QDateTime> nextRun, const QDateTime& now)
{
    BackupDestination destination = BackupDestination::create(now);
    destination.name = name;
    destination.path = QStringLiteral("/backups/") + name;
    destination.schedule = schedule;
    destination.nextRun = std::move(nextRun);
    return destination;
}

// What the callbacks were told, in order, as short lines a failure prints readably.
struct Calls {
    QStringList lines;

    void attach(SchedulerService& scheduler)
    {
        scheduler.onRunDue = [this](const QUuid&, const QUuid& destinationID, RunTrigger trigger) {
            lines << QStringLiteral("due %1 %2").arg(nameOf(destinationID), toString(trigger));
        };
        scheduler.onMissed
            = [this](const BackupJob&, const BackupDestination& destination, const QDateTime& due) {
                  lines << QStringLiteral("missed %1 %2").arg(destination.name, isoDateText(due));
              };
    }

    QHash<QUuid, QString> names;
    QString nameOf(const QUuid& id) const { return names.value(id, QStringLiteral("?")); }
};

} // namespace

class tst_SchedulerService : public QObject {
    Q_OBJECT

    std::optional<test::TempDir> m_support;

    AppConfiguration savedConfiguration() const
    {
        const QByteArray bytes = test::TempDir::read(m_support->filePath("config.json"));
        return ConfigurationCoding::decode(bytes, QDateTime::currentDateTimeUtc()).value();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Schedules are reckoned in the user's zone; this one changes its clocks twice a year.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void init() { m_support.emplace(); }
    void cleanup() { m_support.reset(); }

    // Lateness decides between running, a missed record and both; the new nextRun is the first quarter after
    // now, whatever the lateness, and reaches config.json once the debounce has passed.
    void latenessDecides_data()
    {
        QTest::addColumn<std::optional<qint64>>("lateness"); // none: no nextRun stored yet
        QTest::addColumn<QStringList>("expected");
        const QString due = QStringLiteral("due Disk schedule");
        const auto missed = [](const char* at) { return QStringLiteral("missed Disk ") + QLatin1String(at); };
        QTest::newRow("no nextRun yet") << std::optional<qint64>() << QStringList {};
        QTest::newRow("on time") << std::optional<qint64>(0) << QStringList { due };
        QTest::newRow("4 minutes late") << std::optional<qint64>(240) << QStringList { due };
        QTest::newRow("exactly 5 minutes late") << std::optional<qint64>(300) << QStringList { due };
        QTest::newRow("5 minutes and a second late")
            << std::optional<qint64>(301) << QStringList { missed("2026-12-09T08:15:59Z"), due };
        QTest::newRow("20 minutes late")
            << std::optional<qint64>(1200) << QStringList { missed("2026-12-09T08:01:00Z"), due };
        QTest::newRow("exactly 6 hours late")
            << std::optional<qint64>(21600) << QStringList { missed("2026-12-09T02:21:00Z"), due };
        QTest::newRow("7 hours late, after a night asleep")
            << std::optional<qint64>(25200) << QStringList { missed("2026-12-09T01:21:00Z") };
    }
    void latenessDecides()
    {
        QFETCH(std::optional<qint64>, lateness);
        QFETCH(QStringList, expected);
        const QDateTime now = at("2026-12-09T08:21:00Z");
        test::ManualClock clock(now);
        ConfigurationStore store(m_support->path(), clock);
        std::optional<QDateTime> nextRun;
        if (lateness)
            nextRun = now.addSecs(-*lateness);
        const BackupDestination disk
            = destinationWith("Disk", scheduleOf(ScheduleKind::everyFifteenMinutes), nextRun, now);
        store.addJob(jobWith("Documents", { disk }, now));
        QVERIFY(store.saveNow());

        SchedulerService scheduler(store, clock);
        Calls calls;
        calls.names.insert(disk.id, disk.name);
        calls.attach(scheduler);
        QStringList saveState;
        scheduler.onStateChanged
            = [&] { saveState << (store.hasPendingSave() ? "save pending" : "no save"); };

        scheduler.tick(now);

        QCOMPARE(calls.lines, expected);
        QCOMPARE(saveState, QStringList { "save pending" });
        const QDateTime nextQuarter = at("2026-12-09T08:30:00Z");
        QCOMPARE(store.config().jobs[0].destinations[0].nextRun, std::optional(nextQuarter));
        QCOMPARE(savedConfiguration().jobs[0].destinations[0].nextRun, nextRun);
        clock.advance(250ms);
        QCOMPARE(savedConfiguration().jobs[0].destinations[0].nextRun, std::optional(nextQuarter));
    }

    // Only an enabled destination of an enabled job whose effective schedule is timed is looked at; every
    // other keeps its nextRun, however old, and nothing is saved.
    void onlyTimedEnabledDestinationsRun_data()
    {
        QTest::addColumn<bool>("jobEnabled");
        QTest::addColumn<bool>("destinationEnabled");
        QTest::addColumn<bool>("usesJobSchedule");
        QTest::addColumn<ScheduleKind>("jobKind");
        QTest::addColumn<ScheduleKind>("ownKind");
        QTest::addColumn<bool>("runs");
        const auto hourly = ScheduleKind::hourly;
        const auto manual = ScheduleKind::manual;
        const auto onMount = ScheduleKind::onMount;
        QTest::newRow("own hourly") << true << true << false << manual << hourly << true;
        QTest::newRow("job's hourly over own manual") << true << true << true << hourly << manual << true;
        QTest::newRow("own manual over job's hourly") << true << true << false << hourly << manual << false;
        QTest::newRow("job's onMount over own hourly") << true << true << true << onMount << hourly << false;
        QTest::newRow("own onMount") << true << true << false << hourly << onMount << false;
        QTest::newRow("disabled job") << false << true << false << hourly << hourly << false;
        QTest::newRow("disabled destination") << true << false << false << hourly << hourly << false;
    }
    void onlyTimedEnabledDestinationsRun()
    {
        QFETCH(bool, jobEnabled);
        QFETCH(bool, destinationEnabled);
        QFETCH(bool, usesJobSchedule);
        QFETCH(ScheduleKind, jobKind);
        QFETCH(ScheduleKind, ownKind);
        QFETCH(bool, runs);
        const QDateTime now = at("2026-12-09T08:21:00Z");
        test::ManualClock clock(now);
        ConfigurationStore store(m_support->path(), clock);
        const QDateTime old = now.addDays(-30);
        BackupDestination disk = destinationWith("Disk", scheduleOf(ownKind), old, now);
        disk.isEnabled = destinationEnabled;
        disk.usesJobSchedule = usesJobSchedule;
        BackupJob job = jobWith("Documents", { disk }, now);
        job.isEnabled = jobEnabled;
        job.schedule = scheduleOf(jobKind);
        store.addJob(job);
        QVERIFY(store.saveNow());

        SchedulerService scheduler(store, clock);
        Calls calls;
        calls.names.insert(disk.id, disk.name);
        calls.attach(scheduler);
        int stateChanges = 0;
        scheduler.onStateChanged = [&] { ++stateChanges; };
        scheduler.tick(now);

        if (runs) {
            QCOMPARE(calls.lines, QStringList { "missed Disk 2026-11-09T08:21:00Z" });
            QCOMPARE(
                store.config().jobs[0].destinations[0].nextRun, std::optional(at("2026-12-09T09:00:00Z")));
            QCOMPARE(stateChanges, 1);
        } else {
            QCOMPARE(calls.lines, QStringList {});
            QCOMPARE(store.config().jobs[0].destinations[0].nextRun, std::optional(old));
            QVERIFY(!store.hasPendingSave());
            QCOMPARE(stateChanges, 0);
        }
    }

    void withoutJobsNothingHappens()
    {
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        SchedulerService scheduler(store, clock);
        int stateChanges = 0;
        scheduler.onStateChanged = [&] { ++stateChanges; };
        scheduler.tick(clock.now());
        QVERIFY(!store.hasPendingSave());
        QCOMPARE(stateChanges, 0);
    }

    // Callbacks change the store while the tick goes on: it keeps to the jobs as they were when it began.
    void tickWalksACopyOfTheJobs()
    {
        const QDateTime now = at("2026-12-09T08:21:00Z");
        test::ManualClock clock(now);
        ConfigurationStore store(m_support->path(), clock);
        const BackupSchedule quarter = scheduleOf(ScheduleKind::everyFifteenMinutes);
        const BackupDestination a1 = destinationWith("A1", quarter, now, now);
        const BackupDestination a2 = destinationWith("A2", quarter, now, now);
        const BackupDestination b1 = destinationWith("B1", quarter, now, now);
        const BackupJob a = jobWith("A", { a1, a2 }, now);
        const BackupJob b = jobWith("B", { b1 }, now);
        store.addJob(a);
        store.addJob(b);

        SchedulerService scheduler(store, clock);
        Calls calls;
        calls.names = { { a1.id, "A1" }, { a2.id, "A2" }, { b1.id, "B1" } };
        calls.attach(scheduler);
        const auto record = scheduler.onRunDue;
        scheduler.onRunDue = [&](const QUuid& jobID, const QUuid& destinationID, RunTrigger trigger) {
            record(jobID, destinationID, trigger);
            if (destinationID == a1.id) {
                // What a user deleting job A and adding another, already due, would do mid-tick.
                store.deleteJob(a.id);
                store.addJob(jobWith("C", { destinationWith("C1", quarter, now, now) }, now));
                store.updateDestination(b.id, b1.id, [](BackupDestination& d) { d.nextRun.reset(); });
            }
        };
        scheduler.tick(now);

        QCOMPARE(calls.lines, (QStringList { "due A1 schedule", "due A2 schedule", "due B1 schedule" }));
        QCOMPARE(store.config().jobs.size(), 2);
        QCOMPARE(store.config().jobs[0].destinations[0].nextRun, std::optional(at("2026-12-09T08:30:00Z")));
        QCOMPARE(store.config().jobs[1].name, "C");
        QCOMPARE(store.config().jobs[1].destinations[0].nextRun, std::optional(now));
    }

    void rescheduleStoresTheNextSlot()
    {
        const QDateTime now = at("2026-12-09T08:21:00Z");
        test::ManualClock clock(now);
        ConfigurationStore store(m_support->path(), clock);
        BackupDestination hourly = destinationWith("Hourly", scheduleOf(ScheduleKind::hourly), {}, now);
        hourly.isEnabled = false; // rescheduling looks at neither switch
        const BackupDestination manual
            = destinationWith("Manual", scheduleOf(ScheduleKind::manual), now, now);
        const BackupJob job = jobWith("Documents", { hourly, manual }, now);
        store.addJob(job);
        SchedulerService scheduler(store, clock);
        int stateChanges = 0;
        scheduler.onStateChanged = [&] { ++stateChanges; };

        scheduler.reschedule(job.id, hourly.id, now);
        scheduler.reschedule(job.id, manual.id, now);
        const AppConfiguration before = store.config();
        scheduler.reschedule(QUuid::createUuid(), hourly.id, now.addDays(1));
        scheduler.reschedule(job.id, QUuid::createUuid(), now.addDays(1));

        QCOMPARE(store.config(), before);
        QCOMPARE(before.jobs[0].destinations[0].nextRun, std::optional(at("2026-12-09T09:00:00Z")));
        QCOMPARE(before.jobs[0].destinations[1].nextRun, std::optional<QDateTime>());
        QCOMPARE(stateChanges, 0);
    }

    // Each start ticks at once and leaves one timer, which ticks every 20 seconds from then on.
    void startTwiceKeepsOneTimer()
    {
        const QDateTime now = at("2026-12-09T08:21:00Z");
        test::ManualClock clock(now);
        ConfigurationStore store(m_support->path(), clock);
        const BackupDestination disk = destinationWith("Disk", scheduleOf(ScheduleKind::hourly), {}, now);
        const BackupJob job = jobWith("Documents", { disk }, now);
        store.addJob(job);
        clock.advance(250ms);
        SchedulerService scheduler(store, clock);
        int ticksThatChanged = 0;
        scheduler.onStateChanged = [&] { ++ticksThatChanged; };
        const auto forgetNextRun = [&] {
            store.updateDestination(job.id, disk.id, [](BackupDestination& d) { d.nextRun.reset(); });
        };

        scheduler.start();
        QCOMPARE(ticksThatChanged, 1);
        forgetNextRun();
        scheduler.start();
        QCOMPARE(ticksThatChanged, 2);
        clock.advance(250ms);
        QCOMPARE(clock.pendingAlarms(), 1);

        forgetNextRun();
        clock.advance(19s);
        QCOMPARE(ticksThatChanged, 2);
        clock.advance(1s);
        QCOMPARE(ticksThatChanged, 3);
    }

    // A whole day on the timer, in a zone whose clocks change that day: each slot runs exactly once, on the
    // tick at its time.
    void aDayWhenClocksChange_data()
    {
        QTest::addColumn<BackupSchedule>("schedule");
        QTest::addColumn<QDateTime>("from"); // local midnight
        QTest::addColumn<int>("hours");
        QTest::addColumn<QList<QDateTime>>("runs");

        const auto hourlyRuns = [](const QDateTime& from, int hours) {
            QList<QDateTime> runs;
            for (int hour = 1; hour <= hours; ++hour)
                runs << from.addSecs(hour * 3600);
            return runs;
        };
        const QDateTime spring = at("2026-03-29T00:00:00+01:00");
        const QDateTime autumn = at("2026-10-25T00:00:00+02:00");
        QTest::newRow("daily 02:30, clocks go forward over it") << scheduleOf(ScheduleKind::daily, 2,
            30) << spring << 23 << QList<QDateTime> { at("2026-03-29T03:30:00+02:00") };
        QTest::newRow("daily 02:30, clocks go back over it") << scheduleOf(ScheduleKind::daily, 2,
            30) << autumn << 25 << QList<QDateTime> { at("2026-10-25T02:30:00+02:00") };
        QTest::newRow("hourly, 23-hour day")
            << scheduleOf(ScheduleKind::hourly) << spring << 23 << hourlyRuns(spring, 23);
        QTest::newRow("hourly, 25-hour day")
            << scheduleOf(ScheduleKind::hourly) << autumn << 25 << hourlyRuns(autumn, 25);
    }
    void aDayWhenClocksChange()
    {
        QFETCH(BackupSchedule, schedule);
        QFETCH(QDateTime, from);
        QFETCH(int, hours);
        QFETCH(QList<QDateTime>, runs);
        test::ManualClock clock(from);
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(jobWith("Documents", { destinationWith("Disk", schedule, {}, from) }, from));
        SchedulerService scheduler(store, clock);
        QList<QDateTime> seen;
        int missed = 0;
        scheduler.onRunDue = [&](const QUuid&, const QUuid&, RunTrigger) { seen << clock.now(); };
        scheduler.onMissed = [&](const BackupJob&, const BackupDestination&, const QDateTime&) { ++missed; };

        scheduler.start();
        clock.advance(std::chrono::hours(hours));

        QCOMPARE(seen, runs);
        QCOMPARE(missed, 0);
    }
};

QTEST_GUILESS_MAIN(tst_SchedulerService)
#include "tst_SchedulerService.moc"
