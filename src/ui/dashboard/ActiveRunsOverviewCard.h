#pragma once

#include "ui/kit/CardSurface.h"

#include <QHash>

class QVBoxLayout;

namespace mv {

class ActiveRunRow;
class BackupCoordinator;
class SectionHeader;

// The overview's card of live runs: "Running now" with the number of all active runs and "Pause All", then
// the three oldest runs. A run keeps its row (and the row its state) while it stays among the three.
class ActiveRunsOverviewCard : public CardSurface {
    Q_OBJECT
public:
    static constexpr int shownRuns = 3;

    explicit ActiveRunsOverviewCard(BackupCoordinator& coordinator, QWidget* parent = nullptr);
    // Reads the coordinator's active runs again.
    void refresh();

    SectionHeader* header() const { return m_header; }
    // The rows in the order shown.
    QList<ActiveRunRow*> rows() const;

private:
    BackupCoordinator& m_coordinator;
    SectionHeader* m_header;
    QVBoxLayout* m_rows;
    QHash<QString, ActiveRunRow*> m_byRun;
};

} // namespace mv
