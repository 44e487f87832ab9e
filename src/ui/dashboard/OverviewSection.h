#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QVBoxLayout;

namespace mv {

class ActiveRunsOverviewCard;
class Clock;
class HealthCard;
class SectionHeader;
class MetricView;
struct ViewContext;

// What the dashboard hands a section: open a job's editor, show a run's log.
struct SectionCallbacks {
    std::function<void(const BackupJob&)> openEditor;
    std::function<void(const BackupRunRecord&)> showLog;
};

// The dashboard's first page: the overall health, the live runs, four summary figures, the jobs and the most
// recent runs. It follows the configuration, the status board and the history; a burst of changes is one
// refresh. The health and active-runs cards follow what they show by themselves.
class OverviewSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int recentRunsShown = 6;
    // Job rows made at once. Further rows are made once the event loop has run: thousands made in one go
    // would hold it, and each new widget searches Qt's queue of posted events, which would only grow.
    static constexpr std::size_t jobRowsPerBatch = 100;

    OverviewSection(
        ViewContext& context, Clock& clock, SectionCallbacks callbacks, QWidget* parent = nullptr);
    // Reads the state again now.
    void refresh();

    HealthCard* healthCard() const { return m_health; }
    ActiveRunsOverviewCard* activeRunsCard() const { return m_activeRuns; }
    QList<MetricView*> metricCards() const { return m_metrics; }
    SectionHeader* jobsHeader() const { return m_jobsHeader; }
    SectionHeader* activityHeader() const { return m_activityHeader; }

private:
    void refreshJobs();
    // Adds the rows of the shown jobs from `first` on to the card being filled, a batch now and the rest
    // later; the full card takes the place of the shown one.
    void addJobRows(std::size_t first);
    void placeJobs(QWidget* content);
    void refreshRecentRuns();
    void runJob(const BackupJob& job);

    ViewContext& m_context;
    Clock& m_clock;
    SectionCallbacks m_callbacks;
    HealthCard* m_health;
    ActiveRunsOverviewCard* m_activeRuns;
    QList<MetricView*> m_metrics;
    SectionHeader* m_jobsHeader;
    SectionHeader* m_activityHeader;
    QVBoxLayout* m_jobsColumn;
    QVBoxLayout* m_activityColumn;
    QWidget* m_jobsContent = nullptr;
    // The jobs card being filled, not shown yet.
    QPointer<QWidget> m_jobsBuilding;
    QWidget* m_activityContent = nullptr;
    // What the lists were last built from, so an unchanged list keeps its rows (and their pulse and hover).
    struct ShownJob {
        BackupJob job;
        DestinationDisplayStatus status;
        QString lastActivity;
        bool operator==(const ShownJob&) const = default;
    };
    std::vector<ShownJob> m_jobsShown;
    std::vector<BackupRunRecord> m_runsShown;
    CoalescedCall m_refresh;
};

} // namespace mv
