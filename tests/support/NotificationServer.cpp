#include "NotificationServer.h"

#include "IntegrationTimeout.h"
#include "PrivateBus.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QUuid>

#include <algorithm>

namespace mv::test {

namespace {
const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString settleMarker = QStringLiteral("settle-marker");
} // namespace

NotificationServer::NotificationServer(const PrivateBus& bus)
    : m_connectionName(QStringLiteral("notification-server-") + QUuid::createUuid().toString(QUuid::Id128))
    , m_bus(bus.connect(m_connectionName))
{
    m_registered = m_bus.registerObject(
                       objectPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
        && m_bus.registerService(serviceName);
}

NotificationServer::~NotificationServer()
{
    m_bus.unregisterService(serviceName);
    m_bus.unregisterObject(objectPath);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void NotificationServer::close(uint id)
{
    Q_EMIT NotificationClosed(id, 2);
}

bool NotificationServer::settle(const QDBusConnection& sender)
{
    auto call
        = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Notify"));
    call << settleMarker << 0u << QString() << QString() << QString() << QStringList() << QVariantMap() << -1;
    QDBusConnection(sender).asyncCall(call);
    const auto arrived = [this] {
        return std::any_of(m_notices.cbegin(), m_notices.cend(),
            [](const ReceivedNotice& notice) { return notice.appName == settleMarker; });
    };
    if (!QTest::qWaitFor(arrived, int(integrationTimeout.count())))
        return false;
    m_notices.removeIf([](const ReceivedNotice& notice) { return notice.appName == settleMarker; });
    return true;
}

QString NotificationServer::GetServerInformation(QString& vendor, QString& version, QString& specVersion)
{
    ++m_informationRequests;
    vendor = QStringLiteral("Marrowvale tests");
    version = QStringLiteral("1.0");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("recording-server");
}

QStringList NotificationServer::GetCapabilities()
{
    return { QStringLiteral("body"), QStringLiteral("sound") };
}

uint NotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
    const QString& summary, const QString& body, const QStringList&, const QVariantMap& hints,
    int expireTimeout)
{
    const uint id = replacesId != 0 ? replacesId : m_nextId++;
    m_notices.append({ appName, replacesId, summary, body, hints, expireTimeout, id });
    return id;
}

void NotificationServer::CloseNotification(uint id)
{
    close(id);
}

} // namespace mv::test
