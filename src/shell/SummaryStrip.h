#pragma once

#include "ui/models/CoalescedCall.h"

#include <QWidget>

namespace mv {

class AppState;
class MetricView;

// The panel's strip of three figures: the last successful backup, the number of jobs and the bytes
// transferred, between hairline dividers. It follows the state hub and the history by itself.
class SummaryStrip : public QWidget {
    Q_OBJECT
public:
    explicit SummaryStrip(AppState& app, QWidget* parent = nullptr);

    // Reads the figures again now.
    void refresh();

    MetricView* lastBackupCell() const { return m_lastBackup; }
    MetricView* jobsCell() const { return m_jobs; }
    MetricView* transferredCell() const { return m_transferred; }

private:
    AppState& m_app;
    MetricView* m_lastBackup;
    MetricView* m_jobs;
    MetricView* m_transferred;
    CoalescedCall m_refresh;
};

} // namespace mv
