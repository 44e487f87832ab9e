#include "ui/models/DashboardModel.h"

namespace mv {

template <typename T> void DashboardModel::assign(T& field, T value)
{
    if (field == value)
        return;
    field = std::move(value);
    Q_EMIT changed();
}

void DashboardModel::setSection(DashboardSection section)
{
    assign(m_section, section);
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
    setSection(DashboardSection::jobs);
}

void DashboardModel::requestNewJob()
{
    setPresentNewJob(true);
    setSection(DashboardSection::jobs);
}

void DashboardModel::requestActivity(std::optional<QUuid> jobID)
{
    setActivityJobID(jobID);
    setSection(DashboardSection::activity);
}

} // namespace mv
