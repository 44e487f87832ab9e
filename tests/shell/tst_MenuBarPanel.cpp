#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/DemoSeeder.h"
#include "model/UuidText.h"
#include "shell/ActiveRunsSection.h"
#include "shell/AlertPresenter.h"
#include "shell/JobsSection.h"
#include "shell/MenuBarPanel.h"
#include "shell/PanelFooter.h"
#include "shell/PanelHeader.h"
#include "shell/PanelRootView.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/ModalKeys.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SmallSpinner.h"
#include "ui/kit/TextLabel.h"
#include "ui/models/shared/ActivityRowPresentation.h"

#include <QAccessible>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

using namespace mv;
using Target = NavigationRequest::Target;

namespace {

const QColor patternA(255, 0, 200);
const QColor patternB(0, 200, 90);

// The root drawn over a loud checkerboard, so that what is see-through shows.
QImage overPattern(QWidget& root)
{
    // Laid out as the event loop would before the next paint.
    for (int pass = 0; pass < 4; ++pass)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QImage image(root.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    for (int y = 0; y < image.height(); y += 12) {
        for (int x = 0; x < image.width(); x += 12)
            painter.fillRect(x, y, 12, 12, ((x + y) / 12) % 2 ? patternA : patternB);
    }
    root.render(&painter, {}, {}, QWidget::DrawChildren);
    return image;
}

bool saveOverPattern(QWidget& root, const QString& name)
{
    bool saved = true;
    for (const auto appearance : { Appearance::light, Appearance::dark }) {
        forceAppearance(&root, appearance);
        const QString file = name + (appearance == Appearance::light ? "-light.png" : "-dark.png");
        saved = overPattern(root).save(QDir(test::screenshotFolder()).filePath(file)) && saved;
    }
    return saved;
}

ActiveRun run(const QString& name, int startedMinute)
{
    ActiveRun run;
    run.key = { QUuid::createUuid(), QUuid::createUuid() };
    run.jobName = name;
    run.destinationName = "ssd";
    run.progress.phase = RunPhase::running;
    run.progress.startedAt = QDateTime(QDate(2026, 12, 9), QTime(8, startedMinute), Qt::UTC);
    return run;
}

// The navigation requests the panel's buttons make.
struct Requests {
    QList<NavigationRequest> made;
    explicit Requests(ProgramRequests& requests)
    {
        QObject::connect(&requests, &ProgramRequests::navigationRequested, &requests,
            [this](const NavigationRequest& request) { made.append(request); });
    }
};

} // namespace

class tst_MenuBarPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first start: the window is 452 × 652 with the 420 × 620 card in its middle and a see-through
    // margin; the content invites to add a job and the footer has no last run.
    void firstRun()
    {
        test::AppStateHarness hub;
        hub.build();
        PanelRootView root(hub.context());
        root.show();
        MenuBarPanel& panel = root.panel();
        QCOMPARE(root.size(), QSize(452, 652));
        QCOMPARE(panel.geometry(), QRect(16, 16, 420, 620));

        QVERIFY(panel.emptyState()->isVisible());
        QVERIFY(!panel.list()->isVisible());
        QVERIFY(!panel.footer()->lastRunButton()->isVisible());
        QCOMPARE(test::visibleTexts(root),
            (QStringList { "Marrowvale", "Nothing is backed up yet", "Nothing is backed up yet",
                "Choose a folder and a destination. Marrowvale copies changes and never deletes anything "
                "unless you ask it to.",
                "Add Backup", "Add Backup" }));
        QCOMPARE(panel.header()->headline()->toolTip(), "Add a folder to protect it.");
        QCOMPARE(panel.footer()->dashboardButton()->toolTip(), "Open Dashboard (Ctrl+D)");

        const QImage light = overPattern(root);
        QCOMPARE(light.pixelColor(3, 3), patternB);
        QVERIFY(light.pixelColor(226, 300) != patternA && light.pixelColor(226, 300) != patternB);
        // The shadow darkens the margin under the card.
        const QColor belowCard = light.pixelColor(228, 640);
        QVERIFY2(belowCard.lightness() < std::min(patternA.lightness(), patternB.lightness()) - 10,
            qPrintable(belowCard.name()));
        QVERIFY(saveOverPattern(root, "panel-first-run"));
    }

    // The first-run invitation takes the panel's width: the message wraps at its 280 px limit, centred,
    // and "Add Backup" stands 10 + 4 px under it.
    void firstRunLayout()
    {
        test::AppStateHarness hub;
        hub.build();
        PanelRootView root(hub.context());
        root.show();
        QVERIFY(QTest::qWaitForWindowExposed(&root));
        EmptyStateView* empty = root.panel().emptyState();
        TextLabel* message = nullptr;
        for (TextLabel* label : empty->findChildren<TextLabel*>()) {
            if (label->text().startsWith("Choose a folder"))
                message = label;
        }
        QVERIFY(message);
        const QRect text = message->geometry();
        QCOMPARE(text.width(), 280);
        // Centred to the pixel: an odd leftover puts the extra pixel on one side.
        const auto centred = [](const QRect& rect, int width) {
            return std::abs(2 * rect.left() + rect.width() - width) <= 1;
        };
        QVERIFY(centred(text, empty->width()));
        QVERIFY2(text.height() <= 3 * message->fontMetrics().lineSpacing(),
            qPrintable(QString::number(text.height())));
        const QRect button = empty->actionButton()->geometry();
        QCOMPARE(button.top() - (text.bottom() + 1), 14);
        QVERIFY(centred(button, empty->width()));
        const QRect inPanel(empty->mapTo(&root.panel(), QPoint(0, 0)), empty->size());
        QVERIFY(centred(inPanel, root.panel().width()));
    }

    // The demo's jobs and history: three job entries, the last run in the footer, and every button asks
    // for its place in the dashboard.
    void demoData()
    {
        test::AppStateHarness hub;
        DemoSeeder seeder(hub.store);
        qputenv("MARROWVALE_DEMO", "1");
        seeder.seedConfigurationIfNeeded();
        QCOMPARE(hub.store.config().jobs.size(), 3);
        hub.build();
        seeder.seedHistoryIfNeeded(hub.state->history());
        qunsetenv("MARROWVALE_DEMO");
        QVERIFY(!hub.rows().empty());
        hub.context().history.refresh();
        MV_TRY_VERIFY(!hub.context().history.recentRuns().empty());
        PanelRootView root(hub.context());
        root.show();
        MenuBarPanel& panel = root.panel();
        panel.flush();

        QVERIFY(panel.list()->isVisible());
        QVERIFY(!panel.emptyState()->isVisible());
        QCOMPARE(panel.jobsSection()->list().count(), 3);
        QCOMPARE(panel.jobsSection()->header()->caption(), "BACKUP JOBS");
        QVERIFY(panel.footer()->lastRunButton()->isVisible());
        QVERIFY(saveOverPattern(root, "panel-demo"));

        Requests requests(hub.context().requests);
        const BackupRunRecord last = hub.context().history.recentRuns().front();
        // A screen reader hears the run the last-run button shows, as shown; the tooltip says where it leads.
        QString lastRunText = last.jobName + " \u2192 " + last.destinationName;
        if (const std::optional<QString> error = ActivityRowPresentation::errorLine(last))
            lastRunText += ", " + *error;
        lastRunText += ", " + ActivityRowPresentation::timeText(last, hub.state->clock().now());
        QAccessibleInterface* lastRun
            = QAccessible::queryAccessibleInterface(panel.footer()->lastRunButton());
        QCOMPARE(lastRun->role(), QAccessible::Button);
        QCOMPARE(lastRun->text(QAccessible::Name), lastRunText);
        QCOMPARE(lastRun->text(QAccessible::Description), "Open activity");
        QTest::mouseClick(panel.footer()->lastRunButton(), Qt::LeftButton);
        panel.footer()->addButton()->click();
        panel.jobsSection()->header()->actionButton()->click();
        panel.footer()->dashboardButton()->click();
        panel.footer()->activityButton()->click();
        panel.header()->settingsButton()->click();
        panel.footer()->quitButton()->click();
        QCOMPARE(requests.made,
            (QList<NavigationRequest> { { Target::activity, last.jobID }, { Target::newJob, std::nullopt },
                { Target::newJob, std::nullopt }, { Target::dashboard, std::nullopt },
                { Target::activity, std::nullopt }, { Target::settings, std::nullopt },
                { Target::quit, std::nullopt } }));
    }

    // A real run shows in the active section while it runs and leaves it when it ends, though the
    // coordinator keeps the finished entry a little longer.
    void aRunComesAndGoes()
    {
        test::AppStateHarness hub;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd", "/usr/bin/rsync \"$@\"; " + test::ScriptedRsync::holdUntilReleased());
        hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        PanelRootView root(hub.context());
        root.show();
        MenuBarPanel& panel = root.panel();
        QVERIFY(!panel.activeSection()->isVisible());

        hub.context().jobs.runJob(job);
        MV_TRY_VERIFY(panel.activeSection()->isVisible());
        QCOMPARE(panel.activeSection()->list().count(), 1);
        MV_TRY_VERIFY(panel.header()->headline()->text().startsWith("Backing up Docs"));
        QCOMPARE(
            panel.header()->headline()->toolTip(), "You can close this panel. The backup keeps running.");
        QVERIFY(saveOverPattern(root, "panel-running"));

        rsync.release("ssd");
        MV_TRY_VERIFY(!panel.activeSection()->isVisible());
        QVERIFY(!hub.state->coordinator().runs().isEmpty());
        MV_TRY_VERIFY(panel.footer()->lastRunButton()->isVisible());
    }

    // Two runs are both listed; five list the two oldest and a button for the other three, which lists
    // every run from then on.
    void activeRunsAreCapped()
    {
        test::AppStateHarness hub;
        hub.build();
        ActiveRunsSection section(hub.context());
        section.show();
        const QList<ActiveRun> two { run("A", 1), run("B", 2) };
        section.setRuns(two);
        QCOMPARE(section.list().count(), 2);
        QVERIFY(!section.showMoreButton()->isVisible());

        QList<ActiveRun> five = two + QList { run("C", 3), run("D", 4), run("E", 5) };
        section.setRuns(five);
        QCOMPARE(section.list().count(), 2);
        QCOMPARE(test::visibleTexts(section).first(), "ACTIVE BACKUP");
        QCOMPARE(section.findChild<SectionHeader*>()->countCapsule()->count(), 5);
        QVERIFY(section.showMoreButton()->isVisible());
        QCOMPARE(test::visibleTexts(*section.showMoreButton()), QStringList { "Show 3 more runs" });

        QTest::mouseClick(section.showMoreButton(), Qt::LeftButton);
        QCOMPARE(section.list().count(), 5);
        QVERIFY(!section.showMoreButton()->isVisible());
        section.setRuns({});
        section.setRuns({ run("F", 6), run("G", 7), run("H", 8) });
        QCOMPARE(section.list().count(), 3);
        QVERIFY(!section.showMoreButton()->isVisible());
    }

    // An entry whose identity stays keeps its widget, which follows its job's change by itself; a gone one
    // is deleted; the order follows the rows.
    void entriesAreKeptByIdentity()
    {
        test::AppStateHarness hub;
        hub.build();
        JobsSection section(hub.context());
        section.show();
        QList<JobRow> rows;
        for (const QString name : { "Photos", "Music", "Mail" })
            rows.append({ hub.addJob(name, { { name, BackupMode::incremental } }), {} });
        section.setJobs(rows);
        const QList<QWidget*> before = section.list().entries();
        QCOMPARE(before.size(), 3);
        const QPointer<QWidget> gone = before[2];

        rows[1].job.name = "Songs";
        hub.store.replaceJob(rows[1].job);
        section.setJobs({ rows[1], rows[0] });
        QCOMPARE(section.list().entries(), (QList { before[1], before[0] }));
        QVERIFY(!gone->isVisible());
        MV_TRY_VERIFY(gone.isNull());
        MV_TRY_VERIFY(before[1]->accessibleName().startsWith("Songs"));
        QVERIFY(before[0]->y() > before[1]->y());
    }

    // The panel is made soon after the launch though nobody opens it: its job cards are made only when it
    // shows, from the jobs as they are then, and the count is right before.
    void cardsAreMadeWhenShown()
    {
        test::AppStateHarness hub;
        const BackupJob photos = hub.addJob("Photos", { { "ssd", BackupMode::incremental } });
        hub.addJob("Music", { { "nas", BackupMode::incremental } });
        hub.build();
        PanelRootView root(hub.context());
        MenuBarPanel& panel = root.panel();
        panel.flush();
        QCOMPARE(panel.jobsSection()->list().count(), 0);
        QCOMPARE(panel.jobsSection()->header()->countCapsule()->count(), 2);

        hub.addJob("Mail", { { "usb", BackupMode::incremental } });
        MV_TRY_COMPARE(panel.jobsSection()->header()->countCapsule()->count(), 3);
        QCOMPARE(panel.jobsSection()->list().count(), 0);
        root.show();
        QCOMPARE(panel.jobsSection()->list().count(), 3);

        root.hide();
        hub.store.deleteJob(photos.id);
        MV_TRY_COMPARE(panel.jobsSection()->header()->countCapsule()->count(), 2);
        root.show();
        QCOMPARE(panel.jobsSection()->list().count(), 2);
        QVERIFY(!panel.jobsSection()->list().entry(uuidText(photos.id)));
    }

    // A deletion request is taken once and confirmed over the panel by the one presenter: Cancel (the
    // default) keeps the job, "Delete Backup" removes it and the panel shows its first-run content again.
    void deletionIsConfirmed()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        PanelRootView root(hub.context());
        AlertPresenter presenter(hub.context());
        presenter.addHost(&root);
        root.show();
        MenuBarPanel& panel = root.panel();

        for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Escape }) {
            hub.context().jobs.setPendingDeletion(job);
            QVERIFY(test::pressOnModal(key));
            MV_TRY_VERIFY(!presenter.deleteConfirmation());
            QCOMPARE(hub.store.config().jobs.size(), 1);
        }
        for (const QString answer : { "Cancel", "Delete Backup" }) {
            hub.context().jobs.setPendingDeletion(job);
            QVERIFY(!hub.context().jobs.pendingDeletion());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->text(), "Delete \u201cDocs\u201d?");
            QCOMPARE(box->informativeText(),
                "The job and its schedule are removed. Files already at the destination are not deleted.");
            QStringList titles;
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                titles.append(button->text());
                if (button->text() == answer)
                    chosen = button;
            }
            QCOMPARE(titles.size(), 2);
            QVERIFY(titles.contains("Delete Backup") && titles.contains("Cancel"));
            QCOMPARE(box->defaultButton()->text(), "Cancel");
            if (answer == QLatin1String("Cancel"))
                QVERIFY(test::saveLightAndDark(*box, "panel-delete-confirmation"));
            QVERIFY(chosen);
            chosen->click();
            MV_TRY_VERIFY(!presenter.deleteConfirmation());
            if (answer == QLatin1String("Cancel"))
                QCOMPARE(hub.store.config().jobs.size(), 1);
        }
        QVERIFY(hub.store.config().jobs.isEmpty());
        MV_TRY_VERIFY(panel.emptyState()->isVisible());
        QCOMPARE(panel.jobsSection()->list().count(), 0);
    }

    // While a manual mirror run's preview is worked out, the header's spinner turns beside the name; it
    // goes when the preview has answered.
    void mirrorCheckShowsTheSpinner()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "mirror", BackupMode::mirror } });
        // An rsync whose dry run waits for the test's word, so the check stays in progress until then.
        const QString go = hub.files.filePath("go");
        const QString rsync = test::executableScript(hub.files, "held-rsync",
            "if [ \"$1\" = --version ]; then echo 'rsync  version 3.2.7  protocol version 31'; exit 0; fi\n"
            "while [ ! -e '"
                + go.toUtf8() + "' ]; do sleep 0.05; done\nexec rsync \"$@\"\n");
        hub.settings([&](AppSettings& settings) { settings.rsyncPath = rsync; });
        hub.build();
        PanelRootView root(hub.context());
        root.show();
        PanelHeader& header = *root.panel().header();
        QVERIFY(!header.spinner()->isVisible());

        hub.context().jobs.requestRun(job, job.destinations.first());
        MV_TRY_VERIFY(hub.context().jobs.mirrorCheckInProgress());
        MV_TRY_VERIFY(header.spinner()->isVisible());
        QVERIFY(saveOverPattern(root, "panel-mirror-check"));

        QFile(go).open(QIODevice::WriteOnly);
        MV_TRY_VERIFY(!hub.context().jobs.mirrorCheckInProgress());
        MV_TRY_VERIFY(!header.spinner()->isVisible());
    }
};

MV_UI_TEST_MAIN(tst_MenuBarPanel)
#include "tst_MenuBarPanel.moc"
