#pragma once

#include <QWidget>

namespace mv {

class JobEditorModel;
class ScheduleFrequencyRows;

// "Job schedule": the schedule rows on a card, for the job and every destination that follows it.
class JobScheduleSection : public QWidget {
    Q_OBJECT
public:
    explicit JobScheduleSection(JobEditorModel& model, QWidget* parent = nullptr);

    ScheduleFrequencyRows* rows() const { return m_rows; }

private:
    ScheduleFrequencyRows* m_rows;
};

} // namespace mv
