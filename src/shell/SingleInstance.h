#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace mv {

// One running program per user and support folder. The first to start holds a lock in the support folder
// and listens on a local socket beside it; a later start finds the lock held by a live process, asks the
// first to show itself, and ends. A folder where no lock can be made (read-only, full) is no sign of another
// instance: the program then runs unguarded, and its store and history tell the user what cannot be written.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        acquired, // this process is the one instance
        heldElsewhere, // a live process holds the lock: ask it to reopen
        unavailable, // no lock could be taken or checked; problem() says why
    };
    Q_ENUM(Claim)

    explicit SingleInstance(const QString& supportFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening.
    Claim acquire();
    // Why the lock or the socket could not be made; empty when nothing went wrong.
    const QString& problem() const { return m_problem; }
    // Asks the instance that holds the lock to show itself; true when it heard the request.
    bool askToReopen(int timeoutMs = 2000) const;

Q_SIGNALS:
    // Another start asked this instance to show itself.
    void reopenRequested();

private:
    bool holderIsAlive() const;
    void listen();

    QString m_socketPath;
    QString m_lockPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QString m_problem;
};

} // namespace mv
