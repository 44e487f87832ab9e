#include "coordination/NotificationService.h"

#include "model/Format.h"
#include "model/UuidText.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>
#include <QVariantMap>

namespace mv {

namespace {

const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString interfaceName = QStringLiteral("org.freedesktop.Notifications");

} // namespace

NotificationService::NotificationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (hasBus())
        m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("NotificationClosed"), this,
            SLOT(onNotificationClosed(uint, uint)));
}

void NotificationService::prepare()
{
    if (!hasBus())
        return;
    auto call = QDBusMessage::createMethodCall(
        serviceName, objectPath, interfaceName, QStringLiteral("GetServerInformation"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        setAuthorized(!w->isError());
        w->deleteLater();
    });
}

void NotificationService::requestAuthorization()
{
    prepare();
}

void NotificationService::post(const QString& title, const QString& body, const QString& identifier)
{
    if (!hasBus() || !m_authorized)
        return;
    if (const auto pending = m_inFlight.find(identifier); pending != m_inFlight.end()) {
        *pending = Notice { title, body };
        return;
    }
    send(identifier, { title, body });
}

void NotificationService::send(const QString& identifier, const Notice& notice)
{
    auto call
        = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, QStringLiteral("Notify"));
    // The desktop entry the program installs, so the desktop shows the notice under its name and icon.
    const QVariantMap hints { { QStringLiteral("suppress-sound"), true },
        { QStringLiteral("desktop-entry"), QStringLiteral("marrowvale") } };
    call << QStringLiteral("Marrowvale") << m_shown.value(identifier, 0u) << QString() << notice.title
         << notice.body << QStringList() << hints << -1;
    m_inFlight.insert(identifier, std::nullopt);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, identifier](QDBusPendingCallWatcher* w) {
            QDBusPendingReply<uint> reply = *w;
            if (!reply.isError())
                m_shown.insert(identifier, reply.value());
            w->deleteLater();
            if (const std::optional<Notice> repeat = m_inFlight.take(identifier))
                send(identifier, *repeat);
        });
}

void NotificationService::failure(const QString& job, const QString& destination, const QString& message)
{
    if (!m_authorized)
        return;
    post(job + QStringLiteral(" could not finish"), destination + QStringLiteral(": ") + message,
        freshIdentifier());
}

void NotificationService::restore(const QString& destination, qint64 files)
{
    post(QStringLiteral("Restore finished"),
        Format::grouped(files) + QStringLiteral(" items restored to ") + destination + QStringLiteral("."),
        freshIdentifier());
}

void NotificationService::missed(const QString& job, const QString& destination, const QDateTime& date)
{
    const QString when = Format::mediumDateTime(date);
    post(QStringLiteral("A scheduled backup was missed"),
        job + QStringLiteral(" to ") + destination + QStringLiteral(" was due ") + when
            + QStringLiteral(". Marrowvale will run it at the next opportunity."),
        freshIdentifier());
}

QString NotificationService::freshIdentifier()
{
    return uuidText(QUuid::createUuid());
}

void NotificationService::onNotificationClosed(uint id, uint)
{
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (it.value() == id)
            it = m_shown.erase(it);
        else
            ++it;
    }
}

void NotificationService::setAuthorized(bool authorized)
{
    if (m_authorized == authorized)
        return;
    m_authorized = authorized;
    Q_EMIT authorizedChanged(authorized);
}

} // namespace mv
