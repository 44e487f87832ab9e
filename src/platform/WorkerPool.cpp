#include "platform/WorkerPool.h"

namespace mv {

namespace {
// Most of this pool's work waits on a child, a disk or the bus rather than computing, so it is sized for
// waiting, not for cores.
constexpr int maxWorkers = 32;
constexpr int idleExpiryMs = 30'000;
} // namespace

QThreadPool& WorkerPool::instance()
{
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setObjectName(QStringLiteral("marrowvale-worker"));
        created->setMaxThreadCount(maxWorkers);
        created->setExpiryTimeout(idleExpiryMs);
        return created;
    }();
    return *pool;
}

} // namespace mv
