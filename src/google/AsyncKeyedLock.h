#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// Opens once when the holder of a key lets go; everyone waiting for that key wakes and tries again.
class AsyncKeyedLockGate : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void opened();
};

// A lock per key for coroutines on one thread: lock() resumes once no one else holds the key. It must
// outlive every guard it handed out.
class AsyncKeyedLock {
public:
    class Guard {
    public:
        Guard(Guard&& other) noexcept;
        Guard& operator=(Guard&&) = delete;
        ~Guard();

    private:
        friend class AsyncKeyedLock;
        Guard(AsyncKeyedLock* owner, QString key);
        AsyncKeyedLock* m_owner;
        QString m_key;
    };

    QCoro::Task<Guard> lock(QString key);
    bool isHeld(const QString& key) const { return m_held.contains(key); }

private:
    void release(const QString& key);

    std::map<QString, std::shared_ptr<AsyncKeyedLockGate>> m_held;
};

} // namespace mv
