#pragma once

#include "model/BackupJob.h"
#include "ui/dashboard/OverviewSection.h"
#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QVBoxLayout;

namespace mv {

class Clock;
class JobListRow;
class TextField;
struct ViewContext;

// The Backup Jobs page of the dashboard (the panel has its own JobsSection): a search field and a "Show
// disabled" switch over the jobs that pass them, one row each in configuration order. The search and the
// switch start afresh each time the page is made. The list follows the configuration, a burst of changes
// being one refresh, and keeps each job's row by its identity; a row follows its job's status itself.
class BackupJobsSection : public QWidget {
    Q_OBJECT
public:
    BackupJobsSection(
        ViewContext& context, Clock& clock, SectionCallbacks callbacks, QWidget* parent = nullptr);

    TextField* searchField() const { return m_search; }
    QCheckBox* showDisabledBox() const { return m_showDisabled; }
    // The rows in the order shown.
    QList<JobListRow*> rows() const;
    // Reads the configuration again now.
    void refresh();

private:
    // One job as the list shows it; the first row has no divider above it.
    struct Entry {
        BackupJob job;
        QString lastRun;
        bool first = false;
    };
    EntryWidget<Entry> makeRow(const Entry& entry, QWidget* parent);
    // The empty state for when no job is shown: none while jobs are shown (nullopt), "No jobs match" when
    // some job exists, else "No backup jobs yet".
    void showEmptyState(std::optional<bool> anyJob);

    ViewContext& m_context;
    Clock& m_clock;
    SectionCallbacks m_callbacks;
    TextField* m_search;
    QCheckBox* m_showDisabled;
    QVBoxLayout* m_page;
    QWidget* m_card;
    IdentityWidgetList<Entry> m_list;
    QWidget* m_empty = nullptr;
    std::optional<bool> m_emptyShownForAnyJob;
    CoalescedCall m_refresh;
};

} // namespace mv
