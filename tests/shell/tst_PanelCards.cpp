#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/DemoData.h"
#include "shell/ActiveRunCard.h"
#include "shell/ActiveRunsSection.h"
#include "shell/ActivityRow.h"
#include "shell/DestinationStatusRow.h"
#include "shell/FolderTile.h"
#include "shell/JobCard.h"
#include "shell/SummaryStrip.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/state/SignalReceivers.h"
#include "support/state/SteppedRun.h"
#include "support/ui/AccessibleMenu.h"
#include "support/ui/PanelColumn.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/kit/AccentTextButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MetricView.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/ProgressMetricsView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

#include <map>

using namespace mv;

namespace {

using Column = test::PanelColumn;

// The panel's section of live runs, following the run list as the panel does.
struct ActiveCards {
    ActiveRunsSection* section;

    ActiveCards(ViewContext& context, Column& column)
        : section(column.add(new ActiveRunsSection(context)))
    {
    }

    ActiveRunCard* only() const
    {
        const QList<QWidget*> cards = section->list().entries();
        return cards.size() == 1 ? qobject_cast<ActiveRunCard*>(cards.first()) : nullptr;
    }
};

QStringList menuTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? QStringLiteral("—") : action->text());
    return texts;
}

// Opens the card's context menu as a right click does and answers the menu on screen.
QMenu* openContextMenu(JobCard& card)
{
    const QPoint inside(40, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, card.mapToGlobal(inside));
    QApplication::sendEvent(&card, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

ActiveRun sampleRun(RunPhase phase)
{
    ActiveRun run;
    run.key = { QUuid::createUuid(), QUuid::createUuid() };
    run.jobName = QStringLiteral("Photos");
    run.destinationName = QStringLiteral("Backup Disk");
    run.sourcePath = QStringLiteral("/home/ada/Pictures/");
    RunProgress& progress = run.progress;
    progress.phase = phase;
    progress.startedAt = QDateTime::currentDateTimeUtc().addSecs(-150);
    switch (phase) {
    case RunPhase::queued:
        progress.message = QStringLiteral("Waiting for a free slot");
        break;
    case RunPhase::preparing:
        progress.message = QStringLiteral("Checking the destination");
        break;
    case RunPhase::running:
    case RunPhase::paused:
    case RunPhase::cancelling:
        progress.fraction = 0.4;
        progress.bytesTransferred = 482'000'000;
        // A paused run still holds the last figures it measured.
        progress.bytesPerSecond = phase == RunPhase::running ? 1'200'000
            : phase == RunPhase::paused                      ? 600'000
                                                             : 0;
        progress.filesCompleted = 1'234;
        progress.filesTotal = 3'085;
        progress.etaSeconds = phase == RunPhase::running ? std::optional(130.0)
            : phase == RunPhase::paused                  ? std::optional(46.0)
                                                         : std::nullopt;
        progress.currentFile = QStringLiteral("2026/Summer in the mountains/IMG_4821.heic");
        progress.message
            = phase == RunPhase::paused ? QStringLiteral("Paused") : QStringLiteral("Stopping safely");
        if (phase == RunPhase::cancelling)
            progress.currentFile.reset();
        break;
    default:
        progress.fraction = phase == RunPhase::completed ? std::optional(1.0) : std::nullopt;
        progress.message = phase == RunPhase::failed ? QStringLiteral("The destination is full") : QString();
        break;
    }
    return run;
}

} // namespace

class tst_PanelCards : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The demo's jobs at rest: the summary's figures, each job's status chip and destinations, a failed
    // job's tile in the danger colour, and the newest runs as activity rows.
    void demoAtRest()
    {
        test::AppStateHarness hub;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QList<BackupJob> jobs = DemoData::makeJobs(hub.support.path(), now);
        for (const BackupJob& job : jobs)
            hub.store.addJob(job);
        hub.build();
        for (const BackupRunRecord& record : DemoData::historyRecords(jobs, now))
            hub.state->history().begin(record);
        hub.context().history.refresh();
        MV_TRY_VERIFY(!hub.context().history.recentRuns().empty());

        Column column;
        auto* strip = column.add(new SummaryStrip(hub.context().status, hub.store, hub.state->clock()));
        QList<JobCard*> cards;
        for (const BackupJob& job : jobs)
            cards << column.add(new JobCard(hub.context(), job.id));
        const BackupRunRecord newest = hub.context().history.recentRuns().front();
        column.add(new ActivityRow(hub.state->clock(), newest, true));
        column.add(new ActivityRow(hub.state->clock(), hub.context().history.recentRuns().at(1), false));
        QVERIFY(column.show());
        QVERIFY(column.shoot("cards-demo-idle"));

        MV_TRY_COMPARE(strip->jobsCell()->value(), "3");
        QCOMPARE(strip->lastBackupCell()->label(), "LAST BACKUP");
        QVERIFY(strip->lastBackupCell()->value() != "Never");
        QVERIFY(strip->transferredCell()->value() != "Zero bytes");
        for (JobCard* card : cards) {
            const BackupJob job = *hub.store.job(card->jobID());
            const DestinationDisplayStatus status = hub.context().status.jobStatus(job.id);
            QCOMPARE(card->statusChip()->text(), status.text);
            QCOMPARE(card->accessibleName(), job.name + " backup, " + status.text);
            QCOMPARE(card->destinationRows().size(), std::min<int>(job.destinations.size(), 2));
            QCOMPARE(card->runButton()->title(), "Run Now");
        }
        // The demo's photo library failed last time: its tile turns to the danger colour.
        QCOMPARE(cards.at(2)->statusChip()->text(), "Failed");
        QCOMPARE(cards.at(2)->folderTile()->tint(), Palette::danger);
        QCOMPARE(cards.at(0)->folderTile()->tint(), Palette::accent);
        const QStringList texts = test::visibleTexts(column.window);
        QVERIFY(texts.contains(newest.jobName));
        QVERIFY(texts.contains("\u2192"));
    }

    // An empty configuration: no successful backup, no job, nothing moved.
    void summaryOfNothing()
    {
        test::AppStateHarness hub;
        hub.build();
        SummaryStrip strip(hub.context().status, hub.store, hub.state->clock());
        const QList<MetricView*> cells { strip.lastBackupCell(), strip.jobsCell(), strip.transferredCell() };
        QStringList shown;
        for (const MetricView* cell : cells)
            shown << cell->label() << cell->value();
        QCOMPARE(shown, (QStringList { "LAST BACKUP", "Never", "JOBS", "0", "TRANSFERRED", "Zero bytes" }));
    }

    // The metrics line as shown: three parts (speed, dot, amount) until a time left is known.
    void metricsLineParts_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<std::optional<double>>("eta");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("nothing known")
            << 0.0 << std::optional<double>() << QStringList { "—", "·", "Building file list" };
        QTest::newRow("speed and time left")
            << 2'000.0 << std::optional(90.0)
            << QStringList { "2 KB/s", "·", "Building file list", "·", "1m left" };
    }
    void metricsLineParts()
    {
        QFETCH(double, speed);
        QFETCH(std::optional<double>, eta);
        QFETCH(QStringList, texts);
        RunProgress progress;
        progress.phase = RunPhase::running;
        progress.bytesPerSecond = speed;
        progress.etaSeconds = eta;
        Column column;
        auto* line = column.add(new ProgressMetricsView(progress, false));
        QVERIFY(column.show());
        QCOMPARE(test::visibleTexts(*line), texts);
        progress.etaSeconds.reset();
        line->setProgress(progress);
        QCOMPARE(test::visibleTexts(*line).size(), 3);
    }

    // Each phase as the card draws it: chip, buttons, bar and detail line. The panel only shows live
    // phases, but the card renders every one.
    void activeCardPhases_data()
    {
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("indeterminate");
        // The live phases' texts from the percentage up to the detail line: a paused run moves nothing and
        // shows no speed or time left; a queued one has measured nothing and shows no figures at all.
        QTest::addColumn<QStringList>("figures");
        const QString file = QStringLiteral("2026/Summer in the mountains/IMG_4821.heic");
        QTest::newRow("queued") << RunPhase::queued << QStringList { "Cancel" } << true
                                << QStringList { "Waiting for a free slot" };
        QTest::newRow("preparing") << RunPhase::preparing << QStringList { "Cancel" } << true
                                   << QStringList { "\u2014", "\u2014", "\u00b7", "Building file list",
                                          "Checking the destination" };
        QTest::newRow("running") << RunPhase::running << QStringList { "Pause", "Cancel" } << false
                                 << QStringList { "40%", "1.2 MB/s", "\u00b7", "1,234 of 3,085 files",
                                        "\u00b7", "2m left", file };
        QTest::newRow("paused") << RunPhase::paused << QStringList { "Resume", "Cancel" } << false
                                << QStringList { "40%", "1,234 of 3,085 files", file };
        QTest::newRow("cancelling") << RunPhase::cancelling << QStringList { "Cancel" } << false
                                    << QStringList { "40%", "\u2014", "\u00b7", "1,234 of 3,085 files",
                                           "Stopping safely" };
        QTest::newRow("waiting") << RunPhase::waiting << QStringList {} << true << QStringList {};
        QTest::newRow("completed") << RunPhase::completed << QStringList {} << false << QStringList {};
        QTest::newRow("failed") << RunPhase::failed << QStringList {} << true << QStringList {};
        QTest::newRow("cancelled") << RunPhase::cancelled << QStringList {} << true << QStringList {};
    }
    void activeCardPhases()
    {
        QFETCH(RunPhase, phase);
        QFETCH(QStringList, buttons);
        QFETCH(bool, indeterminate);
        QFETCH(QStringList, figures);
        test::AppStateHarness hub;
        hub.build();
        Column column;
        const ActiveRun run = sampleRun(phase);
        auto* card = column.add(new ActiveRunCard(hub.context().jobs, hub.state->clock(), run));
        QVERIFY(column.show());
        QVERIFY(column.shoot("active-run-" + toString(phase)));

        QStringList shown;
        for (MVButton* button : { card->pauseButton(), card->cancelButton() }) {
            if (button->isVisible())
                shown << button->title();
        }
        QCOMPARE(shown, buttons);
        QCOMPARE(!card->progressBar()->fraction().has_value(), indeterminate);
        const QStringList texts = test::visibleTexts(*card);
        const QStringList heading { "Photos", card->statusChip()->text(), "Pictures", "Backup Disk" };
        QVERIFY2(texts.mid(0, 4) == heading, qPrintable(texts.join(" | ")));
        if (!figures.isEmpty())
            QCOMPARE(texts.mid(4, figures.size()), figures);
        QCOMPARE(card->statusChip()->dot()->isPulsing(), phase == RunPhase::running);
    }

    // A real run, slowed by the job's bandwidth limit, from the job card's "Run Now" through Pause,
    // Resume and Cancel until its active card is gone.
    void runPauseResumeCancel()
    {
        test::AppStateHarness hub;
        BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.files.write("source/Docs/big.bin", QByteArray(1'000'000, 'x'));
        job.options.bandwidthLimitKBps = 1;
        hub.store.replaceJob(job);
        hub.build();
        Column column;
        auto* jobCard = column.add(new JobCard(hub.context(), job.id));
        ActiveCards active(hub.context(), column);
        QVERIFY(column.show());

        QTest::mouseClick(jobCard->runButton(), Qt::LeftButton);
        MV_TRY_VERIFY(active.only() && active.only()->statusChip()->text() == "Running");
        ActiveRunCard* card = active.only();
        MV_TRY_COMPARE(jobCard->runButton()->title(), "Running");
        QVERIFY(jobCard->runButton()->isBusy());
        QVERIFY(!jobCard->runButton()->symbol());
        QCOMPARE(card->pauseButton()->title(), "Pause");
        QVERIFY(column.shoot("cards-run-running"));

        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        MV_TRY_COMPARE(card->statusChip()->text(), "Paused");
        QCOMPARE(card->pauseButton()->title(), "Resume");
        QCOMPARE(jobCard->runButton()->title(), "Running");
        QVERIFY(column.shoot("cards-run-paused"));

        QTest::mouseClick(card->pauseButton(), Qt::LeftButton);
        MV_TRY_COMPARE(card->statusChip()->text(), "Running");
        QCOMPARE(card->pauseButton()->title(), "Pause");

        QTest::mouseClick(card->cancelButton(), Qt::LeftButton);
        MV_TRY_COMPARE(active.section->list().count(), 0);
        MV_TRY_COMPARE(jobCard->runButton()->title(), "Run Now");
        MV_TRY_VERIFY(!hub.rows().empty() && hub.rows().front().result == RunResult::cancelled);
    }

    // Each opening of the context menu reads in full on the accessibility tree, also after the earlier
    // menus are gone.
    void contextMenuReadsAloudEachTime()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        Column column;
        auto* card = column.add(new JobCard(hub.context(), job.id));
        QVERIFY(column.show());
        for (int opening = 1; opening <= 3; ++opening) {
            QPointer<QMenu> menu = openContextMenu(*card);
            QVERIFY(menu);
            QCOMPARE(test::accessibleMenuItems(*menu),
                (QStringList {
                    "Open in Dashboard", "Run Now", "-", "Duplicate", "Disable", "-", "Delete\u2026" }));
            menu->close();
            MV_TRY_VERIFY(menu.isNull());
        }
    }

    // A run's progress reaches its card by one route: the run list is the one subscriber of the
    // coordinator's run changes, and a sample updates the card in place.
    void progressReachesTheCardByOneRoute()
    {
        test::AppStateHarness hub;
        const test::SteppedRun run(hub);
        hub.build();
        Column column;
        ActiveCards active(hub.context(), column);
        QVERIFY(column.show());
        const RunKey key { run.job().id, run.job().destinations.first().id };
        hub.context().jobs.requestRun(run.job(), run.job().destinations.first());
        MV_TRY_VERIFY(active.only() && test::visibleTexts(*active.only()).contains("25%"));
        const QPointer<ActiveRunCard> card = active.only();
        QCOMPARE(test::receiverCount(hub.state->coordinator(), &BackupCoordinator::runChanged), 1);

        run.step();
        MV_TRY_VERIFY(test::visibleTexts(*card).contains("50%"));
        QCOMPARE(active.only(), card.data());
        QCOMPARE(card->key(), key);

        hub.context().jobs.cancel(key);
        MV_TRY_COMPARE(active.section->list().count(), 0);
    }

    // The context menu in its order, each entry acting through the state hub; a left click opens the
    // job in the dashboard.
    void contextMenuActions()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        Column column;
        auto* card = column.add(new JobCard(hub.context(), job.id));
        QVERIFY(column.show());
        QSignalSpy navigation(&hub.context().requests, &ProgramRequests::navigationRequested);

        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(card->width() / 2, 12));
        QCOMPARE(navigation.size(), 1);
        QCOMPARE(navigation.at(0).at(0).value<NavigationRequest>(),
            (NavigationRequest { NavigationRequest::Target::job, job.id }));

        QMenu* menu = openContextMenu(*card);
        QVERIFY(menu);
        QCOMPARE(menuTexts(*menu),
            (QStringList {
                "Open in Dashboard", "Run Now", "—", "Duplicate", "Disable", "—", "Delete\u2026" }));
        menu->actions().at(3)->trigger();
        menu->close();
        QStringList names;
        for (const BackupJob& stored : hub.store.config().jobs)
            names << stored.name;
        QCOMPARE(names, (QStringList { "Docs", "Docs Copy" }));

        QVERIFY(card->runButton()->isEnabled());
        card->toggleAction().trigger();
        QVERIFY(!hub.store.job(job.id)->isEnabled);
        MV_TRY_VERIFY(!card->runButton()->isEnabled());
        QCOMPARE(card->runButton()->title(), "Run Now");
        menu = openContextMenu(*card);
        QVERIFY(menu);
        QCOMPARE(menuTexts(*menu).at(4), "Enable");
        QVERIFY(menu->actions().at(1)->isEnabled());
        menu->close();
        QVERIFY(column.shoot("job-card-off"));

        // Deleting asks first: the card hands the job to the panel, whose confirmation deletes it.
        QSignalSpy deletion(&hub.context().jobs, &JobActions::pendingDeletionChanged);
        card->deleteAction().trigger();
        QCOMPARE(deletion.size(), 1);
        QCOMPARE(hub.context().jobs.pendingDeletion()->id, job.id);
        QVERIFY(hub.store.job(job.id));
        hub.context().jobs.deleteJob(*hub.context().jobs.pendingDeletion());
        QVERIFY(!hub.store.job(job.id));
        QCOMPARE(hub.store.config().jobs.size(), 1);
    }

    // Three destinations: two rows and "+1 more"; once pressed, every row stays for the card's life.
    void hiddenDestinations()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs",
            { { "ssd", BackupMode::incremental }, { "nas", BackupMode::mirror },
                { "usb", BackupMode::versioned } });
        const BackupJob bare = hub.addJob("Empty", {});
        hub.build();
        Column column;
        auto* card = column.add(new JobCard(hub.context(), job.id));
        auto* empty = column.add(new JobCard(hub.context(), bare.id));
        QVERIFY(column.show());
        QVERIFY(column.shoot("job-card-three-destinations"));

        QCOMPARE(card->destinationRows().size(), 2);
        QVERIFY(card->moreButton()->isVisible());
        QCOMPARE(card->moreButton()->text(), "+1 more");
        QVERIFY(test::visibleTexts(*card).contains("+1 more"));
        const DestinationDisplayStatus first
            = hub.context().status.destinationStatus(job.id, job.destinations.at(0).id);
        QCOMPARE(card->destinationRows().at(0)->toolTip(),
            first.detail.value_or(job.destinations.at(0).displayPath()));
        QCOMPARE(card->destinationRows().at(0)->accessibleName(), "ssd, " + first.text);

        QTest::mouseClick(card->moreButton(), Qt::LeftButton);
        QCOMPARE(card->destinationRows().size(), 3);
        QVERIFY(!card->moreButton()->isVisible());
        QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), card->mapToGlobal(QPointF(20, 20)));
        QApplication::sendEvent(card, &enter);
        QVERIFY(card->isHighlighted());
        // A change of the job refreshes the card in place: hover and revealed rows stay.
        hub.context().jobs.toggleJob(job);
        MV_TRY_COMPARE(card->statusChip()->text(), hub.context().status.jobStatus(job.id).text);
        QCOMPARE(card->destinationRows().size(), 3);
        QVERIFY(!card->moreButton()->isVisible());
        QVERIFY(card->isHighlighted());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(card, &leave);
        QVERIFY(!card->isHighlighted());

        QCOMPARE(empty->destinationRows().size(), 0);
        QVERIFY(!empty->moreButton()->isVisible());
        QCOMPARE(empty->statusChip()->text(), "No destination");
    }

    // The activity row names the job and the destination, or the destination alone, and shows an error
    // only for a run that did not succeed.
    void activityRows_data()
    {
        QTest::addColumn<RunResult>("result");
        QTest::addColumn<bool>("showJob");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("error");
        QTest::newRow("failed, with the job")
            << RunResult::failed << true << QStringList { "Docs", "\u2192", "ssd" } << true;
        QTest::newRow("success, destination alone")
            << RunResult::success << false << QStringList { "ssd" } << false;
    }
    void activityRows()
    {
        QFETCH(RunResult, result);
        QFETCH(bool, showJob);
        QFETCH(QStringList, names);
        QFETCH(bool, error);
        test::AppStateHarness hub;
        hub.build();
        BackupRunRecord record;
        record.id = QUuid::createUuid();
        record.jobName = "Docs";
        record.destinationName = "ssd";
        record.result = result;
        record.startedAt = hub.state->clock().now().addSecs(-600);
        record.endedAt = record.startedAt.addSecs(60);
        record.errorSummary = "The destination is full";
        Column column;
        auto* row = column.add(new ActivityRow(hub.state->clock(), record, showJob));
        QVERIFY(column.show());
        const QStringList texts = test::visibleTexts(*row);
        for (const QString& name : names)
            QVERIFY2(texts.contains(name), qPrintable(texts.join(" | ")));
        QCOMPARE(texts.contains("The destination is full"), error);
        QVERIFY(texts.contains("9 min. ago"));
        QCOMPARE(texts.size(), names.size() + (error ? 2 : 1));
    }
};

MV_UI_TEST_MAIN(tst_PanelCards)
#include "tst_PanelCards.moc"
