#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/dashboard/HealthPresentation.h"
#include "ui/models/dashboard/OverviewRunMetrics.h"
#include "ui/models/dashboard/SectionDerivations.h"

#include <QtTest>

#include <limits>

using namespace mv;

Q_DECLARE_METATYPE(mv::AggregateStatus)
Q_DECLARE_METATYPE(mv::PaletteRole)

namespace {

BackupRunRecord startedAt(const QString& name, const QDateTime& start)
{
    BackupRunRecord record;
    record.id = QUuid::createUuid();
    record.jobName = name;
    record.startedAt = start.toUTC();
    return record;
}

QStringList names(const std::vector<BackupRunRecord>& records)
{
    QStringList list;
    for (const BackupRunRecord& record : records)
        list.append(record.jobName);
    return list;
}

} // namespace

class tst_SectionDerivations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void warningsAndTints_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("warns");
        QTest::addColumn<PaletteRole>("tint");
        QTest::newRow("Failed") << "Failed" << true << PaletteRole::danger;
        QTest::newRow("Needs review") << "Needs review" << true << PaletteRole::danger;
        QTest::newRow("Offline") << "Offline" << true << PaletteRole::offline;
        QTest::newRow("Paused") << "Paused" << false << PaletteRole::warning;
        QTest::newRow("Waiting") << "Waiting" << false << PaletteRole::warning;
        QTest::newRow("Queued") << "Queued" << false << PaletteRole::accent;
        QTest::newRow("Up to date") << "Up to date" << false << PaletteRole::accent;
        QTest::newRow("No destination") << "No destination" << false << PaletteRole::accent;
        QTest::newRow("Off") << "Off" << false << PaletteRole::accent;
        QTest::newRow("lower case failed") << "failed" << false << PaletteRole::accent;
    }

    // Only the exact texts count as warnings; a job that is off is idle whatever its status.
    void warningsAndTints()
    {
        QFETCH(QString, status);
        QFETCH(bool, warns);
        QFETCH(PaletteRole, tint);
        QCOMPARE(countsAsWarning(status), warns);
        QCOMPARE(jobTint(true, status), tint);
        QCOMPARE(jobTint(false, status), PaletteRole::idle);
    }

    // Runs either side of local midnight fall into two days, newest day first, each keeping the given order.
    void dayGroupsFollowLocalMidnight()
    {
        const QTimeZone berlin("Europe/Berlin");
        const auto local = [&](int day, int hour, int minute) {
            return QDateTime(QDate(2026, 12, day), QTime(hour, minute), berlin);
        };
        // 23:50 and 00:10 Berlin time are the same UTC day (22:50 and 23:10 UTC).
        const std::vector<BackupRunRecord> records { startedAt("after midnight", local(10, 0, 10)),
            startedAt("before midnight", local(9, 23, 50)), startedAt("morning", local(9, 8, 0)),
            startedAt("days before", local(2, 12, 0)) };
        const std::vector<DayGroup> groups = groupedDays(records, berlin);
        QCOMPARE(groups.size(), 3u);
        QCOMPARE(groups[0].day, local(10, 0, 0));
        QCOMPARE(names(groups[0].records), QStringList { "after midnight" });
        QCOMPARE(groups[1].day, local(9, 0, 0));
        QCOMPARE(names(groups[1].records), (QStringList { "before midnight", "morning" }));
        QCOMPARE(names(groups[2].records), QStringList { "days before" });

        // In UTC the two runs around Berlin's midnight share a day.
        const std::vector<DayGroup> utc = groupedDays(records, QTimeZone::utc());
        QCOMPARE(names(utc[0].records), (QStringList { "after midnight", "before midnight", "morning" }));
        QVERIFY(groupedDays({}, berlin).empty());
    }

    void healthCardStatuses_data()
    {
        using Kind = AggregateStatus::Kind;
        QTest::addColumn<AggregateStatus>("status");
        QTest::addColumn<PaletteRole>("color");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("pulsing");
        QTest::addColumn<QString>("sideText");
        QTest::newRow("running") << AggregateStatus::running(0.426, "Photos") << PaletteRole::accent
                                 << "arrow.triangle.2.circlepath"
                                 << "Backing up Photos \u00B7 43%"
                                 << "You can close this panel. The backup keeps running." << true
                                 << "Backing up 43%";
        QTest::newRow("running, no progress")
            << AggregateStatus::running(std::nullopt, "Photos") << PaletteRole::accent
            << "arrow.triangle.2.circlepath"
            << "Backing up Photos"
            << "You can close this panel. The backup keeps running." << true << "Backing up";
        QTest::newRow("paused") << AggregateStatus::paused("Photos") << PaletteRole::warning
                                << "pause.circle.fill"
                                << "Photos is paused"
                                << "Resume from the panel or the dashboard." << false << "Paused";
        QTest::newRow("empty") << AggregateStatus::of(Kind::empty) << PaletteRole::idle << "tray"
                               << "Nothing is backed up yet"
                               << "Add a folder to protect it." << false << "No jobs";
        QTest::newRow("ready") << AggregateStatus::of(Kind::ready) << PaletteRole::idle << "shield"
                               << "Ready to back up"
                               << "Run a backup, or leave a schedule to start it." << false << "Ready";
        QTest::newRow("idle") << AggregateStatus::of(Kind::idle) << PaletteRole::success
                              << "checkmark.circle.fill"
                              << "Everything is up to date"
                              << "The next scheduled run will start automatically." << false << "Up to date";
        QTest::newRow("waiting") << AggregateStatus::of(Kind::waiting) << PaletteRole::warning << "clock.fill"
                                 << "Waiting for a destination"
                                 << "The next check runs in a moment." << false << "Waiting";
        QTest::newRow("failed") << AggregateStatus::of(Kind::failed) << PaletteRole::danger
                                << "exclamationmark.triangle.fill"
                                << "A backup needs attention"
                                << "Open Activity to read what happened." << false << "Needs attention";
        QTest::newRow("offline") << AggregateStatus::of(Kind::offline) << PaletteRole::offline
                                 << "bolt.horizontal.circle.fill"
                                 << "A destination is offline"
                                 << "Reconnect the drive or share to continue." << false
                                 << "Destination offline";
        QTest::newRow("disabled") << AggregateStatus::of(Kind::disabled) << PaletteRole::idle
                                  << "minus.circle"
                                  << "All backups are turned off"
                                  << "Turn a job back on to resume backups." << false << "All jobs off";
    }

    // The health card and the sidebar footer read the same status with the same colours.
    void healthCardStatuses()
    {
        QFETCH(AggregateStatus, status);
        QFETCH(PaletteRole, color);
        QFETCH(QString, symbol);
        QFETCH(QString, title);
        QFETCH(QString, hint);
        QFETCH(bool, pulsing);
        QFETCH(QString, sideText);
        QCOMPARE(healthAppearance(status), (HealthAppearance { color, symbol, title, hint, pulsing }));
        QCOMPARE(sidebarStatus(status), (SidebarStatus { sideText, color, pulsing }));
    }

    // Singular only for exactly one; the failed-runs fact only with failures.
    void countedTexts()
    {
        QCOMPARE(overviewSubtitle(1, 2, 3), "1 active job \u00B7 2 total \u00B7 3 destinations");
        QCOMPARE(overviewSubtitle(0, 0, 1), "0 active jobs \u00B7 0 total \u00B7 1 destinations");
        const QList<HealthFact> none = healthFacts(1, 1, 0);
        QCOMPARE(none,
            (QList<HealthFact> { { "1 active job", PaletteRole::labelSecondary },
                { "1 destination", PaletteRole::labelSecondary } }));
        QCOMPARE(healthFacts(3, 0, 1).last(), (HealthFact { "1 failed run", PaletteRole::danger }));
        QCOMPARE(healthFacts(0, 2, 12).at(1).text, "2 destinations");

        BackupJob job;
        job.mode = BackupMode::mirror;
        QCOMPARE(jobSummary(job), "0 destinations \u00B7 Mirror");
        job.destinations.append(BackupDestination {});
        QCOMPARE(jobSummary(job), "1 destination \u00B7 Mirror");
    }

    // A speed that is not a positive finite number reads as a dash, never as a number.
    void runFigures()
    {
        RunProgress progress;
        QCOMPARE(overviewRunMetrics(progress), (QStringList { "\u2014", "Building file list" }));
        progress.bytesPerSecond = std::numeric_limits<double>::quiet_NaN();
        progress.bytesTransferred = 1500;
        QCOMPARE(overviewRunMetrics(progress).first(), "\u2014");
        progress.bytesPerSecond = std::numeric_limits<double>::infinity();
        QCOMPARE(overviewRunMetrics(progress).first(), "\u2014");
        progress.bytesPerSecond = 2'500'000.9;
        progress.filesCompleted = 1200;
        progress.filesTotal = 3400;
        progress.etaSeconds = 90;
        QCOMPARE(
            overviewRunMetrics(progress), (QStringList { "2.5 MB/s", "1,200 of 3,400 files", "1m left" }));
    }
};

QTEST_GUILESS_MAIN(tst_SectionDerivations)
#include "tst_SectionDerivations.moc"
