#include "ui/models/shared/ActiveRunsModel.h"

#include "coordination/BackupCoordinator.h"
#include "coordination/RunPhaseGroups.h"

#include <algorithm>

namespace mv {

namespace {

bool sameState(const ActiveRun& a, const ActiveRun& b)
{
    return a.progress.phase == b.progress.phase && a.progress.message == b.progress.message
        && a.jobName == b.jobName && a.destinationName == b.destinationName;
}

} // namespace

ActiveRunsModel::ActiveRunsModel(BackupCoordinator& coordinator, QObject* parent)
    : IdentityListModel<ActiveRun>(parent)
    , m_coordinator(coordinator)
    , m_membership(this, [this] { refresh(); })
    , m_progress(
          this, [this] { refresh(); }, progressInterval)
{
    connect(&m_coordinator, &BackupCoordinator::runAdded, this, [this] { m_membership.request(); });
    connect(&m_coordinator, &BackupCoordinator::runRemoved, this, [this] { m_membership.request(); });
    connect(&m_coordinator, &BackupCoordinator::runChanged, this, &ActiveRunsModel::take);
    refresh();
}

// A change of phase or message is a change of status: it is not held back with the figures.
void ActiveRunsModel::take(const RunKey& key)
{
    const std::optional<ActiveRun> now = m_coordinator.run(key);
    const std::optional<ActiveRun> shown = run(key);
    if (!now || !shown || !sameState(*now, *shown))
        m_membership.request();
    else
        m_progress.request();
}

void ActiveRunsModel::refresh()
{
    QHash<RunKey, ActiveRun> before;
    for (const ActiveRun& row : rows())
        before.insert(row.key, row);
    const QList<ActiveRun> runs = m_coordinator.runs();
    apply(runs);
    for (const ActiveRun& row : runs) {
        const auto known = before.constFind(row.key);
        if (known == before.cend())
            Q_EMIT runAdded(row.key);
        else if (!sameState(*known, row))
            Q_EMIT runStateChanged(row.key);
        else if (*known != row)
            Q_EMIT runFiguresChanged(row.key);
        before.remove(row.key);
    }
    for (auto gone = before.cbegin(); gone != before.cend(); ++gone)
        Q_EMIT runRemoved(gone.key());
}

std::optional<ActiveRun> ActiveRunsModel::run(const RunKey& key) const
{
    const auto found = std::find_if(
        rows().cbegin(), rows().cend(), [&key](const ActiveRun& row) { return row.key == key; });
    if (found == rows().cend())
        return std::nullopt;
    return *found;
}

QList<ActiveRun> ActiveRunsModel::liveRuns() const
{
    QList<ActiveRun> live;
    std::copy_if(rows().cbegin(), rows().cend(), std::back_inserter(live),
        [](const ActiveRun& row) { return isLive(row.progress.phase); });
    std::stable_sort(live.begin(), live.end(),
        [](const ActiveRun& a, const ActiveRun& b) { return a.progress.startedAt < b.progress.startedAt; });
    return live;
}

int ActiveRunsModel::activeCount() const
{
    return int(std::count_if(
        rows().cbegin(), rows().cend(), [](const ActiveRun& row) { return isActive(row.progress.phase); }));
}

QString ActiveRunsModel::identity(const ActiveRun& row) const
{
    return row.id();
}
QVariant ActiveRunsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ActiveRun& run = rows().at(index.row());
    const RunProgress& progress = run.progress;
    const auto optional = [](const auto& value) { return value ? QVariant(*value) : QVariant(); };
    switch (role) {
    case Qt::DisplayRole:
        return run.jobName;
    case JobIDRole:
        return run.key.jobID;
    case DestinationIDRole:
        return run.key.destinationID;
    case DestinationNameRole:
        return run.destinationName;
    case PhaseRole:
        return int(progress.phase);
    case FractionRole:
        return optional(progress.fraction);
    case BytesRole:
        return progress.bytesTransferred;
    case RateRole:
        return progress.bytesPerSecond;
    case FilesCompletedRole:
        return progress.filesCompleted;
    case FilesTotalRole:
        return progress.filesTotal;
    case CurrentFileRole:
        return optional(progress.currentFile);
    case EtaRole:
        return optional(progress.etaSeconds);
    case MessageRole:
        return optional(progress.message);
    default:
        return {};
    }
}

QHash<int, QByteArray> ActiveRunsModel::roleNames() const
{
    return { { Qt::DisplayRole, "jobName" }, { JobIDRole, "jobID" }, { DestinationIDRole, "destinationID" },
        { DestinationNameRole, "destinationName" }, { PhaseRole, "phase" }, { FractionRole, "fraction" },
        { BytesRole, "bytes" }, { RateRole, "rate" }, { FilesCompletedRole, "filesCompleted" },
        { FilesTotalRole, "filesTotal" }, { CurrentFileRole, "currentFile" }, { EtaRole, "eta" },
        { MessageRole, "message" } };
}

} // namespace mv
