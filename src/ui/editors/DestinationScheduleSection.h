#pragma once

#include <QWidget>

class QCheckBox;

namespace mv {

class DestinationEditorModel;
class ScheduleFrequencyRows;
class SettingsRow;

// When the destination runs: on the job's schedule (shown, not editable here) or on one of its own, set with
// the shared schedule rows (the sheet's scheduleSection).
class DestinationScheduleSection : public QWidget {
    Q_OBJECT
public:
    explicit DestinationScheduleSection(DestinationEditorModel& model, QWidget* parent = nullptr);

    QCheckBox* followSwitch() const { return m_follow; }
    // "Frequency" with the job's schedule, shown while the destination follows it.
    SettingsRow* jobFrequencyRow() const { return m_jobFrequency; }
    ScheduleFrequencyRows* ownScheduleRows() const { return m_ownSchedule; }
    void refresh();

private:
    DestinationEditorModel& m_model;
    QCheckBox* m_follow;
    SettingsRow* m_jobFrequency;
    ScheduleFrequencyRows* m_ownSchedule;
};

} // namespace mv
