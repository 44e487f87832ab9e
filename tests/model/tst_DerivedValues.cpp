#include "model/ActiveRun.h"
#include "model/AggregateStatus.h"
#include "model/BackupJob.h"
#include "model/EffectiveValues.h"
#include "model/RunProgress.h"
#include "support/EnumCompare.h"

#include <QtTest>

using namespace mv;

namespace {

QDateTime day(int n)
{
    return QDateTime(QDate(2026, 12, n), QTime(8, 0), Qt::UTC);
}

} // namespace

Q_DECLARE_METATYPE(mv::AggregateStatus)
Q_DECLARE_METATYPE(mv::BackupDestination)
Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::optional<qint64>)

class tst_DerivedValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fractionText_data()
    {
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown") << std::optional<double>() << QStringLiteral("\u2014");
        QTest::newRow("negative") << std::optional(-0.2) << "0%";
        QTest::newRow("zero") << std::optional(0.0) << "0%";
        QTest::newRow("below a half percent") << std::optional(0.004) << "0%";
        QTest::newRow("half a percent rounds up") << std::optional(0.005) << "1%";
        QTest::newRow("half") << std::optional(0.5) << "50%";
        QTest::newRow("past the end") << std::optional(1.7) << "100%";
        QTest::newRow("not a number") << std::optional(std::nan("")) << QStringLiteral("\u2014");
    }

    void fractionText()
    {
        QFETCH(std::optional<double>, fraction);
        QFETCH(QString, expected);
        RunProgress progress;
        progress.fraction = fraction;
        QCOMPARE(progress.fractionText(), expected);
    }

    void headline_data()
    {
        QTest::addColumn<AggregateStatus>("status");
        QTest::addColumn<QString>("expected");
        using Kind = AggregateStatus::Kind;
        QTest::newRow("running") << AggregateStatus::running(0.426, "Photos")
                                 << QStringLiteral("Backing up Photos \u00B7 43%");
        QTest::newRow("running, no progress")
            << AggregateStatus::running(std::nullopt, "Photos") << "Backing up Photos";
        QTest::newRow("running past the end")
            << AggregateStatus::running(1.25, "Photos") << QStringLiteral("Backing up Photos \u00B7 125%");
        QTest::newRow("paused") << AggregateStatus::paused("Photos") << "Photos is paused";
        QTest::newRow("empty") << AggregateStatus::of(Kind::empty) << "Nothing is backed up yet";
        QTest::newRow("ready") << AggregateStatus::of(Kind::ready) << "Ready to back up";
        QTest::newRow("idle") << AggregateStatus::of(Kind::idle) << "Everything is up to date";
        QTest::newRow("waiting") << AggregateStatus::of(Kind::waiting) << "Waiting for a destination";
        QTest::newRow("failed") << AggregateStatus::of(Kind::failed) << "A backup needs attention";
        QTest::newRow("offline") << AggregateStatus::of(Kind::offline) << "A destination is offline";
        QTest::newRow("disabled") << AggregateStatus::of(Kind::disabled) << "All backups are turned off";
    }

    void headline()
    {
        QFETCH(AggregateStatus, status);
        QFETCH(QString, expected);
        QCOMPARE(status.headline(), expected);
    }

    void displayPath_data()
    {
        QTest::addColumn<BackupDestination>("destination");
        QTest::addColumn<QString>("expected");
        BackupDestination local;
        local.path = "/media/disk/Backups";
        QTest::newRow("local") << local << "/media/disk/Backups";
        BackupDestination ssh;
        ssh.kind = DestinationKind::ssh;
        ssh.user = "backup";
        ssh.host = "h";
        ssh.path = "/srv/b";
        QTest::newRow("ssh") << ssh << "backup@h:/srv/b";
        ssh.user.clear();
        QTest::newRow("ssh without user") << ssh << "h:/srv/b";
        BackupDestination drive;
        drive.kind = DestinationKind::googleDrive;
        drive.name = "Photos";
        QTest::newRow("drive, signed out")
            << drive << QStringLiteral("Google Drive \u00B7 not signed in / Photos");
        drive.googleAccount = "me@example.com";
        drive.googleFolderName = "Archive";
        QTest::newRow("drive") << drive << QStringLiteral("Google Drive \u00B7 me@example.com / Archive");
        drive.googleAccount = "";
        QTest::newRow("drive, empty account") << drive << QStringLiteral("Google Drive \u00B7  / Archive");
    }

    void displayPath()
    {
        QFETCH(BackupDestination, destination);
        QFETCH(QString, expected);
        QCOMPARE(destination.displayPath(), expected);
    }

    void lastActivityPrefersEachDestinationsSuccess()
    {
        BackupJob job;
        QCOMPARE(job.lastActivity(), std::nullopt);

        BackupDestination failedLater;
        failedLater.lastSuccess = day(1);
        failedLater.lastAttempt = day(2);
        job.destinations = { failedLater, BackupDestination() };
        QCOMPARE(job.lastActivity(), std::optional(day(1)));

        BackupDestination attemptedOnly;
        attemptedOnly.lastAttempt = day(3);
        job.destinations.append(attemptedOnly);
        QCOMPARE(job.lastActivity(), std::optional(day(3)));
    }

    void retryValues_data()
    {
        QTest::addColumn<std::optional<qint64>>("limit");
        QTest::addColumn<std::optional<qint64>>("delay");
        QTest::addColumn<qint64>("settingsAttempts");
        QTest::addColumn<qint64>("settingsDelay");
        QTest::addColumn<qint64>("expectedLimit");
        QTest::addColumn<qint64>("expectedDelay");
        const std::optional<qint64> none;
        QTest::newRow("settings apply") << none << none << 3LL << 30LL << 3LL << 30LL;
        QTest::newRow("own values win")
            << std::optional<qint64>(1) << std::optional<qint64>(10) << 3LL << 30LL << 1LL << 10LL;
        QTest::newRow("own limit above 5") << std::optional<qint64>(9) << none << 3LL << 30LL << 5LL << 30LL;
        QTest::newRow("own limit negative")
            << std::optional<qint64>(-1) << none << 3LL << 30LL << 0LL << 30LL;
        QTest::newRow("own delay short") << none << std::optional<qint64>(2) << 3LL << 30LL << 3LL << 5LL;
        QTest::newRow("settings out of range") << none << none << 12LL << 0LL << 5LL << 5LL;
    }

    void retryValues()
    {
        QFETCH(std::optional<qint64>, limit);
        QFETCH(std::optional<qint64>, delay);
        QFETCH(qint64, settingsAttempts);
        QFETCH(qint64, settingsDelay);
        QFETCH(qint64, expectedLimit);
        QFETCH(qint64, expectedDelay);
        BackupDestination destination;
        destination.retryLimit = limit;
        destination.retryDelaySeconds = delay;
        AppSettings settings;
        settings.retryAttempts = settingsAttempts;
        settings.retryDelaySeconds = settingsDelay;
        QCOMPARE(effectiveRetryLimit(destination, settings), expectedLimit);
        QCOMPARE(effectiveRetryDelaySeconds(destination, settings), expectedDelay);
    }

    void modeAndScheduleFollowTheJobUnlessOverridden()
    {
        BackupJob job;
        job.mode = BackupMode::mirror;
        job.schedule.kind = ScheduleKind::hourly;
        BackupDestination destination;
        destination.schedule.kind = ScheduleKind::daily;
        QCOMPARE(effectiveMode(job, destination), BackupMode::mirror);
        QCOMPARE(effectiveSchedule(job, destination).kind, ScheduleKind::daily);

        destination.modeOverride = BackupMode::versioned;
        destination.usesJobSchedule = true;
        QCOMPARE(effectiveMode(job, destination), BackupMode::versioned);
        QCOMPARE(effectiveSchedule(job, destination).kind, ScheduleKind::hourly);
    }

    void exclusionPatternsKeepCustomEntriesAsStored()
    {
        TransferOptions options;
        QCOMPARE(
            options.exclusionPatterns(), (QStringList { ".DS_Store", ".git/", "node_modules/", "*.tmp" }));
        options.builtInExclusions = { BuiltInExclusion::caches };
        options.customExclusions = { " *.log", "*.log", "*.log" };
        QCOMPARE(
            options.exclusionPatterns(), (QStringList { "Library/Caches/", " *.log", "*.log", "*.log" }));
    }

    void activeRunIdentityAndEquality()
    {
        const QUuid job("6a1f0c6e-3b7d-4f0e-9a55-0d9e3c2b1a10");
        const QUuid destination("b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f");
        ActiveRun run { { job, destination }, "Photos", "Disk", "/home/me/Photos", "/media/disk", {} };
        QCOMPARE(run.id(), "6A1F0C6E-3B7D-4F0E-9A55-0D9E3C2B1A10-B2C4E6F8-0A1B-4C3D-8E5F-7A9B1C2D3E4F");

        ActiveRun faster = run;
        faster.progress.bytesPerSecond = 1;
        QVERIFY(faster != run);
        QCOMPARE(faster.id(), run.id());
        QVERIFY((RunKey { job, destination }) != (RunKey { job, job }));
    }
};

QTEST_GUILESS_MAIN(tst_DerivedValues)
#include "tst_DerivedValues.moc"
