#include "FileManagerServer.h"

#include "PrivateBus.h"

#include <QUuid>

namespace mv::test {

namespace {
const QString serviceName = QStringLiteral("org.freedesktop.FileManager1");
const QString objectPath = QStringLiteral("/org/freedesktop/FileManager1");
} // namespace

FileManagerServer::FileManagerServer(const PrivateBus& bus)
    : m_connectionName(QStringLiteral("file-manager-") + QUuid::createUuid().toString(QUuid::Id128))
    , m_bus(bus.connect(m_connectionName))
{
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportAllSlots);
    m_bus.registerService(serviceName);
}

FileManagerServer::~FileManagerServer()
{
    m_bus.unregisterService(serviceName);
    m_bus.unregisterObject(objectPath);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FileManagerServer::ShowItems(const QStringList& uris, const QString&)
{
    m_shown << uris;
}

} // namespace mv::test
