#include "ui/models/restore/RestoreSectionModel.h"

#include "coordination/RestoreCoordinator.h"
#include "engine/VersionedStore.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"
#include "model/PathValidation.h"
#include "platform/WorkerPool.h"
#include "ui/models/restore/BackupBreadcrumb.h"
#include "ui/models/restore/RestoreTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>

#include <algorithm>
#include <memory>

// Every awaited task is made in a statement of its own and then awaited by name: GCC 12 mishandles
// temporaries inside a co_await expression.

namespace mv {

RestoreSectionModel::RestoreSectionModel(ViewContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{
}

const QList<BackupJob>& RestoreSectionModel::jobs() const
{
    return m_context.configuration.config().jobs;
}

std::optional<BackupJob> RestoreSectionModel::job() const
{
    if (!m_jobID)
        return std::nullopt;
    return m_context.configuration.job(*m_jobID);
}

std::optional<BackupDestination> RestoreSectionModel::destination() const
{
    const std::optional<BackupJob> chosen = job();
    if (!chosen || !m_destinationID)
        return std::nullopt;
    for (const BackupDestination& destination : chosen->destinations) {
        if (destination.id == *m_destinationID)
            return destination;
    }
    return std::nullopt;
}

bool RestoreSectionModel::isVersioned() const
{
    const std::optional<BackupJob> chosen = job();
    const std::optional<BackupDestination> chosenDestination = destination();
    return chosen && chosenDestination && effectiveMode(*chosen, *chosenDestination) == BackupMode::versioned;
}

bool RestoreSectionModel::isBrowsable() const
{
    const std::optional<BackupDestination> chosen = destination();
    return chosen && (chosen->kind == DestinationKind::local || chosen->kind == DestinationKind::network);
}

QStringList RestoreSectionModel::snapshots() const
{
    if (!isBrowsable())
        return {};
    return VersionedStore::snapshots(destination()->path);
}

void RestoreSectionModel::appear()
{
    if (m_appeared)
        return;
    m_appeared = true;
    const QList<BackupJob>& jobs = m_context.configuration.config().jobs;
    m_jobID = jobs.isEmpty() ? std::nullopt : std::optional(jobs.first().id);
    const std::optional<BackupJob> chosen = job();
    m_destinationID = chosen && !chosen->destinations.isEmpty()
        ? std::optional(chosen->destinations.first().id)
        : std::nullopt;
    selectRoot();
}

void RestoreSectionModel::chooseJob(const std::optional<QUuid>& jobID)
{
    if (jobID == m_jobID)
        return;
    m_jobID = jobID;
    const std::optional<BackupJob> chosen = job();
    m_destinationID = chosen && !chosen->destinations.isEmpty()
        ? std::optional(chosen->destinations.first().id)
        : std::nullopt;
    selectRoot();
}

void RestoreSectionModel::chooseDestination(const std::optional<QUuid>& destinationID)
{
    if (destinationID == m_destinationID)
        return;
    m_destinationID = destinationID;
    selectRoot();
}

void RestoreSectionModel::chooseSnapshot(const QString& path)
{
    m_rootPath = path;
    open(path);
}

void RestoreSectionModel::selectRoot()
{
    // A destination that is not a folder on this computer is never listed here.
    if (!isBrowsable()) {
        m_rootPath.clear();
        m_currentPath.clear();
        clearListing();
        Q_EMIT changed();
        return;
    }
    const QStringList found = snapshots();
    const QString root = found.isEmpty() ? PathValidation::normalize(destination()->path) : found.first();
    m_rootPath = root;
    if (root.isEmpty()) {
        Q_EMIT changed();
        return;
    }
    open(root);
}

void RestoreSectionModel::open(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_currentPath = folder;
    loadEntries();
}

void RestoreSectionModel::openRoot()
{
    open(m_rootPath);
}

void RestoreSectionModel::openComponent(qsizetype index)
{
    const QStringList components = BackupBreadcrumb::relativeComponents(m_rootPath, m_currentPath);
    if (index < 0 || index >= components.size())
        return;
    open(BackupBreadcrumb::componentPath(m_rootPath, components, index));
}

void RestoreSectionModel::openParent()
{
    if (const std::optional<QString> parent = BackupBreadcrumb::parentWithin(m_rootPath, m_currentPath))
        open(*parent);
}

void RestoreSectionModel::loadEntries()
{
    const quint64 generation = ++m_listingGeneration;
    m_isLoading = true;
    m_truncated = false;
    Q_EMIT changed();

    auto promise = std::make_shared<QPromise<BackupFolderListing>>();
    QFuture<BackupFolderListing> future = promise->future();
    promise->start();
    WorkerPool::instance().start([promise, folder = m_currentPath] {
        promise->addResult(BackupFolderListing::read(folder));
        promise->finish();
    });
    // The watcher belongs to this object: the answer arrives on its thread, and never once it is gone.
    auto* watcher = new QFutureWatcher<BackupFolderListing>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        deliver(generation, watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(future);
}

void RestoreSectionModel::deliver(quint64 generation, const BackupFolderListing& listing)
{
    // A listing overtaken by a newer request would show a folder the person has already left.
    if (generation != m_listingGeneration)
        return;
    m_isLoading = false;
    m_truncated = listing.truncated;
    m_entries = listing.entries;
    Q_EMIT entriesChanged();
    Q_EMIT changed();
}

void RestoreSectionModel::clearListing()
{
    ++m_listingGeneration;
    m_isLoading = false;
    m_truncated = false;
    m_entries.clear();
    Q_EMIT entriesChanged();
}

void RestoreSectionModel::setSelected(const QString& path, bool selected)
{
    if (selected == m_selected.contains(path))
        return;
    if (selected)
        m_selected.insert(path);
    else
        m_selected.remove(path);
    Q_EMIT selectionChanged();
}

void RestoreSectionModel::toggle(const QString& path)
{
    setSelected(path, !m_selected.contains(path));
}

void RestoreSectionModel::clearSelection()
{
    m_selected.clear();
    Q_EMIT selectionChanged();
}

void RestoreSectionModel::selectAllHere()
{
    m_selected.clear();
    for (const RestoreEntry& entry : std::as_const(m_entries))
        m_selected.insert(entry.path);
    Q_EMIT selectionChanged();
}

void RestoreSectionModel::restoreAll()
{
    // Without a backup root there is nothing to restore, and an empty path is no item.
    if (m_rootPath.isEmpty())
        return;
    m_selected = { m_rootPath };
    Q_EMIT selectionChanged();
    beginRestore();
}

void RestoreSectionModel::setLocation(RestoreLocation location)
{
    if (location == m_location)
        return;
    m_location = location;
    Q_EMIT changed();
}

void RestoreSectionModel::setCustomTarget(const QString& folder)
{
    m_customTarget = folder;
    Q_EMIT changed();
}

bool RestoreSectionModel::canRestore() const
{
    return isBrowsable() && !m_scanning && !m_selected.isEmpty();
}

std::optional<RestoreRequest> RestoreSectionModel::request() const
{
    const std::optional<BackupJob> chosen = job();
    const std::optional<BackupDestination> chosenDestination = destination();
    if (!chosen || !chosenDestination)
        return std::nullopt;
    RestoreRequest request;
    request.jobID = chosen->id;
    request.destinationID = chosenDestination->id;
    request.rootPath = m_rootPath;
    request.items = m_selected.values();
    std::sort(request.items.begin(), request.items.end());
    if (request.items.isEmpty())
        request.items = { m_rootPath };
    request.useOriginalLocations = m_location == RestoreLocation::original;
    request.targetBase = request.useOriginalLocations ? chosen->source.path : m_customTarget;
    request.overwriteExisting = false;
    request.jobName = chosen->name;
    request.sourcePath = chosen->source.path;
    request.destinationName = isVersioned()
        ? QStringLiteral("Snapshot ") + RestoreTexts::snapshotLabel(m_rootPath)
        : chosenDestination->name;
    return request;
}

void RestoreSectionModel::beginRestore()
{
    const std::optional<RestoreRequest> asked = request();
    if (!asked || !isBrowsable())
        return;
    if (m_location == RestoreLocation::custom && m_customTarget.isEmpty()) {
        m_errorMessage = QStringLiteral("Choose a folder for the restored items.");
        Q_EMIT errorMessageChanged();
        return;
    }
    setScanning(true);
    // The check goes on by itself; it answers on the main thread.
    QCoro::Task<> checking = checkAndStart(*asked);
}

QCoro::Task<> RestoreSectionModel::checkAndStart(RestoreRequest request)
{
    const QPointer<RestoreSectionModel> self(this);
    RestoreCoordinator& restores = m_context.restores;
    auto checking = restores.restoreRequiredConfirmation(request);
    const QStringList conflicts = co_await checking;
    if (!self)
        co_return;
    setScanning(false);
    if (conflicts.isEmpty()) {
        m_context.restores.performRestore(request);
        co_return;
    }
    m_conflictPrompt = ConflictPrompt { QUuid::createUuid(), request, conflicts };
    Q_EMIT conflictPromptChanged();
}

void RestoreSectionModel::answerConflict(ConflictAnswer answer)
{
    if (!m_conflictPrompt)
        return;
    RestoreRequest request = m_conflictPrompt->request;
    m_conflictPrompt.reset();
    Q_EMIT conflictPromptChanged();
    if (answer == ConflictAnswer::cancel)
        return;
    request.overwriteExisting = answer == ConflictAnswer::replace;
    m_context.restores.performRestore(request);
}

void RestoreSectionModel::dismissError()
{
    if (!m_errorMessage)
        return;
    m_errorMessage.reset();
    Q_EMIT errorMessageChanged();
}

void RestoreSectionModel::setScanning(bool scanning)
{
    m_scanning = scanning;
    Q_EMIT scanningChanged();
}

} // namespace mv
