#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <chrono>
#include <memory>

namespace mv {

// SIGTERM and SIGINT brought onto the event loop: the handler only writes the signal's number into a pipe,
// and the notifier reads it back on the owner's thread, where the program can save and stop calmly. One
// object per process.
//
// A request is never left waiting: when the owner's thread has not taken it within `patience` (it may be
// busy with a huge document), or the program has not ended within `endingBound` of it (which leaves room for
// runs to stop), the signal's default action ends the process. Every file the program writes survives that
// as it survives a crash.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds patience { 2000 };
    static constexpr std::chrono::milliseconds endingBound { 15000 };

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    struct Watchdog;

    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<Watchdog> m_watchdog;
};

} // namespace mv
