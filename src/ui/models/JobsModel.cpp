#include "ui/models/JobsModel.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "model/UuidText.h"
#include "ui/models/StatusRoles.h"

namespace mv {

JobsModel::JobsModel(AppState& state, QObject* parent)
    : IdentityListModel<JobRow>(parent)
    , m_state(state)
    , m_refresh(this, [this] { refresh(); })
{
    connect(&m_state, &AppState::changed, this, [this] { m_refresh.request(); });
    refresh();
}

void JobsModel::refresh()
{
    QList<JobRow> next;
    for (const BackupJob& job : m_state.store().config().jobs)
        next.append({ job, m_state.jobStatus(job) });
    apply(next);
}

QString JobsModel::identity(const JobRow& row) const
{
    return uuidText(row.job.id);
}

QVariant JobsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const JobRow& row = rows().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.job.name;
    case StatusRoles::IdRole:
        return row.job.id;
    case StatusRoles::EnabledRole:
        return row.job.isEnabled;
    default:
        return StatusRoles::data(row.status, role);
    }
}

QHash<int, QByteArray> JobsModel::roleNames() const
{
    return StatusRoles::names();
}

} // namespace mv
