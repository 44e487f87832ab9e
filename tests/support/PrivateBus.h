#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace mv::test {

// A session bus of the test's own: a dbus-daemon started for the fixture's life, so that services a test
// owns on it (a notification server) never meet those of tests running at the same time.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    QString address() const { return m_address; }
    // A connection of the test's side, made on first use.
    QDBusConnection connection();
    // A further connection, for a service of its own; `name` must be unique in the process.
    QDBusConnection connect(const QString& name) const;

private:
    QProcess m_daemon;
    QString m_address;
    QString m_clientName;
};

} // namespace mv::test
