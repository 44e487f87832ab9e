#include "platform/FileManager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace mv {

namespace {

void openFolder(const QString& path)
{
    QProcess::startDetached(QStringLiteral("xdg-open"), { QFileInfo(path).absolutePath() });
}

} // namespace

DesktopFileManager::DesktopFileManager(QDBusConnection bus)
    : m_bus(std::move(bus))
{
}

void DesktopFileManager::reveal(const QString& path)
{
    if (!m_bus.isConnected()) {
        openFolder(path);
        return;
    }
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher* finished) {
        if (finished->isError())
            openFolder(path);
        finished->deleteLater();
    });
}

} // namespace mv
