#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace mv::test {

// One Notify call as the server received it.
struct ReceivedNotice {
    QString appName;
    uint replacesId = 0;
    QString title;
    QString body;
    QVariantMap hints;
    int expireTimeout = 0;
    uint id = 0; // the id the server answered with
};

class PrivateBus;

// A desktop notification server that records what it is sent. It owns org.freedesktop.Notifications on
// the test's private bus through a connection of its own, so calls to it really cross the bus.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationServer(const PrivateBus& bus);
    ~NotificationServer() override;

    bool isRegistered() const { return m_registered; }
    const QList<ReceivedNotice>& notices() const { return m_notices; }
    // How often a client asked who the server is (how a client asks for permission to notify).
    int informationRequests() const { return m_informationRequests; }
    // Closes a notice as a user would, telling clients with NotificationClosed.
    void close(uint id);
    // Sends a marker through `sender` and waits until it arrives. A bus keeps one connection's calls in
    // order, so once it is here every notice `sender` sent before it is in notices(): how a test shows
    // that nothing was sent without sleeping. The marker itself is not kept.
    bool settle(const QDBusConnection& sender);

public Q_SLOTS:
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    void CloseNotification(uint id);

Q_SIGNALS:
    void NotificationClosed(uint id, uint reason);

private:
    QString m_connectionName;
    QDBusConnection m_bus;
    bool m_registered = false;
    uint m_nextId = 1;
    int m_informationRequests = 0;
    QList<ReceivedNotice> m_notices;
};

} // namespace mv::test
