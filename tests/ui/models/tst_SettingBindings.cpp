#include "model/ConfigurationStore.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

// The settings as config.json holds them.
QJsonObject savedSettings(const test::TempSupportDir& support)
{
    return QJsonDocument::fromJson(test::TempDir::read(support.filePath("config.json")))
        .object()
        .value("settings")
        .toObject();
}

} // namespace

class tst_SettingBindings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A write is the field, then the stamp (each announced), then a debounced save; writing the value already
    // stored still stamps and saves.
    void writeStampsAndSavesEvenUnchanged_data()
    {
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("a new value") << false;
        QTest::newRow("the stored value") << true;
    }
    void writeStampsAndSavesEvenUnchanged()
    {
        QFETCH(bool, unchanged);
        test::TempSupportDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        clock.advance(1h);
        QSignalSpy changes(&store, &ConfigurationStore::changed);
        const SettingBinding<qint64> retries(store, clock, &AppSettings::retryAttempts);
        retries.set(unchanged ? 3 : 5);
        QCOMPARE(retries.get(), unchanged ? 3 : 5);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(store.config().updatedAt, clock.now());
        QVERIFY(store.hasPendingSave());
        clock.advance(250ms);
        QCOMPARE(savedSettings(support).value("retryAttempts").toInteger(), unchanged ? 3 : 5);
    }

    // Three clicks within the debounce: three stamps, six announcements, one file write of the last value.
    void burstOfWritesIsOneSave()
    {
        test::TempSupportDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        QSignalSpy changes(&store, &ConfigurationStore::changed);
        int stamps = 0;
        QDateTime stamped = store.config().updatedAt;
        connect(&store, &ConfigurationStore::changed, this, [&] {
            if (std::exchange(stamped, store.config().updatedAt) != stamped)
                ++stamps;
        });
        const SettingBinding<qint64> concurrent(store, clock, &AppSettings::maxConcurrentJobs);
        for (int value : { 3, 4, 1 }) {
            clock.advance(50ms);
            concurrent.set(value);
        }
        QCOMPARE(changes.size(), 6);
        QCOMPARE(stamps, 3);
        QVERIFY(!QFileInfo::exists(support.filePath("config.json")));
        clock.advance(249ms);
        QVERIFY(!QFileInfo::exists(support.filePath("config.json")));
        clock.advance(1ms);
        QCOMPARE(savedSettings(support).value("maxConcurrentJobs").toInteger(), 1);
    }

    // "Off" is no limit at all, never a stored 0; a value is stored as given; no stored limit reads as 0.
    void bandwidthOffStoresNoLimit()
    {
        test::TempSupportDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        const BandwidthBinding bandwidth(store, clock);
        QCOMPARE(bandwidth.get(), 0);
        bandwidth.set(25600);
        QCOMPARE(store.config().settings.bandwidthLimitKBps, std::optional<qint64>(25600));
        clock.advance(250ms);
        QCOMPARE(savedSettings(support).value("bandwidthLimitKBps").toInteger(), 25600);
        bandwidth.set(0);
        QCOMPARE(store.config().settings.bandwidthLimitKBps, std::nullopt);
        QCOMPARE(bandwidth.get(), 0);
        clock.advance(250ms);
        QVERIFY(!savedSettings(support).contains("bandwidthLimitKBps"));
    }

    // The reset puts every preference back and keeps the jobs.
    void resetRestoresDefaultsAndKeepsJobs()
    {
        test::TempSupportDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        BackupJob job = BackupJob::create(clock.now());
        job.name = "Docs";
        store.addJob(job);
        writeSetting(store, clock, [](AppSettings& settings) {
            settings.appearance = AppearancePreference::dark;
            settings.rsyncPath = "/opt/rsync";
            settings.googleClientID = "cid";
            settings.notifyMissed = false;
            settings.bandwidthLimitKBps = 1024;
        });
        clock.advance(1min);
        resetSettings(store, clock);
        QCOMPARE(store.config().settings, AppSettings {});
        QCOMPARE(store.config().updatedAt, clock.now());
        QCOMPARE(store.config().jobs.size(), 1);
        QCOMPARE(store.config().jobs.first().name, "Docs");
        QVERIFY(store.hasPendingSave());
    }

    void googleClientDetail_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<QString>("clientID");
        QTest::addColumn<QString>("detail");
        QTest::newRow("not configured")
            << false << "abc"
            << "Not configured. Add ~/Documents/Marrowvale/google-oauth-client.json "
               "or import the JSON.";
        QTest::newRow("short, whole") << true << "abc"
                                      << "Configured · …abc";
        QTest::newRow("exactly 24, whole") << true << "123456789012345678901234"
                                           << "Configured · …123456789012345678901234";
        QTest::newRow("longer, last 24") << true << "cid-123.apps.googleusercontent.com"
                                         << "Configured · …ps.googleusercontent.com";
    }
    void googleClientDetail()
    {
        QFETCH(bool, configured);
        QFETCH(QString, clientID);
        QFETCH(QString, detail);
        QCOMPARE(SettingsTexts::googleClientDetail(configured, clientID), detail);
    }

    // The tab the page opens on: the variable as it stands whenever it is set, General otherwise.
    void initialTab_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QString>("tab");
        QTest::newRow("unset") << false << QByteArray() << "general";
        QTest::newRow("backup") << true << QByteArray("backup") << "backup";
        QTest::newRow("untrimmed") << true << QByteArray(" alerts") << " alerts";
        QTest::newRow("empty") << true << QByteArray("") << "";
    }
    void initialTab()
    {
        QFETCH(bool, set);
        QFETCH(QByteArray, variable);
        QFETCH(QString, tab);
        if (set)
            qputenv("MARROWVALE_DEBUG_SETTINGS_TAB", variable);
        else
            qunsetenv("MARROWVALE_DEBUG_SETTINGS_TAB");
        QCOMPARE(SettingsTexts::initialTab(), tab);
        qunsetenv("MARROWVALE_DEBUG_SETTINGS_TAB");
    }

    void smallTexts()
    {
        QCOMPARE(SettingsTexts::launchAtLoginDetail(true), "Runs the menu bar app when you sign in. On");
        QCOMPARE(SettingsTexts::launchAtLoginDetail(false), "Runs the menu bar app when you sign in. Off");
        QCOMPARE(SettingsTexts::versionLine(""), "Marrowvale 1.0");
        QCOMPARE(SettingsTexts::versionLine("2.4"), "Marrowvale 2.4");
        QCOMPARE(SettingsTexts::rsyncPathText(std::nullopt),
            "Not found. Install rsync with your package manager.");
        QStringList tags;
        for (const SettingsTab& tab : SettingsTexts::tabs())
            tags << tab.tag;
        QCOMPARE(tags, (QStringList { "general", "backup", "alerts", "google", "advanced" }));
    }
};

QTEST_GUILESS_MAIN(tst_SettingBindings)
#include "tst_SettingBindings.moc"
