#include "shell/JobsSection.h"

#include "coordination/ProgramRequests.h"
#include "model/UuidText.h"
#include "shell/PanelEntries.h"
#include "ui/kit/SectionHeader.h"
#include "ui/models/shared/ViewContext.h"

#include <QVBoxLayout>

namespace mv {

JobsSection::JobsSection(ViewContext& context, QWidget* parent)
    : QWidget(parent)
    , m_header(new SectionHeader(
          QStringLiteral("Backup jobs"), 0, QStringLiteral("plus"), std::nullopt,
          [&context] {
              context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
          },
          this))
    , m_list([](const JobRow& row) { return uuidText(row.job.id); },
          [&context](const JobRow& row, QWidget* host) { return makeJobEntry(context, row, host); }, 8, this)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_header);
    column->addWidget(m_list.widget());
}

void JobsSection::setJobs(const QList<JobRow>& jobs)
{
    m_header->setCount(jobs.size());
    if (!isVisible()) {
        m_pending = jobs;
        return;
    }
    m_pending.reset();
    m_list.setRows(jobs, true);
}

void JobsSection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The entries the panel opens with are simply there.
    if (m_pending)
        m_list.setRows(*std::exchange(m_pending, std::nullopt));
}

} // namespace mv
