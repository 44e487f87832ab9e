#include "model/ConfigurationStore.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/settings/NotificationPermissionWatch.h"
#include "ui/models/settings/RsyncVersionProbe.h"
#include "ui/models/settings/SettingBinding.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

// Waits, with the event loop running, for the probe's answer.
std::optional<QString> answer(QFuture<std::optional<QString>> future)
{
    QFutureWatcher<std::optional<QString>> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(future);
    if (!future.isFinished())
        finished.wait(int(test::integrationTimeout.count()));
    return future.result();
}

// What the installed rsync says its version is.
QString installedVersion()
{
    QProcess rsync;
    rsync.start("/usr/bin/rsync", { "--version" });
    rsync.waitForFinished();
    const QRegularExpressionMatch match
        = QRegularExpression(R"(version\s+(\d+\.\d+\.\d+))").match(QString::fromUtf8(rsync.readAll()));
    return match.captured(1);
}

} // namespace

class tst_SettingsProbes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionProbe_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("version");
        QTest::newRow("an old rsync, shown as it is")
            << QByteArray("echo 'rsync  version 2.6.9  protocol version 29'") << "v2.6.9";
        QTest::newRow("no version in its banner") << QByteArray("echo 'hello'") << "";
        QTest::newRow("cannot start") << QByteArray() << "";
    }
    void versionProbe()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, version);
        test::TempDir dir;
        const QString program
            = script.isEmpty() ? dir.filePath("missing/rsync") : test::executableScript(dir, "rsync", script);
        const std::optional<QString> found = answer(RsyncVersionProbe::start(program));
        QCOMPARE(found.value_or(QString()), version);
    }

    void installedRsyncAnswers()
    {
        const QString version = installedVersion();
        QVERIFY(!version.isEmpty());
        QCOMPARE(answer(RsyncVersionProbe::start(QStringLiteral("/usr/bin/rsync"))), "v" + version);
        QCOMPARE(answer(RsyncVersionProbe::start(std::nullopt)), std::nullopt);
    }

    // A program that never ends holds neither the caller nor the answer: the probe returns at once, and the
    // answer is none once the bound has passed.
    void silentProgramIsEndedAtTheBound()
    {
        test::TempDir dir;
        const QString program = test::executableScript(dir, "rsync", "exec sleep 600");
        QElapsedTimer started;
        started.start();
        QFuture<std::optional<QString>> probing = RsyncVersionProbe::start(program, 300ms);
        QVERIFY(!probing.isFinished());
        QCOMPARE(answer(probing), std::nullopt);
        QVERIFY(started.elapsed() >= 300);
    }

    // Each notification setting that turns on asks once; turning one off, and the values present when the
    // watch begins, ask nothing.
    void permissionAskedPerSettingTurnedOn()
    {
        test::AppStateHarness hub;
        hub.settings([](AppSettings& settings) {
            settings.notifySuccess = false;
            settings.notifyFailure = false;
        });
        hub.build();
        QVERIFY(hub.server.settle(hub.bus.connection()));
        const int before = hub.server.informationRequests();
        NotificationPermissionWatch watch(hub.context());
        ConfigurationStore& store = hub.state->store();
        Clock& clock = hub.state->clock();

        SettingBinding<bool>(store, clock, &AppSettings::notifyMissed).set(false);
        SettingBinding<bool>(store, clock, &AppSettings::notifyMissed).set(false);
        QVERIFY(hub.server.settle(hub.bus.connection()));
        QCOMPARE(hub.server.informationRequests(), before);

        SettingBinding<bool>(store, clock, &AppSettings::notifySuccess).set(true);
        SettingBinding<bool>(store, clock, &AppSettings::notifyFailure).set(true);
        QVERIFY(hub.server.settle(hub.bus.connection()));
        QCOMPARE(hub.server.informationRequests(), before + 2);

        // The reset turns the one that is off back on: one more.
        resetSettings(store, clock);
        QVERIFY(hub.server.settle(hub.bus.connection()));
        QCOMPARE(hub.server.informationRequests(), before + 3);
    }
};

QTEST_MAIN(tst_SettingsProbes)
#include "tst_SettingsProbes.moc"
