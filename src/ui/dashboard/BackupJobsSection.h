#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"
#include "ui/dashboard/OverviewSection.h"
#include "ui/models/CoalescedCall.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QVBoxLayout;

namespace mv {

class AppState;
class Clock;
class JobListRow;
class TextField;

// The Backup Jobs page of the dashboard (the panel has its own JobsSection): a search field and a "Show
// disabled" switch over the jobs that pass them, one row each in configuration order. The search and the
// switch start afresh each time the page is made; everything else is read from the state hub, and a burst of
// changes is one refresh.
class BackupJobsSection : public QWidget {
    Q_OBJECT
public:
    BackupJobsSection(AppState& app, Clock& clock, SectionCallbacks callbacks, QWidget* parent = nullptr);

    TextField* searchField() const { return m_search; }
    QCheckBox* showDisabledBox() const { return m_showDisabled; }
    QList<JobListRow*> rows() const;
    // Reads the state again now.
    void refresh();

private:
    AppState& m_app;
    Clock& m_clock;
    SectionCallbacks m_callbacks;
    TextField* m_search;
    QCheckBox* m_showDisabled;
    QVBoxLayout* m_page;
    QWidget* m_body = nullptr;
    // What the list was last built from, so an unchanged list keeps its rows and their hover.
    struct ShownJob {
        BackupJob job;
        DestinationDisplayStatus status;
        QString lastRun;
        bool operator==(const ShownJob&) const = default;
    };
    std::vector<ShownJob> m_shown;
    bool m_anyJob = false;
    CoalescedCall m_refresh;
};

} // namespace mv
