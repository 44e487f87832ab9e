#include "ui/editors/ScheduleFrequencyRows.h"

#include "ui/editors/MinuteStepper.h"
#include "ui/kit/SettingsRow.h"
#include "ui/models/editors/JobEditorPresentation.h"

#include <QComboBox>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace mv {

namespace {

constexpr qint64 intervalMinimum = 5;
constexpr qint64 intervalMaximum = 1440;
constexpr qint64 intervalStep = 5;

// The time the picker shows: the stored hour and minute, or the current time when they form no time.
QTime shownTime(const BackupSchedule& schedule)
{
    const QTime time(int(schedule.hour), int(schedule.minute));
    if (schedule.hour < 0 || schedule.hour > 23 || schedule.minute < 0 || schedule.minute > 59
        || !time.isValid())
        return QTime::currentTime();
    return time;
}

} // namespace

ScheduleFrequencyRows::ScheduleFrequencyRows(
    BackupSchedule schedule, QString manualDetail, QString onMountDetail, QWidget* parent)
    : QWidget(parent)
    , m_schedule(std::move(schedule))
    , m_manualDetail(std::move(manualDetail))
    , m_onMountDetail(std::move(onMountDetail))
    , m_frequency(new QComboBox(this))
    , m_time(new QTimeEdit(shownTime(m_schedule), this))
    , m_day(new QComboBox(this))
    , m_interval(
          new MinuteStepper(m_schedule.customMinutes, intervalMinimum, intervalMaximum, intervalStep, this))
{
    for (const ScheduleKind kind : allCases<ScheduleKind>())
        m_frequency->addItem(scheduleKindTitle(kind));
    m_frequency->setCurrentIndex(int(m_schedule.kind));
    m_frequency->setFixedWidth(200);
    m_frequency->setAccessibleName(QStringLiteral("Frequency"));

    m_time->setDisplayFormat(QStringLiteral("HH:mm"));
    m_time->setFixedWidth(100);
    m_time->setAccessibleName(QStringLiteral("Time"));

    for (qint64 weekday = 1; weekday <= 7; ++weekday)
        m_day->addItem(BackupSchedule::weekdayName(weekday));
    // A stored weekday outside 1…7 matches no entry until one is picked.
    m_day->setCurrentIndex(
        m_schedule.weekday >= 1 && m_schedule.weekday <= 7 ? int(m_schedule.weekday - 1) : -1);
    m_day->setFixedWidth(130);
    m_day->setAccessibleName(QStringLiteral("Day"));

    m_timeRow = new SettingsRow(QStringLiteral("Time"), std::nullopt, m_time, this);
    m_dayRow = new SettingsRow(QStringLiteral("Day"), std::nullopt, m_day, this);
    m_intervalRow = new SettingsRow(
        QStringLiteral("Interval"), QStringLiteral("Minutes between runs."), m_interval, this);
    m_waitingRow = new SettingsRow(QStringLiteral("Waiting"), m_onMountDetail, nullptr, this);
    m_manualRow = new SettingsRow(QStringLiteral("Manual"), m_manualDetail, nullptr, this);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(new SettingsRow(QStringLiteral("Frequency"), std::nullopt, m_frequency, this));
    for (SettingsRow* row : { m_timeRow, m_dayRow, m_intervalRow, m_waitingRow, m_manualRow })
        rows->addWidget(row);
    showRows();

    connect(m_frequency, &QComboBox::activated, this, [this](int index) {
        change([index](BackupSchedule& schedule) { schedule.kind = static_cast<ScheduleKind>(index); });
        showRows();
    });
    connect(m_time, &QTimeEdit::timeChanged, this, [this](QTime time) {
        if (time.hour() == m_schedule.hour && time.minute() == m_schedule.minute)
            return;
        change([time](BackupSchedule& schedule) {
            schedule.hour = time.hour();
            schedule.minute = time.minute();
        });
    });
    connect(m_day, &QComboBox::activated, this,
        [this](int index) { change([index](BackupSchedule& schedule) { schedule.weekday = index + 1; }); });
    connect(m_interval, &MinuteStepper::valueChanged, this, [this](qint64 minutes) {
        change([minutes](BackupSchedule& schedule) { schedule.customMinutes = minutes; });
    });
}

void ScheduleFrequencyRows::change(const std::function<void(BackupSchedule&)>& edit)
{
    edit(m_schedule);
    Q_EMIT scheduleChanged(m_schedule);
}

void ScheduleFrequencyRows::showRows()
{
    const ScheduleKind kind = m_schedule.kind;
    m_timeRow->setVisible(kind == ScheduleKind::daily || kind == ScheduleKind::weekly);
    m_dayRow->setVisible(kind == ScheduleKind::weekly);
    m_intervalRow->setVisible(kind == ScheduleKind::custom);
    m_waitingRow->setVisible(kind == ScheduleKind::onMount);
    m_manualRow->setVisible(kind == ScheduleKind::manual);
}

} // namespace mv
