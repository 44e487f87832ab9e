#include "platform/WakeWatcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

namespace mv {

namespace {
const QString logindService = QStringLiteral("org.freedesktop.login1");
} // namespace

WakeWatcher::WakeWatcher(QDBusConnection systemBus, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(systemBus))
    , m_clock(clock)
    , m_logindWatcher(logindService, m_bus,
          QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration)
{
    if (m_bus.isConnected()) {
        connect(&m_logindWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            m_logindChangeSeen = true;
            m_logindPresent = true;
        });
        connect(&m_logindWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            m_logindChangeSeen = true;
            m_logindPresent = false;
        });
        m_bus.connect(logindService, QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
            SLOT(onPrepareForSleep(bool)));
        askWhetherLogindIsPresent();
    }
    m_lastWallClock = m_clock.now();
    m_sinceLastCheck.start();
    armClockCheck();
}

void WakeWatcher::askWhetherLogindIsPresent()
{
    // Asynchronous: a system bus that does not answer must not hold up the start of the program.
    QDBusMessage question = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("NameHasOwner"));
    question << logindService;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(question), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<bool> reply = *watcher;
        if (!m_logindChangeSeen && reply.isValid())
            m_logindPresent = reply.value();
    });
}

void WakeWatcher::onPrepareForSleep(bool sleeping)
{
    if (!sleeping)
        Q_EMIT woke();
}

void WakeWatcher::armClockCheck()
{
    m_clockCheck = m_clock.after(checkInterval, [self = QPointer<WakeWatcher>(this)] {
        if (self)
            self->checkClock();
    });
}

void WakeWatcher::checkClock()
{
    const QDateTime now = m_clock.now();
    const qint64 wallMs = m_lastWallClock.msecsTo(now);
    const qint64 monotonicMs = m_sinceLastCheck.restart();
    m_lastWallClock = now;
    armClockCheck();
    if (!m_logindPresent && wallMs - monotonicMs > std::chrono::milliseconds(clockJump).count())
        Q_EMIT woke();
}

} // namespace mv
