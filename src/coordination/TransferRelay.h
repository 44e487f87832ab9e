#pragma once

#include "engine/Transfer.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace mv {

// Carries one transfer's news from its reading threads to the main thread. rsync prints a line per file,
// far more than a view can show: the readers only keep the latest sample and name in one guarded slot, and
// the main thread is asked to take them only when it is not asked already, at most once per
// `updateInterval`. The start is handed over at once.
class TransferRelay final : public TransferListener, public std::enable_shared_from_this<TransferRelay> {
public:
    static constexpr std::chrono::milliseconds updateInterval { 100 };

    // What happened since the last delivery.
    struct News {
        bool started = false;
        std::optional<RsyncSample> sample;
        std::optional<QString> name; // the latest item written
    };

    // `deliver` runs on `receiver`'s thread; it is never called once `receiver` is gone or after close().
    static std::shared_ptr<TransferRelay> create(QObject* receiver, std::function<void(const News&)> deliver);

    void started() override;
    void sampled(const RsyncSample& sample) override;
    void transferred(const QString& name) override;

    // The items written whose names do not end with "/" (files and links, not folders), counted as they
    // were reported: complete once the transfer has returned.
    qint64 filesWritten() const { return m_filesWritten; }

    // Hands over what is still waiting now, then stops: news after this is dropped. Main thread only.
    void close();

private:
    TransferRelay(QObject* receiver, std::function<void(const News&)> deliver);
    void requestDelivery(std::chrono::milliseconds delay);
    void deliver();

    QPointer<QObject> m_receiver;
    std::function<void(const News&)> m_deliver;
    std::atomic<qint64> m_filesWritten { 0 };
    std::mutex m_lock; // guards the two fields below
    News m_news;
    bool m_requested = false; // a delivery is on its way to the main thread
    bool m_closed = false; // main thread only
};

} // namespace mv
