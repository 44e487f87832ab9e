#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace mv {

// SIGTERM and SIGINT brought onto the event loop: the handler only writes the signal's number into a pipe,
// and the notifier reads it back on the owner's thread, where the program can save and stop calmly. One
// object per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace mv
