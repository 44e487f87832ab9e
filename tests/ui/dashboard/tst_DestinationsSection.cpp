#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/DemoSeeder.h"
#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/dashboard/DestinationDetailRow.h"
#include "ui/dashboard/DestinationsSection.h"
#include "ui/dashboard/SectionTestHelpers.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/SectionHeader.h"

#include <QtTest>

using namespace mv;

namespace {

// The Destinations page as the dashboard shows it.
struct Destinations : test::DashboardViewHarness {
    void open()
    {
        build();
        model.setSection(DashboardSection::destinations);
    }
    DestinationsSection& section() { return *view->sectionView()->findChild<DestinationsSection*>(); }
    QStringList texts() { return test::visibleTexts(section()); }
    DestinationDetailRow* row(const QString& name)
    {
        for (DestinationDetailRow* row : section().rows()) {
            if (row->destination().name == name)
                return row;
        }
        return nullptr;
    }
};

// Adds "Server" over SSH to `host` to a new job "Remote".
BackupJob addSshJob(Destinations& d, const QString& host)
{
    BackupJob job = d.hub.addJob("Remote", { { "Server", BackupMode::incremental } });
    job.destinations[0].kind = DestinationKind::ssh;
    job.destinations[0].host = host;
    job.destinations[0].path = "/srv/backups";
    d.hub.store.replaceJob(job);
    return job;
}

} // namespace

class tst_DestinationsSection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The demo: four destinations across three jobs, one header per job with its count, k - 1 dividers per
    // card, and "Check Now" asking the monitor for a fresh pass.
    void demo()
    {
        qputenv("MARROWVALE_DEMO", "1");
        const auto demoOff = qScopeGuard([] { qunsetenv("MARROWVALE_DEMO"); });
        Destinations d;
        DemoSeeder(d.hub.store, d.clock).seedConfigurationIfNeeded();
        d.open();
        QCOMPARE(d.section().countsText(), "4 destinations across 3 jobs");
        const QList<SectionHeader*> headers = d.section().findChildren<SectionHeader*>();
        QCOMPARE(headers.size(), 3);
        QCOMPARE(headers[0]->countCapsule()->count(), 2);
        const QList<CardSurface*> cards = d.section().findChildren<CardSurface*>();
        QList<int> dividers;
        for (CardSurface* card : cards)
            dividers << card->findChildren<Hairline*>().size();
        QCOMPARE(dividers, (QList<int> { 1, 0, 0 }));
        const QStringList texts = d.texts();
        for (const QString& expected : QStringList { "DOCUMENTS", "Backup SSD", "Local", "Network",
                 "Versioned", "The destination volume is not mounted." })
            QVERIFY2(texts.contains(expected), qPrintable(expected + " in " + texts.join(" | ")));

        QSignalSpy refreshed(&d.hub.state->monitor(), &DestinationMonitor::refreshed);
        QTest::mouseClick(d.section().checkNowButton(), Qt::LeftButton);
        MV_TRY_VERIFY(refreshed.size() >= 1);
        QVERIFY(test::saveLightAndDark(*d.view, "dashboard-destinations"));
    }

    // Without jobs: both counts 0, "Check Now", and the empty state whose "Add Backup" asks for a new job.
    void noJobs()
    {
        Destinations d;
        d.open();
        QCOMPARE(d.section().countsText(), "0 destinations across 0 jobs");
        QVERIFY(d.texts().contains("No destinations"));
        QVERIFY(d.texts().contains("Destinations are added inside a backup job."));
        QList<NavigationRequest> asked;
        connect(&d.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });
        QTest::mouseClick(d.section().findChild<EmptyStateView*>()->actionButton(), Qt::LeftButton);
        QCOMPARE(asked, (QList<NavigationRequest> { { NavigationRequest::Target::newJob, std::nullopt } }));
        QVERIFY(test::saveLightAndDark(*d.view, "dashboard-destinations-empty"));
    }

    // A job without destinations keeps its header with a count of 0; a single destination has no divider.
    void jobWithoutDestinations()
    {
        Destinations d;
        d.hub.addJob("Empty", {});
        d.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        d.open();
        QCOMPARE(d.section().countsText(), "1 destinations across 2 jobs");
        QCOMPARE(d.section().findChildren<SectionHeader*>().size(), 2);
        QCOMPARE(d.section().findChildren<Hairline*>().size(), 0);
    }

    // The menu per kind: SSH offers "Test Connection", the others show their folder.
    void menus()
    {
        Destinations d;
        d.hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        addSshJob(d, "backup.example.org");
        d.open();
        QCOMPARE(test::menuItems([&](QMenu& m) { d.row("ssd")->menuButton()->fillMenu(m); }),
            (QStringList { "Run Now", "Edit Job\u2026", "Show in File Manager", "Show History" }));
        QCOMPARE(test::menuItems([&](QMenu& m) { d.row("Server")->fillMenu(m); }),
            (QStringList { "Run Now", "Edit Job\u2026", "Test Connection", "Show History" }));

        const BackupJob docs = d.hub.store.config().jobs[0];
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { d.row("ssd")->fillMenu(m); }, "Show in File Manager"));
        QCOMPARE(d.prompts.opened, (QList<QUrl> { QUrl::fromLocalFile(docs.destinations[0].path) }));
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { d.row("ssd")->fillMenu(m); }, "Edit Job\u2026"));
        QCOMPARE(d.view->editor()->job.id, docs.id);
        QList<NavigationRequest> asked;
        connect(&d.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { d.row("ssd")->fillMenu(m); }, "Show History"));
        QCOMPARE(asked, (QList<NavigationRequest> { { NavigationRequest::Target::activity, docs.id } }));
    }

    // The probe's answer, whatever it is, becomes the banner.
    void testConnectionWithInvalidHost()
    {
        Destinations d;
        addSshJob(d, "-oProxyCommand=evil");
        d.open();
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { d.row("Server")->fillMenu(m); }, "Test Connection"));
        MV_TRY_VERIFY(d.hub.context().requests.banner().has_value());
        QVERIFY2(d.hub.context().requests.banner()->startsWith("The server details are not valid."),
            qPrintable(*d.hub.context().requests.banner()));
    }

    // The facts with and without a next run, and the error only while the status calls for it.
    void factsAndErrorLine()
    {
        Destinations d;
        BackupJob job = d.hub.addJob(
            "Docs", { { "ssd", BackupMode::incremental }, { "nas", BackupMode::incremental } });
        job.destinations[0].usesJobSchedule = false;
        job.destinations[0].schedule.kind = ScheduleKind::hourly;
        job.destinations[0].nextRun = d.clock.now().addSecs(1800);
        job.destinations[0].lastResult = RunResult::failed;
        job.destinations[0].lastAttempt = d.clock.now().addSecs(-60);
        job.destinations[0].lastError = "The destination disk is full.";
        job.destinations[1].lastError = "An old error.";
        job.destinations[1].lastResult = RunResult::success;
        job.destinations[1].lastSuccess = d.clock.now().addSecs(-60);
        job.destinations[1].lastAttempt = d.clock.now().addSecs(-60);
        d.hub.store.replaceJob(job);
        d.open();
        const QStringList failed = test::visibleTexts(*d.row("ssd"));
        QVERIFY2(failed.contains("The destination disk is full."), qPrintable(failed.join(" | ")));
        QVERIFY(failed.contains("Hourly"));
        QVERIFY(std::any_of(
            failed.begin(), failed.end(), [](const QString& t) { return t.startsWith("Next "); }));
        const QStringList fine = test::visibleTexts(*d.row("nas"));
        QVERIFY2(!fine.contains("An old error."), qPrintable(fine.join(" | ")));
        QVERIFY(
            std::none_of(fine.begin(), fine.end(), [](const QString& t) { return t.startsWith("Next "); }));
    }
};

MV_UI_TEST_MAIN(tst_DestinationsSection)
#include "tst_DestinationsSection.moc"
