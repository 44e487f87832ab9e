#include "ui/models/editors/SourceSizeMeasurement.h"

#include "model/DirectoryTools.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"
#include "platform/WorkerPool.h"

#include <QCoreApplication>
#include <QPointer>

namespace mv {

namespace {
constexpr double sizeBudgetSeconds = 1.2;
} // namespace

SourceSizeMeasurement::SourceSizeMeasurement(Measure measure, QObject* parent)
    : QObject(parent)
    , m_measure(measure ? std::move(measure) : Measure([](const QString& path) {
        return DirectoryTools::quickSize(path, sizeBudgetSeconds);
    }))
{
}

void SourceSizeMeasurement::measure(const QString& path)
{
    const quint64 generation = ++m_generation;
    if (path.isEmpty() || PathValidation::validateSource(path)) {
        finish(std::nullopt, false);
        return;
    }
    m_loading = true;
    Q_EMIT changed();
    // The answer comes back through the application object, which outlives this one.
    QPointer<SourceSizeMeasurement> self(this);
    WorkerPool::instance().start([self, generation, path, measure = m_measure] {
        const std::optional<qint64> size = measure(path);
        const bool external = VolumeInspector::isExternal(path);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, size, external] {
                if (self && generation == self->m_generation)
                    self->finish(size, external);
            },
            Qt::QueuedConnection);
    });
}

void SourceSizeMeasurement::finish(std::optional<qint64> size, bool external)
{
    m_size = size;
    m_external = external;
    m_loading = false;
    Q_EMIT changed();
}

} // namespace mv
