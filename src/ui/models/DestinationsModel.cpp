#include "ui/models/DestinationsModel.h"

#include "coordination/AppState.h"
#include "model/UuidText.h"
#include "ui/models/StatusRoles.h"

namespace mv {

DestinationsModel::DestinationsModel(AppState& state, QObject* parent)
    : IdentityListModel<DestinationRow>(parent)
    , m_state(state)
    , m_refresh(this, [this] { refresh(); })
{
    connect(&m_state, &AppState::changed, this, [this] { m_refresh.request(); });
    refresh();
}

void DestinationsModel::refresh()
{
    QList<DestinationRow> next;
    for (JobDestination& pair : m_state.allDestinations()) {
        DestinationDisplayStatus status = m_state.destinationStatus(pair.job, pair.destination);
        next.append({ std::move(pair), std::move(status) });
    }
    apply(next);
}

QString DestinationsModel::identity(const DestinationRow& row) const
{
    return uuidText(row.pair.job.id) + u'-' + uuidText(row.pair.destination.id);
}

QVariant DestinationsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DestinationRow& row = rows().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.pair.destination.name;
    case JobNameRole:
        return row.pair.job.name;
    case StatusRoles::IdRole:
        return row.pair.destination.id;
    case StatusRoles::EnabledRole:
        return row.pair.job.isEnabled && row.pair.destination.isEnabled;
    default:
        return StatusRoles::data(row.status, role);
    }
}

QHash<int, QByteArray> DestinationsModel::roleNames() const
{
    QHash<int, QByteArray> names = StatusRoles::names();
    names.insert(JobNameRole, "jobName");
    return names;
}

} // namespace mv
