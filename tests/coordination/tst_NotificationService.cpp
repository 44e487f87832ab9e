#include "coordination/NotificationService.h"
#include "support/IntegrationTimeout.h"
#include "support/NotificationServer.h"
#include "support/PrivateBus.h"

#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QTest>

using mv::NotificationService;
using mv::test::NotificationServer;
using mv::test::PrivateBus;

// Counts NotificationClosed signals arriving on a connection.
class ClosedListener : public QObject {
    Q_OBJECT
public:
    explicit ClosedListener(QDBusConnection bus)
    {
        bus.connect({}, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
            "NotificationClosed", this, SLOT(onClosed(uint, uint)));
    }
    int count = 0;
public Q_SLOTS:
    void onClosed(uint, uint) { ++count; }
};

class tst_NotificationService : public QObject {
    Q_OBJECT

private:
    // A service that has seen the server answer.
    static void prepareAuthorized(NotificationService& service)
    {
        service.prepare();
        MV_TRY_VERIFY(service.authorized());
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void noticesCarryExactTexts_data()
    {
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("failure") << "failure"
                                 << "Documents could not finish"
                                 << "Backup SSD: m";
        QTest::newRow("restore of 1234") << "restore1234"
                                         << "Restore finished"
                                         << "1,234 items restored to /Users/me/Restored.";
        QTest::newRow("restore of 1") << "restore1"
                                      << "Restore finished"
                                      << "1 items restored to /tmp/r.";
        QTest::newRow("missed") << "missed"
                                << "A scheduled backup was missed"
                                << "Documents to Backup SSD was due Dec 9, 2026 "
                + QLocale().toString(QTime(8, 21), QLocale::ShortFormat)
                + ". Marrowvale will run it at the next opportunity.";
        QTest::newRow("post") << "post"
                              << "Photos is backed up"
                              << "12 MB copied to NAS in 1m 2s.";
    }
    void noticesCarryExactTexts()
    {
        QFETCH(QString, notice);
        QFETCH(QString, title);
        QFETCH(QString, body);
        PrivateBus bus;
        NotificationServer server(bus);
        QVERIFY(server.isRegistered());
        NotificationService service(bus.connection());
        prepareAuthorized(service);

        if (notice == "failure")
            service.failure("Documents", "Backup SSD", "m");
        else if (notice == "restore1234")
            service.restore("/Users/me/Restored", 1234);
        else if (notice == "restore1")
            service.restore("/tmp/r", 1);
        else if (notice == "missed")
            service.missed("Documents", "Backup SSD", QDateTime(QDate(2026, 12, 9), QTime(8, 21)));
        else
            service.post(title, body, "success-1");

        MV_TRY_COMPARE(server.notices().size(), 1);
        const auto received = server.notices().first();
        QCOMPARE(received.title, title);
        QCOMPARE(received.body, body);
        QCOMPARE(received.appName, QStringLiteral("Marrowvale"));
        QCOMPARE(received.replacesId, 0u);
        QCOMPARE(received.hints.value("suppress-sound").toBool(), true);
        QCOMPARE(received.hints.value("desktop-entry").toString(), "marrowvale");
        QCOMPARE(received.expireTimeout, -1);
    }

    // A fixed identifier replaces the notice still shown; fresh identifiers and closed notices do not.
    void fixedIdentifierReplacesTheShownNotice()
    {
        PrivateBus bus;
        NotificationServer server(bus);
        NotificationService service(bus.connection());
        prepareAuthorized(service);

        service.post("Documents is waiting", "first", "offline-Documents-SSD");
        MV_TRY_COMPARE(server.notices().size(), 1);
        const uint shownId = server.notices()[0].id;
        service.post("Documents is waiting", "second", "offline-Documents-SSD");
        MV_TRY_COMPARE(server.notices().size(), 2);
        QCOMPARE(server.notices()[1].replacesId, shownId);

        service.failure("Documents", "SSD", "a");
        service.failure("Documents", "SSD", "b");
        MV_TRY_COMPARE(server.notices().size(), 4);
        QCOMPARE(server.notices()[2].replacesId, 0u);
        QCOMPARE(server.notices()[3].replacesId, 0u);
        QVERIFY(server.notices()[2].id != server.notices()[3].id);

        ClosedListener closed(bus.connection());
        server.close(shownId);
        MV_TRY_COMPARE(closed.count, 1); // the service heard it on the same connection, first
        service.post("Documents is waiting", "third", "offline-Documents-SSD");
        MV_TRY_COMPARE(server.notices().size(), 5);
        QCOMPARE(server.notices()[4].replacesId, 0u);

        // Repeats posted before the server has answered the first still replace it; the latest is shown.
        service.post("Photos is waiting", "first", "offline-Photos-NAS");
        service.post("Photos is waiting", "second", "offline-Photos-NAS");
        service.post("Photos is waiting", "third", "offline-Photos-NAS");
        MV_TRY_COMPARE(server.notices().size(), 7);
        QVERIFY(server.settle(bus.connection()));
        QCOMPARE(server.notices().size(), 7);
        QCOMPARE(server.notices()[5].replacesId, 0u);
        QCOMPARE(server.notices()[6].replacesId, server.notices()[5].id);
        QCOMPARE(server.notices()[6].body, "third");
    }

    // No server answering means not authorised and nothing sent, until a server answers again.
    void withoutServerNothingIsSent()
    {
        PrivateBus bus;
        NotificationService service(bus.connection());
        QSignalSpy changes(&service, &NotificationService::authorizedChanged);
        {
            NotificationServer first(bus);
            prepareAuthorized(service);
        }
        service.prepare();
        MV_TRY_COMPARE(changes.size(), 2);
        QCOMPARE(service.authorized(), false);

        NotificationServer server(bus);
        service.post("t", "b", "x");
        service.failure("Documents", "SSD", "m");
        service.restore("/tmp", 3);
        QVERIFY(server.settle(bus.connection()));
        QVERIFY(server.notices().isEmpty());

        prepareAuthorized(service);
        service.post("t", "b", "x");
        MV_TRY_COMPARE(server.notices().size(), 1);
    }

    void withoutSessionBusNothingHappens()
    {
        PrivateBus bus;
        NotificationServer server(bus);
        const QString name = QStringLiteral("no-bus");
        {
            NotificationService service(
                QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), name));
            service.prepare();
            service.requestAuthorization();
            // No question went out, so no answer can ever authorize the service.
            QVERIFY(service.findChildren<QDBusPendingCallWatcher*>().isEmpty());
            QCOMPARE(service.authorized(), false);
            service.post("t", "b", "x");
            service.missed("Documents", "SSD", QDateTime::currentDateTime());
        }
        QDBusConnection::disconnectFromBus(name);
        QVERIFY(server.settle(bus.connection()));
        QVERIFY(server.notices().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_NotificationService)
#include "tst_NotificationService.moc"
