#include "ui/models/panel/JobsModel.h"

#include "model/ConfigurationStore.h"
#include "model/UuidText.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/StatusRoles.h"

namespace mv {

JobsModel::JobsModel(ConfigurationStore& configuration, StatusBoard& status, QObject* parent)
    : IdentityListModel<JobRow>(parent)
    , m_configuration(configuration)
    , m_status(status)
    , m_refresh(this, [this] { refresh(); })
{
    const auto request = [this] { m_refresh.request(); };
    connect(&m_configuration, &ConfigurationStore::changed, this, request);
    connect(&m_status, &StatusBoard::jobStatusChanged, this, request);
    refresh();
}

void JobsModel::refresh()
{
    QList<JobRow> next;
    for (const BackupJob& job : m_configuration.config().jobs)
        next.append({ job, m_status.jobStatus(job.id) });
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
