#include "platform/UrlOpener.h"

#include "platform/Subprocess.h"
#include "platform/WorkerPool.h"

#include <QProcessEnvironment>
#include <QStandardPaths>

namespace mv {

bool XdgOpenUrlOpener::open(const QUrl& url)
{
    const QString executable = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (executable.isEmpty())
        return false;
    SubprocessSpec spec;
    spec.executable = executable;
    spec.arguments = { QString::fromLatin1(url.toEncoded()) };
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        spec.environment.insert(name, environment.value(name));
    spec.output = SubprocessOutput::discarded;
    WorkerPool::instance().start([spec = std::move(spec)]() mutable {
        // xdg-open returns once the browser has the page; a hung one is ended after a minute.
        [[maybe_unused]] const auto result = Subprocess::run(std::move(spec), std::chrono::seconds(60), 0);
    });
    return true;
}

} // namespace mv
