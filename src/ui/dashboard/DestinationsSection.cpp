#include "ui/dashboard/DestinationsSection.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "ui/dashboard/DestinationDetailRow.h"
#include "ui/dashboard/DestinationGroup.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DestinationDetailPresentation.h"
#include "ui/models/shared/ViewContext.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DestinationsSection::DestinationsSection(ViewContext& context, Clock& clock, Prompts& prompts,
    std::function<void(const BackupJob&)> openEditor, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_openEditor(std::move(openEditor))
    , m_counts(new TextLabel({}, kitFont(15), Palette::labelSecondary, this))
    , m_checkNow(new MVButton(
          QStringLiteral("Check Now"), QStringLiteral("arrow.clockwise"), MVButtonKind::secondary, true,
          false, [&context] { context.jobs.refreshAvailability(); }, this))
    , m_page(new QVBoxLayout(this))
    , m_groups([](const BackupJob& job) { return job.id.toString(); },
          [this](const BackupJob& job, QWidget* parent) { return makeGroup(job, parent); }, 18, this)
    , m_refresh(this, [this] { refresh(); })
{
    auto* header = new QHBoxLayout;
    header->addWidget(m_counts);
    header->addStretch(1);
    header->addWidget(m_checkNow);

    m_page->setContentsMargins(0, 0, 0, 0);
    m_page->setSpacing(18);
    m_page->addLayout(header);
    m_page->addWidget(m_groups.widget());
    m_page->addStretch(1);

    connect(&context.configuration, &ConfigurationStore::changed, this, [this] { m_refresh.request(); });
    refresh();
}

QString DestinationsSection::countsText() const
{
    return m_counts->text();
}

QList<DestinationDetailRow*> DestinationsSection::rows() const
{
    QList<DestinationDetailRow*> rows;
    for (QWidget* group : m_groups.entries())
        rows.append(static_cast<DestinationGroup*>(group)->rows());
    return rows;
}

EntryWidget<BackupJob> DestinationsSection::makeGroup(const BackupJob& job, QWidget* parent)
{
    auto* group = new DestinationGroup(m_context, m_clock, m_prompts, job, m_openEditor, parent);
    return { group, [group](const BackupJob& newer) { group->setJob(newer); } };
}

void DestinationsSection::refresh()
{
    const QList<BackupJob>& jobs = m_context.configuration.config().jobs;
    qsizetype destinations = 0;
    for (const BackupJob& job : jobs)
        destinations += job.destinations.size();
    m_counts->setText(DestinationDetailPresentation::countsLine(destinations, jobs.size()));
    m_groups.setRows(jobs);
    m_groups.widget()->setVisible(!jobs.isEmpty());
    if (!jobs.isEmpty()) {
        delete m_empty;
        m_empty = nullptr;
    } else if (!m_empty) {
        m_empty = cardSurface(
            new EmptyStateView(QStringLiteral("externaldrive.badge.plus"), QStringLiteral("No destinations"),
                QStringLiteral("Destinations are added inside a backup job."), QStringLiteral("Add Backup"),
                [this] {
                    m_context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
                }),
            10);
        m_page->insertWidget(2, m_empty);
        m_empty->show();
    }
}

} // namespace mv
