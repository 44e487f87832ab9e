#include "ui/models/ActiveRunsModel.h"

#include "coordination/BackupCoordinator.h"

namespace mv {

ActiveRunsModel::ActiveRunsModel(BackupCoordinator& coordinator, QObject* parent)
    : IdentityListModel<ActiveRun>(parent)
    , m_coordinator(coordinator)
    , m_membership(this, [this] { refresh(); })
    , m_progress(
          this, [this] { refresh(); }, progressInterval)
{
    connect(&m_coordinator, &BackupCoordinator::runAdded, this, [this] { m_membership.request(); });
    connect(&m_coordinator, &BackupCoordinator::runRemoved, this, [this] { m_membership.request(); });
    connect(&m_coordinator, &BackupCoordinator::runChanged, this, [this] { m_progress.request(); });
    refresh();
}

void ActiveRunsModel::refresh()
{
    apply(m_coordinator.runs());
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
