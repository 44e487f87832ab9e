#include "support/TempDir.h"
#include "ui/models/dashboard/ActivityPresentation.h"
#include "ui/models/dashboard/ActivitySectionLogic.h"
#include "ui/models/dashboard/DestinationDetailPresentation.h"
#include "ui/models/dashboard/JobListPresentation.h"
#include "ui/models/dashboard/LogPreview.h"
#include "ui/models/shared/EnumerationPresentation.h"

#include <QtTest>

#include <limits>

using namespace mv;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

// "Docs" from /home/ana/Documents to "Backup SSD" at /media/ssd/docs and "Home NAS" at /mnt/nas/docs.
BackupJob docsJob()
{
    BackupJob job = BackupJob::create(now);
    job.name = QStringLiteral("Docs");
    job.source.path = QStringLiteral("/home/ana/Documents");
    for (const auto& [name, path] :
        { std::pair { "Backup SSD", "/media/ssd/docs" }, { "Home NAS", "/mnt/nas/docs" } }) {
        BackupDestination destination = BackupDestination::create(now);
        destination.name = QString::fromUtf8(name);
        destination.path = QString::fromUtf8(path);
        job.destinations.append(destination);
    }
    return job;
}

BackupJob jobNamed(const QStringList& destinationNames)
{
    BackupJob job = BackupJob::create(now);
    for (const QString& name : destinationNames) {
        BackupDestination destination = BackupDestination::create(now);
        destination.name = name;
        job.destinations.append(destination);
    }
    return job;
}

BackupRunRecord runRecord(RunResult result, qint64 bytes = 0)
{
    BackupRunRecord record;
    record.id = QUuid::createUuid();
    record.startedAt = now;
    record.result = result;
    record.bytesTransferred = bytes;
    return record;
}

QString writeLog(const QString& folder, const QByteArray& bytes)
{
    const QString path = folder + QStringLiteral("/run.log");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

class tst_SectionPresentation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The jobs search: blanks alone search nothing, a blank typed is matched, any field may hit, case aside.
    void jobSearch_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blanks and a tab only") << "  \t " << true;
        QTest::newRow("name, other case") << "dOCS" << true;
        QTest::newRow("source path") << "ana/doc" << true;
        QTest::newRow("second destination's name") << "home nas" << true;
        QTest::newRow("destination path") << "/media/ssd" << true;
        QTest::newRow("trailing blank kept") << "Docs " << false;
        QTest::newRow("leading blank matched inside a name") << " NAS" << true;
        QTest::newRow("no field") << "Pictures" << false;
        QTest::newRow("line break is not a blank") << "\n" << false;
    }
    void jobSearch()
    {
        QFETCH(QString, query);
        QFETCH(bool, found);
        QCOMPARE(JobListPresentation::matches(docsJob(), query), found);
    }

    // The list keeps configuration order, lists a job once however many fields hit, and hides disabled
    // jobs only when asked.
    void jobFilter()
    {
        BackupJob docs = docsJob();
        BackupJob off = docsJob();
        off.name = QStringLiteral("Docs archive");
        off.isEnabled = false;
        BackupJob photos = jobNamed({ QStringLiteral("Cloud") });
        photos.name = QStringLiteral("Photos");
        const QList<BackupJob> jobs { off, photos, docs };
        const auto names = [](const QList<BackupJob>& shown) {
            QStringList list;
            for (const BackupJob& job : shown)
                list << job.name;
            return list;
        };
        QCOMPARE(names(JobListPresentation::filtered(jobs, QStringLiteral("doc"), true)),
            (QStringList { "Docs archive", "Docs" }));
        QCOMPARE(names(JobListPresentation::filtered(jobs, QStringLiteral("doc"), false)),
            (QStringList { "Docs" }));
        QCOMPARE(names(JobListPresentation::filtered(jobs, QStringLiteral(" "), false)),
            (QStringList { "Photos", "Docs" }));
    }

    void destinationSummary_data()
    {
        QTest::addColumn<QStringList>("destinations");
        QTest::addColumn<QString>("summary");
        QTest::newRow("none") << QStringList {} << "No destinations";
        QTest::newRow("one") << QStringList { "SSD" } << "SSD";
        QTest::newRow("two") << QStringList { "SSD", "NAS" } << "SSD, NAS";
        QTest::newRow("five") << QStringList { "A", "B", "C", "D", "E" } << "A, B +3";
        QTest::newRow("only one, unnamed") << QStringList { "" } << "No destinations";
    }
    void destinationSummary()
    {
        QFETCH(QStringList, destinations);
        QFETCH(QString, summary);
        QCOMPARE(JobListPresentation::destinationSummary(jobNamed(destinations)), summary);
    }

    void lastRunLine()
    {
        QCOMPARE(JobListPresentation::lastRunLine(std::nullopt, now), "Never run");
        QVERIFY(JobListPresentation::lastRunLine(now.addSecs(-3600), now).startsWith("Last run "));
    }

    // The facts under a destination: the schedule that applies, the last success, and the next run only
    // for a scheduled destination.
    void destinationFacts_data()
    {
        QTest::addColumn<bool>("usesJobSchedule");
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QStringList>("facts");
        QTest::newRow("own daily schedule, never succeeded")
            << false << false
            << QStringList { "Daily at 09:00", "\u00B7", "No successful run", "\u00B7", "Next in 1 hr." };
        QTest::newRow("job's manual schedule hides a stored next run")
            << true << true << QStringList { "Manual", "\u00B7", "Last success 2 hr. ago" };
    }
    void destinationFacts()
    {
        QFETCH(bool, usesJobSchedule);
        QFETCH(bool, succeeded);
        QFETCH(QStringList, facts);
        BackupJob job = docsJob();
        job.schedule.kind = ScheduleKind::manual;
        BackupDestination& destination = job.destinations[0];
        destination.usesJobSchedule = usesJobSchedule;
        destination.schedule.kind = ScheduleKind::daily;
        destination.schedule.hour = 9;
        destination.schedule.minute = 0;
        destination.nextRun = now.addSecs(3600);
        if (succeeded)
            destination.lastSuccess = now.addSecs(-7200);
        QCOMPARE(DestinationDetailPresentation::factsLine(job, destination, now), facts);
    }

    void destinationErrorLine_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("hasError");
        QTest::addColumn<bool>("shown");
        QTest::newRow("failed") << "Failed" << true << true;
        QTest::newRow("offline") << "Offline" << true << true;
        QTest::newRow("needs review") << "Needs review" << true << true;
        QTest::newRow("up to date keeps it hidden") << "Up to date" << true << false;
        QTest::newRow("offline without an error") << "Offline" << false << false;
        QTest::newRow("matched exactly") << "failed" << true << false;
    }
    void destinationErrorLine()
    {
        QFETCH(QString, status);
        QFETCH(bool, hasError);
        QFETCH(bool, shown);
        BackupDestination destination = BackupDestination::create(now);
        if (hasError)
            destination.lastError = QStringLiteral("Disk full");
        const std::optional<QString> line = DestinationDetailPresentation::errorLine(destination, status);
        QCOMPARE(line.has_value(), shown);
        if (shown)
            QCOMPARE(*line, "Disk full");
    }

    void destinationTexts()
    {
        QCOMPARE(DestinationDetailPresentation::countsLine(4, 3), "4 destinations across 3 jobs");
        QCOMPARE(DestinationDetailPresentation::countsLine(1, 1), "1 destinations across 1 jobs");
        QCOMPARE(kindTitle(DestinationKind::googleDrive), "Google Drive");
        QCOMPARE(kindTitle(DestinationKind::ssh), "SSH");
    }

    void resultAndTriggerLabels()
    {
        const QList<std::pair<RunResult, QString>> results { { RunResult::running, "Running" },
            { RunResult::success, "Copied" }, { RunResult::failed, "Failed" },
            { RunResult::cancelled, "Cancelled" }, { RunResult::interrupted, "Interrupted" },
            { RunResult::missed, "Missed" }, { RunResult::skipped, "Skipped" } };
        for (const auto& [result, label] : results)
            QCOMPARE(ActivityPresentation::resultLabel(result), label);
        const QList<std::pair<RunTrigger, QString>> triggers { { RunTrigger::manual, "Manual" },
            { RunTrigger::schedule, "Schedule" }, { RunTrigger::onMount, "Destination available" },
            { RunTrigger::retry, "Retry" }, { RunTrigger::restore, "Restore" } };
        for (const auto& [trigger, label] : triggers)
            QCOMPARE(ActivityPresentation::triggerLabel(trigger), label);
    }

    void byteCountText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "No data";
        QTest::newRow("negative") << qint64(-5) << "No data";
        QTest::newRow("one byte") << qint64(1) << "1 byte";
        QTest::newRow("just under a gigabyte") << qint64(999'999'999) << "1,000 MB";
        QTest::newRow("a gigabyte") << qint64(1'000'000'000) << "1 GB";
        QTest::newRow("beyond a terabyte stays in GB") << qint64(2'500'000'000'000) << "2,500 GB";
    }
    void byteCountText()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(ActivityPresentation::byteCountText(bytes), text);
    }

    // The counts, with the deleted part only when something was deleted; the row joins with commas, the
    // inspector with middle dots.
    void fileCounts_data()
    {
        QTest::addColumn<qint64>("deleted");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("inspector");
        QTest::newRow("none deleted") << qint64(0) << "3 copied, 0 updated"
                                      << "3 copied \u00B7 0 updated";
        QTest::newRow("two deleted") << qint64(2) << "3 copied, 0 updated, 2 deleted"
                                     << "3 copied \u00B7 0 updated \u00B7 2 deleted";
    }
    void fileCounts()
    {
        QFETCH(qint64, deleted);
        QFETCH(QString, row);
        QFETCH(QString, inspector);
        BackupRunRecord record = runRecord(RunResult::success);
        record.filesCopied = 3;
        record.filesUpdated = 0;
        record.filesDeleted = deleted;
        QCOMPARE(ActivityPresentation::rowFileCounts(record), row);
        QCOMPARE(ActivityPresentation::fileSummary(record), inspector);
    }

    // The fact line ends with the duration once the run ended; an end before the start counts as none.
    void factLine()
    {
        BackupRunRecord record = runRecord(RunResult::running);
        record.trigger = RunTrigger::onMount;
        QCOMPARE(ActivityPresentation::factLine(record),
            (QStringList { "Destination available", "\u00B7", "No data", "\u00B7", "0 copied, 0 updated" }));
        record.endedAt = now.addSecs(61);
        QCOMPARE(ActivityPresentation::factLine(record).mid(5), (QStringList { "\u00B7", "1m 1s" }));
        record.endedAt = now.addSecs(-30);
        QCOMPARE(ActivityPresentation::durationText(record), QString("0s"));
    }

    void errorColours()
    {
        QCOMPARE(
            int(ActivityPresentation::rowErrorColor(RunResult::success)), int(PaletteRole::labelTertiary));
        QCOMPARE(int(ActivityPresentation::inspectorErrorColor(RunResult::success)),
            int(PaletteRole::labelSecondary));
        for (RunResult result : { RunResult::failed, RunResult::cancelled, RunResult::interrupted,
                 RunResult::missed, RunResult::skipped, RunResult::running }) {
            QCOMPARE(int(ActivityPresentation::rowErrorColor(result)), int(PaletteRole::danger));
            QCOMPARE(int(ActivityPresentation::inspectorErrorColor(result)), int(PaletteRole::danger));
        }
        BackupRunRecord record = runRecord(RunResult::failed);
        record.errorSummary = QString();
        QVERIFY(!ActivityPresentation::errorSummary(record));
    }

    // The preview: the last 16,000 bytes, decoded leniently, redacted, then the last 60 lines.
    void logPreview_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("tail");
        QByteArray lines;
        for (int i = 1; i <= 70; ++i)
            lines += "line " + QByteArray::number(i) + "\n";
        QStringList last60;
        for (int i = 12; i <= 70; ++i)
            last60 << QStringLiteral("line %1").arg(i);
        last60 << QString();
        QTest::newRow("short log, last 60 pieces, the final empty one counted") << lines << last60.join('\n');
        QTest::newRow("secret masked")
            << QByteArray("connect token=abc ok\n") << "connect token=\u2022\u2022\u2022 ok\n";
        QTest::newRow("empty file") << QByteArray() << "";
        // "é" is C3 A9; a window that starts on its A9 shows one replacement character and the rest intact.
        const QByteArray cut = "\xC3\xA9" + QByteArray(LogPreview::windowBytes - 1, 'x');
        QTest::newRow("window starts inside a character")
            << cut << QStringLiteral("\uFFFD") + QString(LogPreview::windowBytes - 1, 'x');
    }
    void logPreview()
    {
        QFETCH(QByteArray, log);
        QFETCH(QString, tail);
        test::TempDir folder;
        const QString path = writeLog(folder.path(), log);
        QVERIFY(!path.isEmpty());
        QCOMPARE(LogPreview::tail(path), tail);
    }

    void logPreviewWithoutFile()
    {
        test::TempDir folder;
        QCOMPARE(LogPreview::tail(std::nullopt), QString());
        QCOMPARE(LogPreview::tail(folder.path() + "/gone.log"), QString());
    }

    // Only the loaded runs are summed; failures turn the count red; a damaged total never wraps.
    void summary()
    {
        const ActivitySectionLogic::Summary empty = ActivitySectionLogic::summary({});
        QCOMPARE(empty.runs, 0);
        QCOMPARE(empty.transferred, "Zero bytes");
        QCOMPARE(int(empty.failedColor), int(PaletteRole::labelSecondary));

        const ActivitySectionLogic::Summary mixed = ActivitySectionLogic::summary(
            { runRecord(RunResult::success, 1500), runRecord(RunResult::failed, -9000),
                runRecord(RunResult::success, 500), runRecord(RunResult::skipped) });
        QCOMPARE(mixed.runs, 4);
        QCOMPARE(mixed.copied, 2);
        QCOMPARE(mixed.failed, 1);
        QCOMPARE(int(mixed.failedColor), int(PaletteRole::danger));
        QCOMPARE(mixed.transferred, "Zero bytes");

        const qint64 huge = std::numeric_limits<qint64>::max() - 10;
        QCOMPARE(ActivitySectionLogic::summary(
                     { runRecord(RunResult::success, huge), runRecord(RunResult::success, huge) })
                     .transferred,
            ActivitySectionLogic::summary(
                { runRecord(RunResult::success, std::numeric_limits<qint64>::max()) })
                .transferred);
        QCOMPARE(ActivitySectionLogic::historyKeptText(0), "History kept for 0 days");
    }

    void selectionAfterLoad()
    {
        const std::vector<BackupRunRecord> records { runRecord(RunResult::success),
            runRecord(RunResult::failed) };
        QCOMPARE(ActivitySectionLogic::selectionAfterLoad(records, records[1].id), records[1].id);
        QCOMPARE(ActivitySectionLogic::selectionAfterLoad(records, QUuid::createUuid()), records[0].id);
        QCOMPARE(ActivitySectionLogic::selectionAfterLoad(records, std::nullopt), records[0].id);
        QCOMPARE(ActivitySectionLogic::selectionAfterLoad({}, records[0].id), std::nullopt);
        QCOMPARE(ActivitySectionLogic::emptyMessage(""), "Runs appear here after the first backup.");
        QCOMPARE(ActivitySectionLogic::emptyMessage(" "), "No runs match this search and filter.");
    }
};

QTEST_GUILESS_MAIN(tst_SectionPresentation)
#include "tst_SectionPresentation.moc"
