#include "ui/models/editors/JobEditorModel.h"

#include "coordination/HistoryFeed.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"
#include "platform/Bookmark.h"
#include "platform/Clock.h"
#include "ui/models/editors/JobSave.h"
#include "ui/models/shared/ViewContext.h"

#include <QFileInfo>
#include <QTimeZone>

namespace mv {

namespace {

// Spaces, tabs and other space characters, but not line breaks.
bool isBlank(QChar character)
{
    return character == QLatin1Char('\t') || character.category() == QChar::Separator_Space;
}

QString trimmedBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

} // namespace

JobEditorModel::JobEditorModel(
    JobEditorContext context, SourceSizeMeasurement::Measure measure, QObject* parent)
    : QObject(parent)
    , m_context(std::move(context))
    , m_draft(m_context.job)
    , m_size(std::move(measure))
    , m_mirrorAcknowledged(m_context.job.mode == BackupMode::mirror)
{
    connect(&m_size, &SourceSizeMeasurement::changed, this, &JobEditorModel::changed);
}

bool JobEditorModel::isValid() const
{
    return !trimmedBlanks(m_draft.name).isEmpty() && !m_draft.source.path.isEmpty()
        && !m_draft.destinations.isEmpty() && (m_draft.mode != BackupMode::mirror || m_mirrorAcknowledged);
}

void JobEditorModel::edit(const std::function<void(BackupJob&)>& change)
{
    change(m_draft);
    Q_EMIT changed();
}

void JobEditorModel::setName(const QString& name)
{
    if (name != m_draft.name)
        edit([&name](BackupJob& job) { job.name = name; });
}

void JobEditorModel::setSource(const QString& path)
{
    const QString normalized = PathValidation::normalize(path);
    const QString folderName = QFileInfo(normalized).fileName();
    BackupSource source;
    source.path = normalized;
    source.displayName = folderName;
    source.bookmark = Bookmark::create(normalized);
    if (const std::optional<VolumeInfo> volume = VolumeInspector::volume(normalized))
        source.volumeIdentity = volume->identity;
    const bool pathChanged = normalized != m_draft.source.path;
    m_draft.source = source;
    if (m_draft.name == QLatin1String("New Backup") || m_draft.name.isEmpty())
        m_draft.name = folderName;
    m_errorMessage.reset();
    Q_EMIT changed();
    if (pathChanged)
        loadSourceSize();
}

void JobEditorModel::loadSourceSize()
{
    m_size.measure(m_draft.source.path);
}

void JobEditorModel::chooseMode(BackupMode mode)
{
    m_draft.mode = mode;
    m_mirrorAcknowledged = mode != BackupMode::mirror || m_context.job.mode == BackupMode::mirror;
    Q_EMIT changed();
}

void JobEditorModel::setMirrorAcknowledged(bool acknowledged)
{
    m_mirrorAcknowledged = acknowledged;
    Q_EMIT changed();
}

void JobEditorModel::setSchedule(const BackupSchedule& schedule)
{
    edit([&schedule](BackupJob& job) { job.schedule = schedule; });
}

void JobEditorModel::addDestination()
{
    const qsizetype count = m_draft.destinations.size();
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name
        = count == 0 ? QStringLiteral("Backup Drive") : QStringLiteral("Destination %1").arg(count + 1);
    destination.kind = DestinationKind::local;
    destination.port = 22;
    destination.usesJobSchedule = true;
    destination.schedule = m_draft.schedule;
    destination.retention = 5;
    destination.isEnabled = true;
    openDestinationEditor(destination, true);
}

void JobEditorModel::editDestination(const QUuid& id)
{
    for (const BackupDestination& destination : std::as_const(m_draft.destinations)) {
        if (destination.id == id) {
            openDestinationEditor(destination, false);
            return;
        }
    }
}

void JobEditorModel::openDestinationEditor(const BackupDestination& destination, bool isNew)
{
    m_destinationEditor = DestinationEditorContext { QUuid::createUuid(), destination, isNew };
    Q_EMIT destinationEditorChanged();
}

void JobEditorModel::closeDestinationEditor()
{
    m_destinationEditor.reset();
    Q_EMIT destinationEditorChanged();
}

void JobEditorModel::destinationSaved(const BackupDestination& destination)
{
    QList<BackupDestination>& list = m_draft.destinations;
    const auto same = std::find_if(list.begin(), list.end(),
        [&destination](const BackupDestination& entry) { return entry.id == destination.id; });
    if (same != list.end())
        *same = destination;
    else
        list.append(destination);
    Q_EMIT changed();
    closeDestinationEditor();
}

void JobEditorModel::destinationCancelled()
{
    closeDestinationEditor();
}

void JobEditorModel::setDestinationEnabled(const QUuid& id, bool enabled)
{
    for (BackupDestination& destination : m_draft.destinations) {
        if (destination.id == id) {
            destination.isEnabled = enabled;
            Q_EMIT changed();
            return;
        }
    }
}

void JobEditorModel::removeDestination(const QUuid& id)
{
    edit([&id](BackupJob& job) {
        job.destinations.removeIf(
            [&id](const BackupDestination& destination) { return destination.id == id; });
    });
}

void JobEditorModel::setExclusion(BuiltInExclusion exclusion, bool excluded)
{
    edit([=](BackupJob& job) {
        if (excluded)
            job.options.builtInExclusions.insert(exclusion);
        else
            job.options.builtInExclusions.erase(exclusion);
    });
}

void JobEditorModel::setCustomPattern(const QString& pattern)
{
    m_customPattern = pattern;
}

void JobEditorModel::addPattern()
{
    const QString pattern = m_customPattern.trimmed();
    if (pattern.isEmpty() || m_draft.options.customExclusions.contains(pattern))
        return;
    m_draft.options.customExclusions.append(pattern);
    m_customPattern.clear();
    Q_EMIT changed();
}

void JobEditorModel::removePattern(const QString& pattern)
{
    edit([&pattern](BackupJob& job) { job.options.customExclusions.removeAll(pattern); });
}

void JobEditorModel::setBandwidthLimit(qint64 kiloBytesPerSecond)
{
    edit([kiloBytesPerSecond](BackupJob& job) {
        job.options.bandwidthLimitKBps
            = kiloBytesPerSecond == 0 ? std::nullopt : std::optional<qint64>(kiloBytesPerSecond);
    });
}

void JobEditorModel::setOption(bool TransferOptions::*option, bool on)
{
    edit([option, on](BackupJob& job) { job.options.*option = on; });
}

bool JobEditorModel::save(ViewContext& context)
{
    m_errorMessage.reset();
    BackupJob job = m_draft;
    job.name = job.name.trimmed();
    QList<BackupJob> otherJobs = context.configuration.config().jobs;
    otherJobs.removeIf([&job](const BackupJob& other) { return other.id == job.id; });
    if (std::optional<QString> problem = JobSave::firstProblem(job, m_mirrorAcknowledged, otherJobs)) {
        m_errorMessage = std::move(problem);
        Q_EMIT changed();
        return false;
    }
    job = JobSave::committed(std::move(job), context.clock.now(), QTimeZone::systemTimeZone());
    ConfigurationStore& store = context.configuration;
    if (m_context.isNew) {
        store.addJob(job);
        context.requests.requestNotificationAuthorization();
    } else {
        store.replaceJob(job);
    }
    context.history.refresh();
    Q_EMIT changed();
    return true;
}

} // namespace mv
