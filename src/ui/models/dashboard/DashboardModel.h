#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

// The dashboard's navigation state, made once by the program: the section shown, the job whose editor is
// asked for, a request for the new-job editor, and the job filter and search text the activity section takes
// when it appears. The shell asks through the request functions; each request stays pending in its field
// until a view takes it, and also says so with a signal, so a request repeated while its field is still set,
// or for the section already shown, reaches the view all the same.
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

    // The shell's requests: open this job's editor, the new-job editor, or this job's activity (none: all).
    // Each writes its field, then shows the section that serves it.
    void requestJob(const QUuid& jobID);
    void requestNewJob();
    void requestActivity(std::optional<QUuid> jobID);

Q_SIGNALS:
    // Any field took a new value.
    void changed();
    void sectionChanged(DashboardSection section);
    // A request was raised, whatever its field held before.
    void jobRequested(const QUuid& jobID);
    void newJobRequested();
    void activityRequested(std::optional<QUuid> jobID);

private:
    template <typename T> bool assign(T& field, T value);

    DashboardSection m_section = DashboardSection::overview;
    std::optional<QUuid> m_selectedJobID;
    bool m_presentNewJob = false;
    std::optional<QUuid> m_activityJobID;
    QString m_activityQuery;
};

} // namespace mv
