#include "ui/models/dashboard/DashboardModel.h"

namespace mv {

template <typename T> bool DashboardModel::assign(T& field, T value)
{
    if (field == value)
        return false;
    field = std::move(value);
    Q_EMIT changed();
    return true;
}

void DashboardModel::setSection(DashboardSection section)
{
    if (assign(m_section, section))
        Q_EMIT sectionChanged(section);
}

void DashboardModel::setSelectedJobID(std::optional<QUuid> jobID)
{
    assign(m_selectedJobID, jobID);
}

void DashboardModel::setPresentNewJob(bool present)
{
    assign(m_presentNewJob, present);
}

void DashboardModel::setActivityJobID(std::optional<QUuid> jobID)
{
    assign(m_activityJobID, jobID);
}

void DashboardModel::setActivityQuery(const QString& query)
{
    assign(m_activityQuery, query);
}

void DashboardModel::requestJob(const QUuid& jobID)
{
    setSelectedJobID(jobID);
    Q_EMIT jobRequested(jobID);
    setSection(DashboardSection::jobs);
}

void DashboardModel::requestNewJob()
{
    setPresentNewJob(true);
    Q_EMIT newJobRequested();
    setSection(DashboardSection::jobs);
}

void DashboardModel::requestActivity(std::optional<QUuid> jobID)
{
    setActivityJobID(jobID);
    Q_EMIT activityRequested(jobID);
    setSection(DashboardSection::activity);
}

} // namespace mv
