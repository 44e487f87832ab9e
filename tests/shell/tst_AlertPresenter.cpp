#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "shell/AlertPresenter.h"
#include "shell/MirrorPreviewSheet.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace mv;

namespace {

// Every alert a person can see now, wherever it is.
QList<QMessageBox*> shownAlerts()
{
    QList<QMessageBox*> alerts;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* alert = qobject_cast<QMessageBox*>(window); alert && alert->isVisible())
            alerts << alert;
    }
    return alerts;
}

QStringList buttonTitles(const QMessageBox& alert)
{
    QStringList titles;
    for (const QAbstractButton* button : alert.buttons())
        titles << button->text();
    return titles;
}

// The two windows that carry alerts, both on screen.
struct Hosts {
    QWidget panel;
    QWidget dashboard;

    explicit Hosts(AlertPresenter& presenter)
    {
        panel.setWindowTitle("panel");
        dashboard.setWindowTitle("dashboard");
        presenter.addHost(&panel);
        presenter.addHost(&dashboard);
        panel.show();
        dashboard.show();
    }
};

} // namespace

class tst_AlertPresenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void issueAlert_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<std::optional<QString>>("recovery");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<QString>("shownMessage");
        QTest::newRow("with recovery")
            << "Destination is busy" << std::optional<QString>("Nothing was written.")
            << "Destination is busy"
            << "Docs writes there.\n\nNothing was written.";
        QTest::newRow("without recovery")
            << "Destination is busy" << std::optional<QString>() << "Destination is busy"
            << "Docs writes there.";
        QTest::newRow("untitled") << "" << std::optional<QString>("Nothing was written.")
                                  << "Something needs attention"
                                  << "Docs writes there.\n\nNothing was written.";
    }

    // The issue shows its title, then its message and after a blank line its recovery; "OK" clears it.
    void issueAlert()
    {
        QFETCH(QString, title);
        QFETCH(std::optional<QString>, recovery);
        QFETCH(QString, shownTitle);
        QFETCH(QString, shownMessage);
        test::AppStateHarness hub;
        hub.build();
        AlertPresenter presenter(hub.context());
        Hosts hosts(presenter);

        hub.state->coordinator().setIssue(
            CoordinatorIssue::make(title, "Docs writes there.", recovery, "exclamationmark.triangle"));
        QCOMPARE(shownAlerts().size(), 1);
        QMessageBox* alert = presenter.issueAlert();
        QCOMPARE(QApplication::activeModalWidget(), alert);
        QCOMPARE(alert->text(), shownTitle);
        QCOMPARE(alert->informativeText(), shownMessage);
        QCOMPARE(buttonTitles(*alert), QStringList { "OK" });
        if (QTest::currentDataTag() == QLatin1String("with recovery"))
            QVERIFY(test::saveLightAndDark(*alert, "IssueAlert"));

        QTest::mouseClick(alert->buttons().first(), Qt::LeftButton);
        QVERIFY(!hub.state->coordinator().issue());
        QVERIFY(!presenter.issueAlert());
        MV_TRY_VERIFY(shownAlerts().isEmpty());
    }

    // A new issue while one is shown replaces its words in the same alert; Escape clears it too.
    void newIssueReplacesTheShownOne()
    {
        test::AppStateHarness hub;
        hub.build();
        AlertPresenter presenter(hub.context());
        Hosts hosts(presenter);
        hub.state->coordinator().setIssue(CoordinatorIssue::turnedOff("Docs"));
        QMessageBox* alert = presenter.issueAlert();
        hub.state->coordinator().setIssue(CoordinatorIssue::make("Second", "Other.", std::nullopt, ""));
        QCOMPARE(presenter.issueAlert(), alert);
        QCOMPARE(alert->text(), "Second");
        QCOMPARE(shownAlerts().size(), 1);

        QTest::keyClick(alert, Qt::Key_Escape);
        QVERIFY(!hub.state->coordinator().issue());
    }

    // The banner is titled "Marrowvale", "OK" clears it, and a later banner shows again.
    void bannerAlert()
    {
        test::AppStateHarness hub;
        hub.build();
        AlertPresenter presenter(hub.context());
        Hosts hosts(presenter);

        hub.context().requests.setBanner("Connected to nas.local.");
        QCOMPARE(shownAlerts().size(), 1);
        QMessageBox* alert = presenter.bannerAlert();
        QCOMPARE(alert->text(), "Marrowvale");
        QCOMPARE(alert->informativeText(), "Connected to nas.local.");
        QCOMPARE(buttonTitles(*alert), QStringList { "OK" });
        QVERIFY(test::saveLightAndDark(*alert, "BannerAlert"));
        QTest::mouseClick(alert->buttons().first(), Qt::LeftButton);
        QVERIFY(!hub.context().requests.banner());
        MV_TRY_VERIFY(shownAlerts().isEmpty());

        hub.context().requests.setBanner("Again.");
        QVERIFY(presenter.bannerAlert());
        QCOMPARE(presenter.bannerAlert()->informativeText(), "Again.");
        // Cleared elsewhere: the alert goes without touching anything else.
        hub.context().requests.setBanner(std::nullopt);
        MV_TRY_VERIFY(shownAlerts().isEmpty());
    }

    // With the panel and the dashboard both open, the issue, the banner and the mirror prompt each show
    // once, all on the active window; so is a deletion asked for twice.
    void oneCopyOfEachWithTwoHosts()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        hub.build();
        AlertPresenter presenter(hub.context());
        Hosts hosts(presenter);
        hosts.panel.activateWindow();
        MV_TRY_VERIFY(hosts.panel.isActiveWindow());

        hub.state->coordinator().setIssue(CoordinatorIssue::turnedOff("Docs"));
        hub.context().requests.setBanner("Connected.");
        hub.context().jobs.setMirrorPrompt(
            MirrorPrompt { QUuid::createUuid(), job, job.destinations.first(), { { "stray.txt" }, 1 }, {} });
        // Asked twice, as two windows' menus would: one question.
        hub.context().jobs.askToDelete(job);
        hub.context().jobs.askToDelete(job);
        QCoreApplication::processEvents();
        QCOMPARE(shownAlerts().size(), 3);
        int sheets = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            sheets += qobject_cast<MirrorPreviewSheet*>(window) && window->isVisible();
        QCOMPARE(sheets, 1);
        QCOMPARE(presenter.issueAlert()->parentWidget(), &hosts.panel);
        QCOMPARE(presenter.bannerAlert()->parentWidget(), &hosts.panel);
        QCOMPARE(presenter.mirrorSheet()->parentWidget(), &hosts.panel);
        QCOMPARE(presenter.deleteConfirmation()->parentWidget(), &hosts.panel);
        QCOMPARE(presenter.deleteConfirmation()->text(), "Delete \u201cDocs\u201d?");
    }

    // Nothing shows while no host is on screen; the first one to appear takes the alert, and when its
    // window goes or stops hosting, the alert moves to another one.
    void followsTheWindowOnScreen()
    {
        test::AppStateHarness hub;
        hub.build();
        AlertPresenter presenter(hub.context());
        QWidget panel;
        QWidget dashboard;
        presenter.addHost(&panel);
        presenter.addHost(&dashboard);

        hub.context().requests.setBanner("Waiting for a window.");
        QVERIFY(shownAlerts().isEmpty());
        dashboard.show();
        MV_TRY_COMPARE(shownAlerts().size(), 1);
        QCOMPARE(presenter.bannerAlert()->parentWidget(), &dashboard);

        panel.show();
        dashboard.hide();
        MV_TRY_COMPARE(presenter.bannerAlert()->parentWidget(), &panel);
        MV_TRY_COMPARE(shownAlerts().size(), 1);
        QVERIFY(hub.context().requests.banner());

        // A window that no longer hosts hands the alert on.
        dashboard.show();
        presenter.removeHost(&panel);
        MV_TRY_COMPARE(presenter.bannerAlert()->parentWidget(), &dashboard);
        MV_TRY_COMPARE(shownAlerts().size(), 1);
    }
};

MV_UI_TEST_MAIN(tst_AlertPresenter)
#include "tst_AlertPresenter.moc"
