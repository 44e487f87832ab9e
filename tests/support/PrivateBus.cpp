#include "PrivateBus.h"

#include <QUuid>

namespace mv::test {

PrivateBus::PrivateBus()
    : m_clientName(QStringLiteral("private-bus-") + QUuid::createUuid().toString(QUuid::Id128))
{
    m_daemon.setStandardErrorFile(QProcess::nullDevice()); // its complaints about fd limits are noise
    m_daemon.start(QStringLiteral("/usr/bin/dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000))
        qFatal("dbus-daemon did not start: %s", qPrintable(m_daemon.errorString()));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(m_clientName);
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

QDBusConnection PrivateBus::connection()
{
    return connect(m_clientName);
}

QDBusConnection PrivateBus::connect(const QString& name) const
{
    return QDBusConnection::connectToBus(m_address, name);
}

} // namespace mv::test
