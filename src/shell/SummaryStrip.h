#pragma once

#include "ui/models/CoalescedCall.h"

#include <QWidget>

namespace mv {

class AppState;
class StatCell;

// The panel's strip of three figures: the last successful backup, the number of jobs and the bytes
// transferred, between hairline dividers. It follows the state hub and the history by itself.
class SummaryStrip : public QWidget {
    Q_OBJECT
public:
    explicit SummaryStrip(AppState& app, QWidget* parent = nullptr);

    // Reads the figures again now.
    void refresh();

    StatCell* lastBackupCell() const { return m_lastBackup; }
    StatCell* jobsCell() const { return m_jobs; }
    StatCell* transferredCell() const { return m_transferred; }

private:
    AppState& m_app;
    StatCell* m_lastBackup;
    StatCell* m_jobs;
    StatCell* m_transferred;
    CoalescedCall m_refresh;
};

} // namespace mv
