#include "coordination/AppState.h"
#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "platform/AutostartEntry.h"
#include "support/EnumCompare.h"
#include "support/ExecutableScript.h"
#include "support/FakeGoogleServer.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/ModalKeys.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/settings/AdvancedSettingsTab.h"
#include "ui/settings/BackupSettingsTab.h"
#include "ui/settings/GeneralSettingsTab.h"
#include "ui/settings/GoogleSettingsTab.h"
#include "ui/settings/NotificationSettingsTab.h"
#include "ui/settings/SettingsSectionView.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>

using namespace mv;

namespace {

const int generous = int(test::integrationTimeout.count());

// The settings page on a real state hub, at the size the dashboard gives it.
struct Page {
    test::AppStateHarness hub;
    test::RecordingPrompts prompts;
    std::optional<SettingsSectionView> view;

    void build()
    {
        if (!hub.state)
            hub.build();
        view.emplace(hub.context(), prompts);
        view->resize(780, 620);
        view->show();
    }
    ConfigurationStore& store() { return hub.state->store(); }
    const AppSettings& settings() { return store().config().settings; }
    // The document as config.json holds it once the pending save has been written.
    QJsonObject saved()
    {
        const QString path = hub.support.filePath("config.json");
        if (!QTest::qWaitFor([this] { return !store().hasPendingSave(); }, generous))
            return {};
        return QJsonDocument::fromJson(test::TempDir::read(path)).object();
    }
};

QString installedRsyncVersion()
{
    QProcess rsync;
    rsync.start("/usr/bin/rsync", { "--version" });
    rsync.waitForFinished();
    return "v"
        + QRegularExpression(R"(version\s+(\d+\.\d+\.\d+))")
              .match(QString::fromUtf8(rsync.readAll()))
              .captured(1);
}

QByteArray clientFile(const QString& id, const QString& secret)
{
    return QJsonDocument(
        QJsonObject { { "installed", QJsonObject { { "client_id", id }, { "client_secret", secret } } } })
        .toJson();
}

void click(QWidget* widget)
{
    QVERIFY(widget->isVisible());
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The button of the open message box titled `title`.
QAbstractButton* boxButton(const QString& title)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
        return nullptr;
    for (QAbstractButton* button : box->buttons())
        if (button->text() == title)
            return button;
    return nullptr;
}

} // namespace

class tst_SettingsSectionView : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase()
    {
        // The autostart entry of these tests lives here, apart from any other test's.
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void cleanup() { qunsetenv("MARROWVALE_DEBUG_SETTINGS_TAB"); }

    // The page opens on the tab the environment names, on General without it, and on the first tab for a
    // name no tab has; the dashboard shows it as its Settings section.
    void opensOnTheNamedTab_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<int>("shown");
        QTest::newRow("unset") << QByteArray() << 0;
        QTest::newRow("backup") << QByteArray("backup") << 1;
        QTest::newRow("google") << QByteArray("google") << 3;
        QTest::newRow("no such tab") << QByteArray("printing") << 0;
    }
    void opensOnTheNamedTab()
    {
        QFETCH(QByteArray, variable);
        QFETCH(int, shown);
        if (!variable.isEmpty())
            qputenv("MARROWVALE_DEBUG_SETTINGS_TAB", variable);
        test::DashboardViewHarness dashboard;
        dashboard.build();
        dashboard.model.setSection(DashboardSection::settings);
        auto* page = dashboard.view->sectionView()->findChild<SettingsSectionView*>();
        QVERIFY(page);
        QCOMPARE(page->tabWidget()->currentIndex(), shown);
        QCOMPARE(page->tab(), variable.isEmpty() ? QString("general") : QString(variable));
        QCOMPARE(page->tabWidget()->tabText(shown),
            (QStringList { "General", "Backup", "Alerts", "Google", "Advanced" }).at(shown));
    }

    // Every control of the Backup tab writes its setting, stamped, into config.json.
    void backupControlsWriteTheConfiguration_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("mode") << "mode"
                              << "defaultMode" << QJsonValue("mirror");
        QTest::newRow("concurrent runs") << "concurrent"
                                         << "maxConcurrentJobs" << QJsonValue(3);
        QTest::newRow("25 MB/s") << "bandwidth 25"
                                 << "bandwidthLimitKBps" << QJsonValue(25600);
        QTest::newRow("Off") << "bandwidth off"
                             << "bandwidthLimitKBps" << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("retries") << "retries"
                                 << "retryAttempts" << QJsonValue(2);
        QTest::newRow("delay") << "delay"
                               << "retryDelaySeconds" << QJsonValue(40);
        QTest::newRow("retention") << "retention"
                                   << "historyRetentionDays" << QJsonValue(365);
    }
    void backupControlsWriteTheConfiguration()
    {
        QFETCH(QString, control);
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        Page page;
        page.hub.settings([](AppSettings& settings) { settings.bandwidthLimitKBps = 5120; });
        page.build();
        // An old stamp, so that the write's stamp is seen to be new.
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        AppConfiguration config = page.store().config();
        config.updatedAt = old;
        page.store().setConfig(config);
        BackupSettingsTab& tab = *page.view->backupTab();
        const auto key_ = [](QWidget* widget, Qt::Key pressed) {
            widget->setFocus();
            QTest::keyClick(widget, pressed);
        };
        if (control == "mode")
            key_(tab.modePicker(), Qt::Key_Down);
        else if (control == "concurrent")
            tab.concurrentRunsStepper()->stepUp();
        else if (control == "bandwidth 25")
            key_(tab.bandwidthPicker(), Qt::Key_End);
        else if (control == "bandwidth off")
            key_(tab.bandwidthPicker(), Qt::Key_Home);
        else if (control == "retries")
            tab.retriesStepper()->stepDown();
        else if (control == "delay")
            tab.retryDelayStepper()->stepUp();
        else if (control == "retention")
            key_(tab.retentionPicker(), Qt::Key_End);
        QVERIFY(page.store().config().updatedAt > old);
        const QJsonObject saved = page.saved();
        QVERIFY(!saved.value("updatedAt").toString().startsWith("2020-"));
        QCOMPARE(saved.value("settings").toObject().value(key), value);
    }

    // The steppers stop at their bounds and move by their step; a stored value none of a picker's options
    // holds selects none and stays stored.
    void steppersStopAtTheirBounds_data()
    {
        QTest::addColumn<QString>("stepper");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("stored");
        QTest::newRow("concurrent above 4") << "concurrent" << 4 << 1 << 4;
        QTest::newRow("concurrent below 1") << "concurrent" << 1 << -1 << 1;
        QTest::newRow("retries above 5") << "retries" << 5 << 1 << 5;
        QTest::newRow("retries below 0") << "retries" << 0 << -1 << 0;
        QTest::newRow("delay above 300") << "delay" << 300 << 1 << 300;
        QTest::newRow("delay below 10") << "delay" << 10 << -1 << 10;
        QTest::newRow("delay by 10") << "delay" << 30 << -2 << 10;
    }
    void steppersStopAtTheirBounds()
    {
        QFETCH(QString, stepper);
        QFETCH(int, start);
        QFETCH(int, steps);
        QFETCH(int, stored);
        Page page;
        page.hub.settings([&](AppSettings& settings) {
            settings.maxConcurrentJobs = settings.retryAttempts = settings.retryDelaySeconds = start;
            settings.bandwidthLimitKBps = 2048;
            settings.historyRetentionDays = 60;
        });
        page.build();
        BackupSettingsTab& tab = *page.view->backupTab();
        QSpinBox* box = stepper == "concurrent" ? tab.concurrentRunsStepper()
            : stepper == "retries"              ? tab.retriesStepper()
                                                : tab.retryDelayStepper();
        box->stepBy(steps);
        const AppSettings& settings = page.settings();
        QCOMPARE(stepper == "concurrent" ? settings.maxConcurrentJobs
                : stepper == "retries"   ? settings.retryAttempts
                                         : settings.retryDelaySeconds,
            stored);
        QCOMPARE(box->text(), QString::number(stored) + (stepper == "delay" ? "s" : ""));
        QCOMPARE(tab.bandwidthPicker()->currentIndex(), -1);
        QCOMPARE(tab.retentionPicker()->currentIndex(), -1);
        QCOMPARE(settings.bandwidthLimitKBps, std::optional<qint64>(2048));
        QCOMPARE(settings.historyRetentionDays, 60);
    }

    // One permission request per switch turned on, none per switch turned off.
    void notificationSwitchesAskWhenTurnedOn()
    {
        Page page;
        page.build();
        const QList<ToggleSwitch*>& switches = page.view->notificationTab()->switches();
        page.view->tabWidget()->setCurrentIndex(2);
        QVERIFY(page.hub.server.settle(page.hub.bus.connection()));
        const int before = page.hub.server.informationRequests();
        click(switches.at(0));
        click(switches.at(3));
        QVERIFY(!page.settings().notifySuccess);
        QVERIFY(!page.settings().notifyMissed);
        QVERIFY(page.hub.server.settle(page.hub.bus.connection()));
        QCOMPARE(page.hub.server.informationRequests(), before);
        click(switches.at(0));
        click(switches.at(3));
        QVERIFY(page.settings().notifySuccess);
        QVERIFY(page.settings().notifyMissed);
        QVERIFY(page.hub.server.settle(page.hub.bus.connection()));
        QCOMPARE(page.hub.server.informationRequests(), before + 2);
    }

    // "Launch at login" writes and removes the autostart entry, and its detail says which.
    void launchAtLoginFollowsTheAutostartEntry()
    {
        Page page;
        page.build();
        GeneralSettingsTab& tab = *page.view->generalTab();
        QVERIFY(!QFileInfo::exists(AutostartEntry::path()));
        QVERIFY(tab.launchAtLoginRow()->detailLabel()->text().endsWith(". Off"));
        click(tab.launchAtLoginSwitch());
        QVERIFY(QFileInfo::exists(AutostartEntry::path()));
        QVERIFY(page.settings().launchAtLogin);
        QCOMPARE(tab.launchAtLoginRow()->detailLabel()->text(), "Runs the menu bar app when you sign in. On");
        click(tab.launchAtLoginSwitch());
        QVERIFY(!QFileInfo::exists(AutostartEntry::path()));
        QVERIFY(!page.settings().launchAtLogin);
        QCOMPARE(
            tab.launchAtLoginRow()->detailLabel()->text(), "Runs the menu bar app when you sign in. Off");
        QCOMPARE(page.hub.context().requests.banner(), std::nullopt);
    }

    // "Dark" darkens the whole application at once, before the configuration is written; "System" gives the
    // desktop's palette back.
    void appearanceAppliesAtOnce()
    {
        Page page;
        page.build();
        connect(&page.hub.context().requests, &ProgramRequests::appearanceChanged, this,
            &applyAppearancePreference);
        const QList<QAbstractButton*>& choices = page.view->generalTab()->appearanceButtons();
        QCOMPARE(appearanceOf(QGuiApplication::palette()), Appearance::light);
        click(choices.at(2));
        QCOMPARE(appearanceOf(QGuiApplication::palette()), Appearance::dark);
        QCOMPARE(page.settings().appearance, AppearancePreference::dark);
        QVERIFY(page.store().hasPendingSave());
        QVERIFY(choices.at(2)->isChecked());
        click(choices.at(0));
        QCOMPARE(appearanceOf(QGuiApplication::palette()), Appearance::light);
        QCOMPARE(page.settings().appearance, AppearancePreference::system);
    }

    // The client import as the user meets it: the banner says how it went, and only a good file changes the
    // client; a refused secret or a cancelled panel change nothing.
    void importGoogleClient_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("refuseSecret");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("detail");
        const QString notConfigured
            = "Not configured. Add ~/Documents/Marrowvale/google-oauth-client.json or import the JSON.";
        QTest::newRow("valid") << clientFile("cid-123.apps.googleusercontent.com", "secret") << false
                               << "Google OAuth client imported. Click Sign In with Google to connect."
                               << "Configured · …ps.googleusercontent.com";
        QTest::newRow("blank secret") << clientFile("cid", "  ") << false
                                      << "That file is not a Google OAuth client JSON file." << notConfigured;
        QTest::newRow("no client section")
            << QByteArray(R"({"other": {}})") << false << "That file is not a Google OAuth client JSON file."
            << notConfigured;
        QTest::newRow("keyring refuses")
            << clientFile("cid", "secret") << true << "The client secret could not be stored in the keyring."
            << notConfigured;
        QTest::newRow("cancelled") << QByteArray() << false << "" << notConfigured;
    }
    void importGoogleClient()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, refuseSecret);
        QFETCH(QString, banner);
        QFETCH(QString, detail);
        Page page;
        page.build();
        if (refuseSecret)
            page.hub.secrets.refuseStores(GoogleCredentialStore::clientSecret);
        page.prompts.openPath = file.isEmpty() ? QString() : page.hub.files.write("client.json", file);
        GoogleSettingsTab& tab = *page.view->googleTab();
        page.view->tabWidget()->setCurrentIndex(3);
        click(tab.importButton());
        QCOMPARE(page.prompts.openRequests.size(), 1);
        QCOMPARE(page.prompts.openRequests.first().choose, OpenPanelRequest::Choose::file);
        QCOMPARE(page.prompts.openRequests.first().prompt, "Import");
        if (banner.isEmpty()) {
            QCOMPARE(page.hub.context().requests.banner(), std::nullopt);
        } else {
            MV_TRY_COMPARE(page.hub.context().requests.banner().value_or(QString()), banner);
        }
        QCOMPARE(tab.clientRow()->detailLabel()->text(), detail);
        const bool imported = banner.startsWith("Google");
        QCOMPARE(tab.accountRow()->isVisible(), imported);
        QCOMPARE(page.settings().googleClientID, imported ? "cid-123.apps.googleusercontent.com" : "");
    }

    // Sign in and out against the fake Google server; removing the client brings back the not-configured tab.
    void signInSignOutAndRemove()
    {
        test::FakeGoogleServer server;
        QVERIFY(server.isRunning());
        Page page;
        page.hub.endpoints = GoogleEndpoints::at(server.baseUrl());
        page.build();
        page.view->tabWidget()->setCurrentIndex(3);
        GoogleSettingsTab& tab = *page.view->googleTab();
        page.prompts.openPath = page.hub.files.write("client.json",
            clientFile(test::FakeGoogleServer::clientID, test::FakeGoogleServer::clientSecret));
        click(tab.importButton());
        MV_TRY_VERIFY(tab.signInButton()->isVisible());
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "Not signed in");

        click(tab.signInButton());
        // The sign-in is under way as soon as it is asked for.
        QVERIFY(test::visibleTexts(tab).contains("Waiting for Google…"));
        QVERIFY(!tab.signInButton()->isVisible());
        MV_TRY_VERIFY(tab.signOutButton()->isVisible());
        QVERIFY(!test::visibleTexts(tab).contains("Waiting for Google…"));
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "person@example.com");
        QVERIFY(test::visibleTexts(tab).contains("Connected"));
        QVERIFY(!tab.signInButton()->isVisible());
        QVERIFY(!tab.errorLabel()->isVisible());
        QVERIFY(test::saveLightAndDark(*page.view, "settings-google-connected"));

        click(tab.signOutButton());
        MV_TRY_VERIFY(tab.signInButton()->isVisible());
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "Not signed in");
        QVERIFY(!tab.signOutButton()->isVisible());

        tab.removeClientAction().trigger();
        MV_TRY_VERIFY(!tab.accountRow()->isVisible());
        QCOMPARE(tab.clientRow()->detailLabel()->text(),
            "Not configured. Add ~/Documents/Marrowvale/google-oauth-client.json or import the JSON.");
        QVERIFY(!tab.moreButton()->isVisible());
        QCOMPARE(page.settings().googleClientID, QString());
        QVERIFY(server.violations().isEmpty());
    }

    // The installed rsync with its version; a chosen file that cannot run is stored but skipped.
    void advancedShowsTheRsyncInUse()
    {
        if (QFileInfo(QStringLiteral("/usr/local/bin/rsync")).isExecutable())
            QSKIP("an rsync in /usr/local/bin comes before /usr/bin");
        Page page;
        page.build();
        AdvancedSettingsTab& tab = *page.view->advancedTab();
        page.view->tabWidget()->setCurrentIndex(4);
        MV_TRY_COMPARE(tab.versionChip()->text(), installedRsyncVersion());
        QVERIFY(tab.versionChip()->isVisible());
        QCOMPARE(tab.rsyncRow()->detailLabel()->text(), "/usr/bin/rsync");

        page.prompts.openPath = page.hub.files.write("rsync", "not a program");
        QSignalSpy loaded(page.view.operator->(), &SettingsSectionView::versionLoaded);
        click(tab.chooseButton());
        QCOMPARE(page.prompts.openRequests.first().title, "Choose a modern rsync executable (3.1 or later).");
        QCOMPARE(page.settings().rsyncPath, page.prompts.openPath);
        QCOMPARE(tab.rsyncRow()->detailLabel()->text(), "/usr/bin/rsync");
        QVERIFY(loaded.wait(generous));
        QCOMPARE(tab.versionChip()->text(), installedRsyncVersion());
    }

    // A chosen rsync that never answers leaves the window working and shows "Not detected" once the probe's
    // bound has passed.
    void silentRsyncIsNotDetected()
    {
        Page page;
        page.build();
        AdvancedSettingsTab& tab = *page.view->advancedTab();
        page.view->tabWidget()->setCurrentIndex(4);
        QSignalSpy loaded(page.view.operator->(), &SettingsSectionView::versionLoaded);
        QVERIFY(loaded.wait(generous));
        page.prompts.openPath = test::executableScript(page.hub.files, "rsync", "exec sleep 600");
        click(tab.chooseButton());
        QCOMPARE(tab.rsyncRow()->detailLabel()->text(), page.prompts.openPath);
        // The page answers while the probe waits.
        click(tab.revealDataButton());
        QCOMPARE(page.prompts.revealed, QStringList { page.hub.support.path() });
        QVERIFY(loaded.wait(generous));
        QCOMPARE(page.view->rsyncVersion(), std::nullopt);
        QCOMPARE(tab.versionChip()->text(), "Not detected");
        QVERIFY(tab.versionChip()->isVisible());
        QVERIFY(test::saveLightAndDark(*page.view, "settings-advanced-not-detected"));
    }

    void exportAndReveal()
    {
        Page page;
        page.build();
        AdvancedSettingsTab& tab = *page.view->advancedTab();
        page.view->tabWidget()->setCurrentIndex(4);
        click(tab.exportButton());
        const QStringList exports = QDir(page.hub.support.path()).entryList({ "Marrowvale-config-*.json" });
        QCOMPARE(exports.size(), 1);
        QCOMPARE(page.hub.context().requests.banner(), std::nullopt);
        click(tab.revealHistoryButton());
        QCOMPARE(page.prompts.revealed, QStringList { page.hub.support.filePath("history.sqlite") });
    }

    // "Reset Settings" brings back every default and keeps the jobs; "Cancel", Return and Escape change
    // nothing.
    void resetAfterConfirmation_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("reset") << "Reset Settings";
        QTest::newRow("cancel") << "Cancel";
        QTest::newRow("return") << "Return";
        QTest::newRow("escape") << "Escape";
    }
    void resetAfterConfirmation()
    {
        QFETCH(QString, answer);
        Page page;
        page.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        page.hub.settings([](AppSettings& settings) {
            settings.retryAttempts = 5;
            settings.rsyncPath = "/opt/rsync";
            settings.googleClientID = "cid";
            settings.bandwidthLimitKBps = 1024;
        });
        page.build();
        const AppSettings before = page.settings();
        page.view->tabWidget()->setCurrentIndex(4);
        click(page.view->advancedTab()->resetButton());
        QVERIFY(page.view->confirmReset());
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), "Reset settings?");
        QCOMPARE(box->informativeText(),
            "Jobs, destinations and backup files are not removed. Only preferences are reset.");
        if (answer == "Return" || answer == "Escape") {
            QVERIFY(test::pressOnModal(answer == "Return" ? Qt::Key_Return : Qt::Key_Escape));
        } else {
            QAbstractButton* button = boxButton(answer);
            QVERIFY(button);
            button->click();
        }
        QVERIFY(!page.view->confirmReset());
        QCOMPARE(page.settings(), answer == "Reset Settings" ? AppSettings {} : before);
        QCOMPARE(page.store().config().jobs.size(), 1);
    }

    void screenshots_data()
    {
        QTest::addColumn<int>("index");
        const QStringList tags { "general", "backup", "alerts", "google", "advanced" };
        for (int index = 0; index < tags.size(); ++index)
            QTest::newRow(qPrintable(tags.at(index))) << index;
    }
    void screenshots()
    {
        QFETCH(int, index);
        Page page;
        page.build();
        page.view->tabWidget()->setCurrentIndex(index);
        QSignalSpy loaded(page.view.operator->(), &SettingsSectionView::versionLoaded);
        QVERIFY(loaded.wait(generous));
        QVERIFY(test::saveLightAndDark(*page.view, QStringLiteral("settings-") + QTest::currentDataTag()));
    }
};

MV_UI_TEST_MAIN(tst_SettingsSectionView)
#include "tst_SettingsSectionView.moc"
