#pragma once

#include "ui/models/shared/CoalescedCall.h"

#include <QWidget>

namespace mv {

class Clock;
class ConfigurationStore;
class MetricView;
class StatusBoard;

// The panel's strip of three figures: the last successful backup, the number of jobs and the bytes
// transferred, between hairline dividers. It follows the status board's summary and the configuration's
// jobs by itself.
class SummaryStrip : public QWidget {
    Q_OBJECT
public:
    SummaryStrip(
        StatusBoard& status, ConfigurationStore& configuration, Clock& clock, QWidget* parent = nullptr);

    // Reads the figures again now.
    void refresh();

    MetricView* lastBackupCell() const { return m_lastBackup; }
    MetricView* jobsCell() const { return m_jobs; }
    MetricView* transferredCell() const { return m_transferred; }

private:
    StatusBoard& m_status;
    ConfigurationStore& m_configuration;
    Clock& m_clock;
    MetricView* m_lastBackup;
    MetricView* m_jobs;
    MetricView* m_transferred;
    CoalescedCall m_refresh;
};

} // namespace mv
