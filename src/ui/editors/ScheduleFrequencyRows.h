#pragma once

#include "model/BackupSchedule.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QTimeEdit;

namespace mv {

class MinuteStepper;
class SettingsRow;

// The rows with which both editors set a schedule: "Frequency" always, then the rows the chosen kind needs.
// It has no frame of its own; the owner places it in its card column. It edits its copy of the schedule
// field by field and announces every change; saving is the owner's business.
class ScheduleFrequencyRows : public QWidget {
    Q_OBJECT
public:
    ScheduleFrequencyRows(
        BackupSchedule schedule, QString manualDetail, QString onMountDetail, QWidget* parent = nullptr);

    const BackupSchedule& schedule() const { return m_schedule; }

    QComboBox* frequencyPicker() const { return m_frequency; }
    QTimeEdit* timePicker() const { return m_time; }
    QComboBox* dayPicker() const { return m_day; }
    MinuteStepper* intervalStepper() const { return m_interval; }

Q_SIGNALS:
    void scheduleChanged(const BackupSchedule& schedule);

private:
    void change(const std::function<void(BackupSchedule&)>& edit);
    // Shows the rows the kind calls for; the others are absent.
    void showRows();

    BackupSchedule m_schedule;
    QString m_manualDetail;
    QString m_onMountDetail;
    QComboBox* m_frequency;
    QTimeEdit* m_time;
    QComboBox* m_day;
    MinuteStepper* m_interval;
    SettingsRow* m_timeRow;
    SettingsRow* m_dayRow;
    SettingsRow* m_intervalRow;
    SettingsRow* m_waitingRow;
    SettingsRow* m_manualRow;
};

} // namespace mv
