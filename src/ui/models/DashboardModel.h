#pragma once

#include "ui/models/DashboardSection.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

// The dashboard's navigation state, made once by the program: the section shown, the job whose editor is
// asked for, a request for the new-job editor, and the job filter and search text the activity section takes
// when it appears. Views change it through the setters and follow `changed`.
class DashboardModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    DashboardSection section() const { return m_section; }
    void setSection(DashboardSection section);
    const std::optional<QUuid>& selectedJobID() const { return m_selectedJobID; }
    void setSelectedJobID(std::optional<QUuid> jobID);
    bool presentNewJob() const { return m_presentNewJob; }
    void setPresentNewJob(bool present);
    const std::optional<QUuid>& activityJobID() const { return m_activityJobID; }
    void setActivityJobID(std::optional<QUuid> jobID);
    const QString& activityQuery() const { return m_activityQuery; }
    void setActivityQuery(const QString& query);

Q_SIGNALS:
    void changed();

private:
    template <typename T> void assign(T& field, T value);

    DashboardSection m_section = DashboardSection::overview;
    std::optional<QUuid> m_selectedJobID;
    bool m_presentNewJob = false;
    std::optional<QUuid> m_activityJobID;
    QString m_activityQuery;
};

} // namespace mv
