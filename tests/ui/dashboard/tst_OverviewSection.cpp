#include "coordination/BackupCoordinator.h"
#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/DemoSeeder.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"
#include "support/state/SignalReceivers.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/ActiveRunRow.h"
#include "ui/dashboard/ActiveRunsOverviewCard.h"
#include "ui/dashboard/ActivityListCard.h"
#include "ui/dashboard/DashboardHeader.h"
#include "ui/dashboard/DashboardSidebar.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/dashboard/JobListRow.h"
#include "ui/dashboard/OverviewJobRow.h"
#include "ui/dashboard/OverviewSection.h"
#include "ui/dashboard/RecentRunRow.h"
#include "ui/kit/Commands.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MetricView.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QtTest>

using namespace mv;

namespace {

// The overview as the dashboard shows it, with the parts the tests read.
struct Overview : test::DashboardViewHarness {
    OverviewSection& section() { return *view->sectionView()->findChild<OverviewSection*>(); }
    MetricView& metric(int index) { return *section().metricCards().at(index); }
    QStringList texts() { return test::visibleTexts(*view); }
};

BackupJob jobWithLastResult(test::AppStateHarness& hub, const QString& name, std::optional<RunResult> result)
{
    BackupJob job = hub.addJob(name, { { name + "-ssd", BackupMode::incremental } });
    job.destinations[0].lastResult = result;
    job.destinations[0].lastAttempt = QDateTime::currentDateTimeUtc();
    hub.store.replaceJob(job);
    return job;
}

// Whether the card's badge, just inside its left edge, is painted in `tint` at 0.12 over the card.
bool badgeShows(MetricView& card, const PaletteColor& tint)
{
    const QImage picture = card.grab().toImage();
    const QRect badge = card.findChild<SymbolBadge*>()->geometry();
    const QColor window = card.window()->palette().color(QPalette::Window);
    const QColor surface = test::composite(card.fillColor(), window);
    const QColor expected = test::composite(tint.opacity(0.12).resolve(&card), surface);
    return test::closeColours(picture.pixelColor(badge.left() + 2, badge.center().y()), expected, 3);
}

// The receivers of the coordinator's run signals, in order: runAdded, runChanged, runRemoved.
QList<int> runSignalReceivers(BackupCoordinator& coordinator)
{
    return { test::receiverCount(coordinator, &BackupCoordinator::runAdded),
        test::receiverCount(coordinator, &BackupCoordinator::runChanged),
        test::receiverCount(coordinator, &BackupCoordinator::runRemoved) };
}

// A copy that reports 10 %, waits for the file `step`, reports 60 % and holds until released.
QString twoSamplesThenHold(const QString& step)
{
    const QString sample
        = QStringLiteral("printf '      %1  %2%%  1.00MB/s    0:00:09 (xfr#1, to-chk=1/2)\\r'; ");
    return sample.arg(100).arg(10)
        + QStringLiteral("while [ ! -f '%1' ]; do kill -0 $test 2>/dev/null || exit 1; sleep 0.02; done; ")
              .arg(step)
        + sample.arg(600).arg(60) + test::ScriptedRsync::holdUntilReleased();
}

} // namespace

class tst_OverviewSection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // With nothing configured: the footer, the subtitle, the empty job list and runs, a green zero.
    void noJobs()
    {
        Overview o;
        o.build();
        QCOMPARE(o.view->sidebar()->statusText(), "No jobs");
        QCOMPARE(o.view->sidebar()->lastBackupText(), "No successful backup yet");
        QCOMPARE(o.view->sidebar()->statusDot()->color(), Palette::idle);
        QVERIFY(!o.view->sidebar()->statusDot()->isPulsing());
        QCOMPARE(o.view->header()->title(), "Overview");
        QCOMPARE(o.view->header()->subtitle(), "0 active jobs \u00B7 0 total \u00B7 0 destinations");
        QCOMPARE(o.view->header()->shownButtons(), (QStringList { "Run All", "Add Backup", "Support" }));

        QVERIFY(o.section().activeRunsCard()->isHidden());
        QCOMPARE(o.section().jobsHeader()->countCapsule()->count(), 0);
        QCOMPARE(o.metric(3).label(), "Jobs with warnings");
        QCOMPARE(o.metric(3).value(), "0");
        QCOMPARE(o.metric(3).tint(), Palette::success);
        QCOMPARE(o.metric(0).value(), "Never");
        const QStringList texts = o.texts();
        for (const QString& expected :
            QStringList { "Nothing is backed up yet", "Add a folder to protect it.", "0 active jobs",
                "0 destinations", "No backup jobs yet", "Add Backup", "No runs recorded yet" })
            QVERIFY2(texts.contains(expected), qPrintable(expected + " in " + texts.join(" | ")));
        QVERIFY(!texts.contains("Pause All"));
        QVERIFY(test::saveLightAndDark(*o.view, "dashboard-overview-empty"));
    }

    // One enabled job with one destination and a disabled one with two: one active job of two, three
    // destinations; the disabled job is still listed.
    void mixedConfiguration()
    {
        Overview o;
        o.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        BackupJob off
            = o.hub.addJob("Archive", { { "nas", BackupMode::mirror }, { "usb", BackupMode::mirror } });
        off.isEnabled = false;
        o.hub.store.replaceJob(off);
        o.build();
        QCOMPARE(o.view->header()->subtitle(), "1 active job \u00B7 2 total \u00B7 3 destinations");
        QCOMPARE(o.section().jobsHeader()->countCapsule()->count(), 2);
        const QStringList texts = o.texts();
        QVERIFY(texts.contains("Docs"));
        QVERIFY(texts.contains("Archive"));
        QVERIFY(texts.contains("1 destination \u00B7 Incremental"));
        QVERIFY(texts.contains("2 destinations \u00B7 Incremental"));
        QVERIFY(texts.contains("1 active job"));
        QVERIFY(texts.contains("3 destinations"));
    }

    // A press on a job row opens that job; the headers' arrows ask for the Backup Jobs page and for all
    // activity; the empty state's "Add Backup" asks for a new job.
    void rowsAndLinks()
    {
        Overview o;
        o.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        o.build();
        QList<NavigationRequest> asked;
        connect(&o.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });

        auto* row = o.section().findChild<OverviewJobRow*>();
        QVERIFY(row);
        QCOMPARE(row->runButton()->help(), "Run Docs");
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(60, row->height() / 2));
        QVERIFY(o.view->editor() && !o.view->editor()->isNew);
        QCOMPARE(o.view->editor()->job.name, "Docs");

        QTest::mouseClick(o.section().jobsHeader()->actionButton(), Qt::LeftButton);
        QTest::mouseClick(o.section().activityHeader()->actionButton(), Qt::LeftButton);
        QCOMPARE(o.section().jobsHeader()->actionButton()->help(), "Open Backup Jobs");
        QCOMPARE(o.section().activityHeader()->actionButton()->help(), "Open Activity");
        QCOMPARE(asked,
            (QList<NavigationRequest> { { NavigationRequest::Target::job, std::nullopt },
                { NavigationRequest::Target::activity, std::nullopt } }));

        o.hub.store.deleteJob(o.hub.store.config().jobs.first().id);
        MV_TRY_VERIFY(o.section().findChild<EmptyStateView*>());
        QTest::mouseClick(o.section().findChild<EmptyStateView*>()->actionButton(), Qt::LeftButton);
        QCOMPARE(asked.last().target, NavigationRequest::Target::newJob);
    }

    // A long list is made in batches with the event loop running between them and shown whole, in order; a
    // change meanwhile replaces the list being made.
    void longListIsShownWhole()
    {
        Overview o;
        const int jobs = int(OverviewSection::jobRowsPerBatch) * 2 + 5;
        for (int i = 0; i < jobs; ++i)
            o.hub.addJob(QStringLiteral("Job %1").arg(i),
                { { QStringLiteral("d%1").arg(i), BackupMode::incremental } });
        o.build();
        const auto shownNames = [&o] {
            QStringList names;
            for (OverviewJobRow* row : o.section().findChildren<OverviewJobRow*>())
                if (row->isVisible())
                    names.append(row->job().name);
            return names;
        };
        QVERIFY(shownNames().isEmpty());
        o.hub.store.deleteJob(o.hub.store.config().jobs.first().id);

        MV_TRY_COMPARE(shownNames().size(), jobs - 1);
        QStringList expected;
        for (int i = 1; i < jobs; ++i)
            expected.append(QStringLiteral("Job %1").arg(i));
        QCOMPARE(shownNames(), expected);
        MV_TRY_COMPARE(o.section().findChildren<OverviewJobRow*>().size(), jobs - 1);
        QCOMPARE(o.section().findChildren<Hairline*>().size(), jobs - 2);
        QCOMPARE(o.section().jobsHeader()->countCapsule()->count(), jobs - 1);
    }

    // The jobs and the recent activity share the row equally: a long error line in a run is cut in its
    // half and leaves the job names whole.
    void longErrorLineElides()
    {
        Overview o;
        const BackupJob notes = o.hub.addJob("Notes", { { "ssd", BackupMode::incremental } });
        o.hub.addJob("Projects", { { "nas", BackupMode::incremental } });
        o.build();
        const QDateTime started = o.clock.now().addSecs(-600);
        BackupRunRecord record
            = BackupRunRecord::of(notes, notes.destinations.first(), RunTrigger::schedule, started);
        o.hub.state->history().begin(record);
        record.endedAt = started.addSecs(40);
        record.result = RunResult::failed;
        record.errorSummary = QStringLiteral("rsync: [sender] send_files failed to open "
                                             "\"/home/ann/Notes/Archive/2019/Quarterly review of the "
                                             "northern region.odt\": Permission denied (13) and more");
        o.hub.state->history().finish(record);
        o.hub.context().history.refresh();
        MV_TRY_VERIFY(o.section().findChild<ActivityListCard*>());
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();

        QWidget* jobs = o.section().findChild<OverviewJobRow*>()->parentWidget();
        while (jobs->parentWidget() != o.section().jobsHeader()->parentWidget())
            jobs = jobs->parentWidget();
        auto* activity = o.section().findChild<ActivityListCard*>();
        QVERIFY2(qAbs(jobs->width() - activity->width()) <= 1,
            qPrintable(
                QStringLiteral("jobs %1 px, activity %2 px").arg(jobs->width()).arg(activity->width())));
        for (const QString& name : { QStringLiteral("Notes"), QStringLiteral("Projects") }) {
            bool whole = false;
            for (OverviewJobRow* row : o.section().findChildren<OverviewJobRow*>())
                for (ElidedLabel* label : row->findChildren<ElidedLabel*>())
                    whole = whole || (label->text() == name && label->elidedText() == name);
            QVERIFY2(whole, qPrintable(name));
        }
        bool errorCut = false;
        for (ElidedLabel* label : activity->findChildren<ElidedLabel*>())
            errorCut
                = errorCut || (label->text() == *record.errorSummary && label->elidedText() != label->text());
        QVERIFY(errorCut);
        QVERIFY(test::saveLightAndDark(*o.view, "dashboard-overview-long-error"));
    }

    // "Jobs with warnings" counts failed, offline and needs-review jobs and turns to the warning colour.
    void jobsWithWarnings()
    {
        Overview o;
        jobWithLastResult(o.hub, "Docs", RunResult::success);
        jobWithLastResult(o.hub, "Photos", RunResult::failed);
        o.build();
        QCOMPARE(o.metric(3).value(), "1");
        QCOMPARE(o.metric(3).tint(), Palette::warning);
        QVERIFY(badgeShows(o.metric(3), Palette::warning));
        QCOMPARE(o.view->sidebar()->statusText(), "Needs attention");

        BackupJob photos = o.hub.store.config().jobs.at(1);
        photos.destinations[0].lastResult = RunResult::success;
        o.hub.store.replaceJob(photos);
        MV_TRY_COMPARE(o.metric(3).value(), "0");
        QCOMPARE(o.metric(3).tint(), Palette::success);
        QVERIFY(badgeShows(o.metric(3), Palette::success));
    }

    // The demo's jobs and history: the newest six runs, newest first, each opening its log.
    void demoData()
    {
        qputenv("MARROWVALE_DEMO", "1");
        const auto demoOff = qScopeGuard([] { qunsetenv("MARROWVALE_DEMO"); });
        Overview o;
        DemoSeeder seeder(o.hub.store, o.clock);
        seeder.seedConfigurationIfNeeded();
        QCOMPARE(o.hub.store.config().jobs.size(), 3);
        o.build();
        seeder.seedHistoryIfNeeded(o.hub.state->history());
        // Older runs of the first job, so that there are more than six to choose from.
        const BackupJob documents = o.hub.store.config().jobs.first();
        for (int day = 4; day < 10; ++day) {
            const QDateTime started = o.clock.now().addDays(-day);
            BackupRunRecord record = BackupRunRecord::of(
                documents, documents.destinations.first(), RunTrigger::schedule, started);
            o.hub.state->history().begin(record);
            record.endedAt = started.addSecs(40);
            record.result = day == 5 ? RunResult::cancelled : RunResult::success;
            o.hub.state->history().finish(record);
        }
        o.hub.context().history.refresh();
        MV_TRY_COMPARE(o.hub.context().history.recentRuns().size(), 9u);
        MV_TRY_VERIFY(o.section().findChild<ActivityListCard*>());

        const auto* card = o.section().findChild<ActivityListCard*>();
        const std::vector<BackupRunRecord>& recent = o.hub.context().history.recentRuns();
        QCOMPARE(card->rows().size(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(card->rows()[i]->record().id, recent[std::size_t(i)].id);
        QSignalSpy logs(&*o.view, &DashboardView::logRequested);
        QTest::mouseClick(card->rows()[2], Qt::LeftButton);
        QCOMPARE(logs.count(), 1);
        QCOMPARE(o.view->logRecord()->id, recent[2].id);
        QCOMPARE(o.metric(2).value(), QString::number(o.hub.context().history.stats().totalRuns));
        QVERIFY(test::saveLightAndDark(*o.view, "dashboard-overview-demo"));
    }

    // A real run, held in rsync: listed as running, paused and resumed from its row, cancelled from its row,
    // and the card goes when the run has ended.
    void activeRunControls()
    {
        Overview o;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd", test::ScriptedRsync::holdUntilReleased());
        o.hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        o.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        o.build();
        o.hub.state->coordinator().runAll(RunTrigger::manual);

        ActiveRunsOverviewCard& card = *o.section().activeRunsCard();
        MV_TRY_VERIFY(
            card.isVisible() && card.rows().size() == 1 && card.rows()[0]->chip()->text() == "Running");
        ActiveRunRow& row = *card.rows()[0];
        QCOMPARE(card.header()->countCapsule()->count(), 1);
        QVERIFY(row.chip()->dot()->isPulsing());
        QCOMPARE(row.pauseButton()->help(), "Pause");
        QVERIFY(o.texts().contains("Pause All"));
        QVERIFY(test::saveLightAndDark(*o.view, "dashboard-overview-running"));

        QTest::mouseClick(row.pauseButton(), Qt::LeftButton);
        MV_TRY_COMPARE(row.chip()->text(), "Paused");
        QCOMPARE(row.pauseButton()->symbol(), "play.fill");
        QCOMPARE(row.pauseButton()->help(), "Resume");
        MV_TRY_COMPARE(o.view->sidebar()->statusText(), "Paused");

        QTest::mouseClick(row.cancelButton(), Qt::LeftButton);
        MV_TRY_VERIFY(card.isHidden());
        QVERIFY(o.hub.state->coordinator().activeRuns().isEmpty());
    }

    // A run's progress reaches the dashboard through the run list alone: the dashboard adds no receiver of
    // the coordinator's run signals, and the Backup Jobs row and the overview's run row are the same widgets
    // before and after the run's status and figures change.
    void runProgressReachesRowsInPlace()
    {
        Overview o;
        test::ScriptedRsync rsync;
        const QString step = o.hub.files.filePath("step");
        rsync.setBehaviour("ssd", twoSamplesThenHold(step));
        o.hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        o.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        o.model.setSection(DashboardSection::jobs);
        o.hub.build();
        BackupCoordinator& coordinator = o.hub.state->coordinator();
        o.hub.context();
        const QList<int> withoutDashboard = runSignalReceivers(coordinator);
        QVERIFY(!withoutDashboard.contains(0)); // the run list follows all three
        o.showView();
        QCOMPARE(runSignalReceivers(coordinator), withoutDashboard);

        auto* jobRow = o.view->sectionView()->findChild<JobListRow*>();
        QVERIFY(jobRow);
        MV_TRY_COMPARE(jobRow->statusChip()->text(), "Not run yet");
        o.hub.context().commands.runAll.trigger();
        MV_TRY_COMPARE(jobRow->statusChip()->text(), "Copying");
        QCOMPARE(o.view->sectionView()->findChild<JobListRow*>(), jobRow);

        o.model.setSection(DashboardSection::overview);
        QCOMPARE(runSignalReceivers(coordinator), withoutDashboard);
        ActiveRunsOverviewCard& card = *o.section().activeRunsCard();
        MV_TRY_VERIFY(card.rows().size() == 1 && card.rows()[0]->percentText() == "10%");
        ActiveRunRow* runRow = card.rows()[0];
        QVERIFY(QFile(step).open(QIODevice::WriteOnly));
        MV_TRY_COMPARE(runRow->percentText(), "60%");
        QCOMPARE(card.rows(), QList<ActiveRunRow*> { runRow });

        rsync.release("ssd");
        MV_TRY_VERIFY(card.isHidden());
    }

    // Five live runs: the header counts five, three rows are listed with two dividers between them.
    void fiveRunsShowThree()
    {
        Overview o;
        test::ScriptedRsync rsync;
        o.hub.settings([&](AppSettings& s) {
            s.rsyncPath = rsync.path();
            s.maxConcurrentJobs = 1;
        });
        for (int i = 1; i <= 5; ++i) {
            const QString folder = QStringLiteral("ssd%1").arg(i);
            rsync.setBehaviour(folder, test::ScriptedRsync::holdUntilReleased());
            o.hub.addJob(QStringLiteral("Job %1").arg(i), { { folder, BackupMode::incremental } });
        }
        o.build();
        o.hub.state->coordinator().runAll(RunTrigger::manual);

        ActiveRunsOverviewCard& card = *o.section().activeRunsCard();
        MV_TRY_COMPARE(card.header()->countCapsule()->count(), 5);
        MV_TRY_COMPARE(card.rows().size(), 3);
        QCOMPARE(card.findChildren<ActiveRunRow*>().size(), 3);
        QCOMPARE(card.rows()[1]->chip()->text(), "Queued");
        QVERIFY(card.rows()[1]->pauseButton()->isHidden());
        QVERIFY(!card.rows()[1]->cancelButton()->isHidden());

        for (int i = 1; i <= 5; ++i)
            rsync.release(QStringLiteral("ssd%1").arg(i));
        MV_TRY_VERIFY(card.isHidden());
    }
};

MV_UI_TEST_MAIN(tst_OverviewSection)
#include "tst_OverviewSection.moc"
