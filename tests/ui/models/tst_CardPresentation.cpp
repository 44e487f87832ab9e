#include "support/EnumCompare.h"
#include "ui/models/panel/ActiveRunPresentation.h"
#include "ui/models/panel/JobCardPresentation.h"
#include "ui/models/shared/ActivityRowPresentation.h"
#include "ui/models/shared/ProgressMetrics.h"

#include <QtTest>

#include <limits>

using namespace mv;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
const QString dash = QStringLiteral("\u2014");

const QDateTime now = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

BackupJob jobWith(int destinations)
{
    BackupJob job = BackupJob::create(now);
    job.name = QStringLiteral("Photos");
    for (int i = 0; i < destinations; ++i) {
        BackupDestination destination = BackupDestination::create(now);
        destination.name = QStringLiteral("Disk %1").arg(i + 1);
        job.destinations.append(destination);
    }
    return job;
}

ActiveRun runOf(const BackupJob& job, int destination, RunPhase phase)
{
    ActiveRun run;
    run.key = { job.id, job.destinations.at(destination).id };
    run.progress.phase = phase;
    return run;
}

} // namespace

class tst_CardPresentation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The metrics line: speed · amount, then the time left only when one is known. A paused run moves
    // nothing: no speed, no time left. A queued run has no line at all.
    void metricsLine_data()
    {
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<double>("speed");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<qint64>("filesCompleted");
        QTest::addColumn<qint64>("filesTotal");
        QTest::addColumn<std::optional<double>>("eta");
        QTest::addColumn<QStringList>("parts");
        const std::optional<double> noEta;
        QTest::newRow("nothing reported yet")
            << RunPhase::running << 0.0 << qint64(0) << qint64(0) << qint64(0) << noEta
            << QStringList { dash, "Building file list" };
        QTest::newRow("bytes without a file total")
            << RunPhase::running << 2'500'000.0 << qint64(1'500'000) << qint64(0) << qint64(0) << noEta
            << QStringList { "2.5 MB/s", "1.5 MB" };
        QTest::newRow("file counts grouped, before the bytes")
            << RunPhase::running << 1'000.0 << qint64(1'500'000) << qint64(1'234) << qint64(5'678)
            << std::optional(40.0) << QStringList { "1 KB/s", "1,234 of 5,678 files", "40s left" };
        QTest::newRow("a time left that is not known yet")
            << RunPhase::preparing << 12.0 << qint64(0) << qint64(0) << qint64(3) << std::optional(-1.0)
            << QStringList { "12 bytes/s", "0 of 3 files", "Estimating time" };
        QTest::newRow("half a byte a second is positive")
            << RunPhase::cancelling << 0.5 << qint64(1) << qint64(0) << qint64(0) << noEta
            << QStringList { "Zero bytes/s", "1 byte" };
        QTest::newRow("a negative count of bytes")
            << RunPhase::running << -3.0 << qint64(-7) << qint64(0) << qint64(0) << noEta
            << QStringList { dash, "Building file list" };
        QTest::newRow("paused: the amount only")
            << RunPhase::paused << 600'000.0 << qint64(1'500'000) << qint64(1'234) << qint64(5'678)
            << std::optional(46.0) << QStringList { "1,234 of 5,678 files" };
        QTest::newRow("queued: no line") << RunPhase::queued << 600'000.0 << qint64(0) << qint64(0)
                                         << qint64(0) << std::optional(46.0) << QStringList {};
    }
    void metricsLine()
    {
        QFETCH(RunPhase, phase);
        QFETCH(double, speed);
        QFETCH(qint64, bytes);
        QFETCH(qint64, filesCompleted);
        QFETCH(qint64, filesTotal);
        QFETCH(std::optional<double>, eta);
        QFETCH(QStringList, parts);
        RunProgress progress;
        progress.phase = phase;
        progress.bytesPerSecond = speed;
        progress.bytesTransferred = bytes;
        progress.filesCompleted = filesCompleted;
        progress.filesTotal = filesTotal;
        progress.etaSeconds = eta;
        const std::optional<ProgressMetrics> metrics = ProgressMetrics::of(progress);
        QCOMPARE(metrics.has_value(), !parts.isEmpty());
        QCOMPARE(metrics ? metrics->parts() : QStringList(), parts);
    }

    // A speed that is not a positive number a byte count can hold has no figure.
    void speedWithoutAFigure_data()
    {
        QTest::addColumn<double>("speed");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -1.0;
        QTest::newRow("not a number") << notANumber;
        QTest::newRow("infinite") << infinity;
        QTest::newRow("beyond a 64-bit count") << 1e19;
    }
    void speedWithoutAFigure()
    {
        QFETCH(double, speed);
        QCOMPARE(ProgressMetrics::speedText(speed), dash);
    }

    // Every phase has its label and colour; only a running run pulses; Pause/Resume in running and paused,
    // Cancel in every live phase.
    void phases_data()
    {
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("color");
        QTest::addColumn<QString>("pauseTitle");
        QTest::addColumn<bool>("cancel");
        const int accent = int(PaletteRole::accent);
        const int warning = int(PaletteRole::warning);
        QTest::newRow("queued") << RunPhase::queued << "Queued" << accent << "" << true;
        QTest::newRow("preparing") << RunPhase::preparing << "Preparing" << accent << "" << true;
        QTest::newRow("running") << RunPhase::running << "Running" << accent << "Pause" << true;
        QTest::newRow("paused") << RunPhase::paused << "Paused" << warning << "Resume" << true;
        QTest::newRow("cancelling") << RunPhase::cancelling << "Stopping" << accent << "" << true;
        QTest::newRow("waiting") << RunPhase::waiting << "Waiting" << warning << "" << false;
        QTest::newRow("completed") << RunPhase::completed << "Copied" << int(PaletteRole::success) << ""
                                   << false;
        QTest::newRow("failed") << RunPhase::failed << "Failed" << int(PaletteRole::danger) << "" << false;
        QTest::newRow("cancelled") << RunPhase::cancelled << "Cancelled" << accent << "" << false;
    }
    void phases()
    {
        QFETCH(RunPhase, phase);
        QFETCH(QString, label);
        QFETCH(int, color);
        QFETCH(QString, pauseTitle);
        QFETCH(bool, cancel);
        const ActiveRunPresentation::PhaseLook look = ActiveRunPresentation::phaseLook(phase);
        QCOMPARE(look.label, label);
        QCOMPARE(int(look.color), color);
        QCOMPARE(look.pulsing, phase == RunPhase::running);
        const auto pause = ActiveRunPresentation::pauseButton(phase);
        QCOMPARE(pause ? pause->title : QString(), pauseTitle);
        QCOMPARE(ActiveRunPresentation::offersCancel(phase), cancel);
    }

    // A fraction that is missing or not finite is no progress; a known one is clamped to 0 … 100 %.
    void fraction_data()
    {
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<std::optional<double>>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("none yet") << std::optional<double>() << std::optional<double>() << dash;
        QTest::newRow("not a number") << std::optional(notANumber) << std::optional<double>() << dash;
        QTest::newRow("infinite") << std::optional(infinity) << std::optional<double>() << dash;
        QTest::newRow("about 40 %") << std::optional(0.426) << std::optional(0.426) << "43%";
        QTest::newRow("above one") << std::optional(1.7) << std::optional(1.0) << "100%";
        QTest::newRow("below zero") << std::optional(-0.2) << std::optional(0.0) << "0%";
    }
    void fraction()
    {
        QFETCH(std::optional<double>, fraction);
        QFETCH(std::optional<double>, shown);
        QFETCH(QString, text);
        RunProgress progress;
        progress.fraction = fraction;
        QCOMPARE(ActiveRunPresentation::shownFraction(progress), shown);
        QCOMPARE(ActiveRunPresentation::fractionText(progress), text);
    }

    void sourceName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder") << "/home/ada/Photos"
                                << "Photos";
        QTest::newRow("trailing slash") << "/home/ada/Photos/"
                                        << "Photos";
        QTest::newRow("root") << "/"
                              << "/";
    }
    void sourceName()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ActiveRunPresentation::sourceName(path), name);
    }

    // The current file wins unless it is empty; then a message, even an empty one, takes the row.
    void detailRow_data()
    {
        QTest::addColumn<std::optional<QString>>("file");
        QTest::addColumn<std::optional<QString>>("message");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        using Kind = ActiveRunPresentation::Detail::Kind;
        const std::optional<QString> none;
        QTest::newRow("file") << std::optional<QString>("a/b.txt") << std::optional<QString>("Copying")
                              << int(Kind::file) << "a/b.txt";
        QTest::newRow("empty file, message")
            << std::optional<QString>("") << std::optional<QString>("Waiting for a free slot")
            << int(Kind::message) << "Waiting for a free slot";
        QTest::newRow("empty message") << none << std::optional<QString>("") << int(Kind::message) << "";
        QTest::newRow("nothing") << none << none << int(Kind::none) << "";
    }
    void detailRow()
    {
        QFETCH(std::optional<QString>, file);
        QFETCH(std::optional<QString>, message);
        QFETCH(int, kind);
        QFETCH(QString, text);
        RunProgress progress;
        progress.currentFile = file;
        progress.message = message;
        const ActiveRunPresentation::Detail detail = ActiveRunPresentation::detail(progress);
        QCOMPARE(int(detail.kind), kind);
        QCOMPARE(detail.text, text);
    }

    // Two destinations show in full; from three, two and "+N more" until the person asks for all.
    void hiddenDestinations_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<int>("visible");
        QTest::addColumn<QString>("more");
        QTest::newRow("none") << 0 << false << 0 << "";
        QTest::newRow("two") << 2 << false << 2 << "";
        QTest::newRow("three") << 3 << false << 2 << "+1 more";
        QTest::newRow("five") << 5 << false << 2 << "+3 more";
        QTest::newRow("three, all shown") << 3 << true << 3 << "";
    }
    void hiddenDestinations()
    {
        QFETCH(int, count);
        QFETCH(bool, showAll);
        QFETCH(int, visible);
        QFETCH(QString, more);
        const BackupJob job = jobWith(count);
        const QList<BackupDestination> shown = JobCardPresentation::visibleDestinations(job, showAll);
        QCOMPARE(shown.size(), visible);
        QCOMPARE(shown, job.destinations.first(visible));
        QCOMPARE(JobCardPresentation::moreDestinationsText(job, showAll).value_or(QString()), more);
    }

    // A job is busy while one of its destinations has a run before `waiting`; another job's run does
    // not count.
    void busy_data()
    {
        QTest::addColumn<QList<RunPhase>>("phases");
        QTest::addColumn<bool>("busy");
        QTest::newRow("no runs") << QList<RunPhase> {} << false;
        QTest::newRow("queued") << QList<RunPhase> { RunPhase::queued } << true;
        QTest::newRow("stopping") << QList<RunPhase> { RunPhase::cancelling } << true;
        QTest::newRow("waiting for a retry") << QList<RunPhase> { RunPhase::waiting } << false;
        QTest::newRow("finished, then paused")
            << QList<RunPhase> { RunPhase::completed, RunPhase::paused } << true;
        QTest::newRow("all finished") << QList<RunPhase> { RunPhase::failed, RunPhase::cancelled } << false;
    }
    void busy()
    {
        QFETCH(QList<RunPhase>, phases);
        QFETCH(bool, busy);
        const BackupJob job = jobWith(2);
        const BackupJob other = jobWith(1);
        QList<ActiveRun> runs { runOf(other, 0, RunPhase::running) };
        for (int i = 0; i < phases.size(); ++i)
            runs.append(runOf(job, i, phases.at(i)));
        QCOMPARE(JobCardPresentation::isBusy(job, runs), busy);
        QCOMPARE(JobCardPresentation::isBusy(jobWith(0), runs), false);
    }

    void folderTint_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("tint");
        QTest::newRow("failed") << "Failed" << int(PaletteRole::danger);
        QTest::newRow("needs review") << "Needs review" << int(PaletteRole::danger);
        QTest::newRow("offline") << "Offline" << int(PaletteRole::offline);
        QTest::newRow("up to date") << "Up to date" << int(PaletteRole::accent);
        QTest::newRow("only the exact word") << "Offline soon" << int(PaletteRole::accent);
    }
    void folderTint()
    {
        QFETCH(QString, status);
        QFETCH(int, tint);
        QCOMPARE(int(JobCardPresentation::folderTint(status)), tint);
    }

    void jobFooterAndTile()
    {
        BackupJob job = jobWith(1);
        QCOMPARE(JobCardPresentation::lastRunText(job, now), "Never run");
        QCOMPARE(JobCardPresentation::folderSymbol(job), "folder.fill");
        job.destinations[0].lastSuccess = now.addSecs(-300);
        job.source.volumeIdentity = QStringLiteral("uuid:1234");
        QVERIFY(JobCardPresentation::lastRunText(job, now).startsWith("Last run 5 min"));
        QCOMPARE(JobCardPresentation::folderSymbol(job), "externaldrive.fill");
    }

    // The error line shows only for a run that did not succeed and left a non-empty summary.
    void activityErrorLine_data()
    {
        QTest::addColumn<RunResult>("result");
        QTest::addColumn<std::optional<QString>>("summary");
        QTest::addColumn<std::optional<QString>>("line");
        QTest::addColumn<int>("dot");
        const std::optional<QString> none;
        const std::optional<QString> error("Destination is full");
        QTest::newRow("success keeps its summary to itself")
            << RunResult::success << error << none << int(PaletteRole::success);
        QTest::newRow("failed") << RunResult::failed << error << error << int(PaletteRole::danger);
        QTest::newRow("failed, empty summary")
            << RunResult::failed << std::optional<QString>("") << none << int(PaletteRole::danger);
        QTest::newRow("cancelled") << RunResult::cancelled << error << error << int(PaletteRole::warning);
        QTest::newRow("interrupted, no summary")
            << RunResult::interrupted << none << none << int(PaletteRole::warning);
        QTest::newRow("missed") << RunResult::missed << error << error << int(PaletteRole::warning);
        QTest::newRow("skipped") << RunResult::skipped << error << error << int(PaletteRole::warning);
        QTest::newRow("running") << RunResult::running << none << none << int(PaletteRole::accent);
    }
    void activityErrorLine()
    {
        QFETCH(RunResult, result);
        QFETCH(std::optional<QString>, summary);
        QFETCH(std::optional<QString>, line);
        QFETCH(int, dot);
        BackupRunRecord record;
        record.result = result;
        record.errorSummary = summary;
        QCOMPARE(ActivityRowPresentation::errorLine(record), line);
        QCOMPARE(int(ActivityRowPresentation::resultColor(result)), dot);
    }

    // A run still going is timed from its start, a finished one from its end.
    void activityTime()
    {
        BackupRunRecord record;
        record.startedAt = now.addSecs(-2 * 3600);
        QCOMPARE(ActivityRowPresentation::timeText(record, now), "2 hr. ago");
        record.endedAt = now.addSecs(-120);
        QCOMPARE(ActivityRowPresentation::timeText(record, now), "2 min. ago");
    }
};

QTEST_GUILESS_MAIN(tst_CardPresentation)
#include "tst_CardPresentation.moc"
