#pragma once

#include "model/BackupSchedule.h"

#include <QWidget>

namespace mv {

// The rows with which both editors set a schedule: "Frequency" always, then the rows the chosen kind needs.
// It has no frame of its own; the owner places it in its card column. It edits its copy of the schedule
// field by field and announces every change; saving is the owner's business.
class ScheduleFrequencyRows : public QWidget {
    Q_OBJECT
public:
    ScheduleFrequencyRows(
        BackupSchedule schedule, QString manualDetail, QString onMountDetail, QWidget* parent = nullptr);

    const BackupSchedule& schedule() const { return m_schedule; }

Q_SIGNALS:
    void scheduleChanged(const BackupSchedule& schedule);

private:
    BackupSchedule m_schedule;
    QString m_manualDetail;
    QString m_onMountDetail;
};

} // namespace mv
