#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace mv {

// One running program per user and support folder. The first to start holds a lock in the support folder
// and listens on a local socket beside it; a later start finds the lock taken, asks the first to show
// itself, and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& supportFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening. False when another instance holds it.
    bool acquire();
    // Asks the instance that holds the lock to show itself; true when it heard the request.
    bool askToReopen(int timeoutMs = 2000) const;

Q_SIGNALS:
    // Another start asked this instance to show itself.
    void reopenRequested();

private:
    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace mv
