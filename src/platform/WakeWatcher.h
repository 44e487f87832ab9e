#pragma once

#include "platform/Clock.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

#include <chrono>
#include <memory>

namespace mv {

// Tells when the computer woke from sleep: logind's PrepareForSleep(false) on the system bus. Where logind
// is not on the bus, a wall clock that moved on more than a minute further than the monotonic clock between
// two checks (the monotonic clock stands still while the computer sleeps) counts as a wake instead.
class WakeWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds checkInterval { 20 };
    static constexpr std::chrono::seconds clockJump { 60 };

    explicit WakeWatcher(QDBusConnection systemBus = QDBusConnection::systemBus(),
        Clock& clock = Clock::system(), QObject* parent = nullptr);

    // Whether logind is on the bus, as far as its answers have come in.
    bool logindPresent() const { return m_logindPresent; }

Q_SIGNALS:
    void woke();

private Q_SLOTS:
    void onPrepareForSleep(bool sleeping);

private:
    void askWhetherLogindIsPresent();
    void armClockCheck();
    void checkClock();

    QDBusConnection m_bus;
    Clock& m_clock;
    QDBusServiceWatcher m_logindWatcher;
    bool m_logindPresent = false;
    // Set once logind came or went, so that a late answer to the first question cannot undo it.
    bool m_logindChangeSeen = false;
    std::shared_ptr<ClockAlarm> m_clockCheck;
    QDateTime m_lastWallClock;
    QElapsedTimer m_sinceLastCheck;
};

} // namespace mv
