#include "ui/models/RsyncVersionProbe.h"

#include "engine/RsyncSupport.h"
#include "platform/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

namespace mv::RsyncVersionProbe {

QFuture<std::optional<QString>> start(
    const std::optional<QString>& executable, std::chrono::milliseconds timeout)
{
    if (!executable)
        return QtFuture::makeReadyFuture(std::optional<QString>());
    return QtConcurrent::run(&WorkerPool::instance(), [path = *executable, timeout] {
        const std::optional<RsyncVersion> version = RsyncSupport::detect(path, timeout);
        return version ? std::optional(QStringLiteral("v") + version->description()) : std::nullopt;
    });
}

} // namespace mv::RsyncVersionProbe
