#include "coordination/TransferRelay.h"

#include <QMetaObject>
#include <QTimer>

namespace mv {

std::shared_ptr<TransferRelay> TransferRelay::create(
    QObject* receiver, std::function<void(const News&)> deliver)
{
    return std::shared_ptr<TransferRelay>(new TransferRelay(receiver, std::move(deliver)));
}

TransferRelay::TransferRelay(QObject* receiver, std::function<void(const News&)> deliver)
    : m_receiver(receiver)
    , m_deliver(std::move(deliver))
{
}

void TransferRelay::started()
{
    {
        std::lock_guard guard(m_lock);
        m_news.started = true;
    }
    // A start is asked for on its own, so a pending pause or the "running" phase never waits for a batch.
    requestDelivery(std::chrono::milliseconds(0));
}

void TransferRelay::sampled(const RsyncSample& sample)
{
    bool request = false;
    {
        std::lock_guard guard(m_lock);
        m_news.sample = sample;
        request = !std::exchange(m_requested, true);
    }
    if (request)
        requestDelivery(updateInterval);
}

void TransferRelay::transferred(const QString& name)
{
    if (!name.endsWith(u'/'))
        ++m_filesWritten;
    bool request = false;
    {
        std::lock_guard guard(m_lock);
        m_news.name = name;
        request = !std::exchange(m_requested, true);
    }
    if (request)
        requestDelivery(updateInterval);
}

void TransferRelay::requestDelivery(std::chrono::milliseconds delay)
{
    QObject* receiver = m_receiver.data();
    if (!receiver)
        return;
    QMetaObject::invokeMethod(
        receiver,
        [self = shared_from_this(), receiver, delay] {
            if (delay.count() == 0)
                self->deliver();
            else
                QTimer::singleShot(delay, receiver, [self] { self->deliver(); });
        },
        Qt::QueuedConnection);
}

void TransferRelay::deliver()
{
    News news;
    {
        std::lock_guard guard(m_lock);
        news = std::exchange(m_news, News {});
        m_requested = false;
    }
    if (m_closed || !m_receiver || (!news.started && !news.sample && !news.name))
        return;
    m_deliver(news);
}

void TransferRelay::close()
{
    deliver();
    m_closed = true;
}

} // namespace mv
