#include "ui/models/settings/RsyncVersionProbe.h"

#include "platform/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

namespace mv::RsyncVersionProbe {

QFuture<std::optional<RsyncVersion>> read(const QString& executable, std::chrono::milliseconds timeout)
{
    return QtConcurrent::run(
        &WorkerPool::instance(), [executable, timeout] { return RsyncSupport::detect(executable, timeout); });
}

QFuture<std::optional<QString>> start(
    const std::optional<QString>& executable, std::chrono::milliseconds timeout)
{
    if (!executable)
        return QtFuture::makeReadyFuture(std::optional<QString>());
    return read(*executable, timeout).then([](const std::optional<RsyncVersion>& version) {
        return version ? std::optional(QStringLiteral("v") + version->description()) : std::nullopt;
    });
}

} // namespace mv::RsyncVersionProbe
