#pragma once

#include "ui/kit/CardSurface.h"

#include <QHash>

class QVBoxLayout;

namespace mv {

class ActiveRunRow;
class ActiveRunsModel;
class JobActions;
class Commands;
class SectionHeader;

// The overview's card of live runs: "Running now" with the number of all active runs and "Pause All", then
// the three oldest runs. A run keeps its row (and the row its state) while it stays among the three; the card
// follows the run list's comings and goings and each row its own run. It is hidden while no run is live.
class ActiveRunsOverviewCard : public CardSurface {
    Q_OBJECT
public:
    static constexpr int shownRuns = 3;

    ActiveRunsOverviewCard(
        ActiveRunsModel& runs, JobActions& jobs, Commands& commands, QWidget* parent = nullptr);

    SectionHeader* header() const { return m_header; }
    // The rows in the order shown.
    QList<ActiveRunRow*> rows() const;

private:
    void refresh();

    ActiveRunsModel& m_runs;
    JobActions& m_jobs;
    SectionHeader* m_header;
    QVBoxLayout* m_rows;
    QHash<QString, ActiveRunRow*> m_byRun;
};

} // namespace mv
