#include "ui/editors/ScheduleFrequencyRows.h"

namespace mv {

ScheduleFrequencyRows::ScheduleFrequencyRows(
    BackupSchedule schedule, QString manualDetail, QString onMountDetail, QWidget* parent)
    : QWidget(parent)
    , m_schedule(std::move(schedule))
    , m_manualDetail(std::move(manualDetail))
    , m_onMountDetail(std::move(onMountDetail))
{
}

} // namespace mv
