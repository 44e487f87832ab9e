#include "ui/dashboard/BackupJobsSection.h"

#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/dashboard/DividedEntry.h"
#include "ui/dashboard/JobListRow.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/JobListPresentation.h"
#include "ui/models/shared/ViewContext.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

BackupJobsSection::BackupJobsSection(
    ViewContext& context, Clock& clock, SectionCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_clock(clock)
    , m_callbacks(std::move(callbacks))
    , m_search(TextField::search(QStringLiteral("Search jobs, folders or destinations"), 320, true, this))
    , m_showDisabled(new QCheckBox(QStringLiteral("Show disabled"), this))
    , m_page(new QVBoxLayout(this))
    , m_card(new CardSurface(10, false, std::nullopt, this))
    , m_list([](const Entry& entry) { return entry.job.id.toString(); },
          [this](const Entry& entry, QWidget* parent) { return makeRow(entry, parent); }, 0, m_card)
    , m_refresh(this, [this] { refresh(); })
{
    m_showDisabled->setFont(kitFont(13));
    m_showDisabled->setChecked(true);

    auto* topBar = new QHBoxLayout;
    topBar->setSpacing(10);
    topBar->addWidget(m_search, 4);
    topBar->addWidget(m_showDisabled);
    topBar->addStretch(1);

    auto* cardLayout = new QVBoxLayout(m_card);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->addWidget(m_list.widget());

    m_page->setContentsMargins(0, 0, 0, 0);
    m_page->setSpacing(14);
    m_page->addLayout(topBar);
    m_page->addWidget(m_card);
    m_page->addStretch(1);

    connect(m_search, &TextField::textChanged, this, [this] { refresh(); });
    connect(m_showDisabled, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(&context.configuration, &ConfigurationStore::changed, this, [this] { m_refresh.request(); });
    refresh();
}

QList<JobListRow*> BackupJobsSection::rows() const
{
    QList<JobListRow*> rows;
    for (QWidget* entry : m_list.entries())
        rows.append(entry->findChild<JobListRow*>());
    return rows;
}

EntryWidget<BackupJobsSection::Entry> BackupJobsSection::makeRow(const Entry& entry, QWidget* parent)
{
    auto* row = new JobListRow(m_context, entry.job, entry.lastRun, m_callbacks);
    auto* holder = new DividedEntry(row, entry.first, parent);
    return { holder, [holder, row](const Entry& newer) {
                holder->setFirst(newer.first);
                row->setJob(newer.job, newer.lastRun);
            } };
}

void BackupJobsSection::refresh()
{
    const QList<BackupJob>& all = m_context.configuration.config().jobs;
    const QDateTime now = m_clock.now();
    QList<Entry> entries;
    for (const BackupJob& job :
        JobListPresentation::filtered(all, m_search->text(), m_showDisabled->isChecked()))
        entries.append({ job, JobListPresentation::lastRunLine(job.lastActivity(), now), entries.isEmpty() });
    m_list.setRows(entries);
    m_card->setVisible(!entries.isEmpty());
    if (entries.isEmpty())
        showEmptyState(!all.isEmpty());
    else
        showEmptyState(std::nullopt);
}

void BackupJobsSection::showEmptyState(std::optional<bool> anyJob)
{
    if (anyJob == m_emptyShownForAnyJob)
        return;
    m_emptyShownForAnyJob = anyJob;
    delete m_empty;
    m_empty = nullptr;
    if (!anyJob)
        return;
    auto* empty = *anyJob
        ? new EmptyStateView(QStringLiteral("folder.badge.plus"), QStringLiteral("No jobs match"),
            QStringLiteral("Try a different search, or show disabled jobs."), std::nullopt, {})
        : new EmptyStateView(QStringLiteral("folder.badge.plus"), QStringLiteral("No backup jobs yet"),
            QStringLiteral("Add a source folder and at least one destination."), QStringLiteral("Add Backup"),
            [this] {
                m_context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
            });
    m_empty = new QWidget;
    auto* padded = new QVBoxLayout(m_empty);
    padded->setContentsMargins(0, 8, 0, 0);
    padded->addWidget(cardSurface(empty, 10));
    m_page->insertWidget(2, m_empty);
    m_empty->show();
}

} // namespace mv
