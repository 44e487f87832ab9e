#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"

#include <QWidget>

#include <functional>

namespace mv {

class IconButton;
class StatusDot;

// One job in the overview's list: folder symbol, name, destinations and mode, when it last ran, its status
// dot and a run button. A press on the row outside the button opens the job.
class OverviewJobRow : public QWidget {
    Q_OBJECT
public:
    OverviewJobRow(const BackupJob& job, const DestinationDisplayStatus& status, const QString& lastActivity,
        std::function<void(const BackupJob&)> openEditor, std::function<void(const BackupJob&)> run,
        QWidget* parent = nullptr);
    const BackupJob& job() const { return m_job; }
    StatusDot* dot() const { return m_dot; }
    IconButton* runButton() const { return m_run; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    BackupJob m_job;
    std::function<void(const BackupJob&)> m_openEditor;
    StatusDot* m_dot;
    IconButton* m_run;
};

} // namespace mv
