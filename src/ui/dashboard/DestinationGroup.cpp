#include "ui/dashboard/DestinationGroup.h"

#include "ui/dashboard/DestinationDetailRow.h"
#include "ui/dashboard/DividedEntry.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/SectionHeader.h"

#include <QVBoxLayout>

namespace mv {

DestinationGroup::DestinationGroup(ViewContext& context, Clock& clock, Prompts& prompts, const BackupJob& job,
    std::function<void(const BackupJob&)> openEditor, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_openEditor(std::move(openEditor))
    , m_column(new QVBoxLayout(this))
    , m_card(new CardSurface(10, false, std::nullopt, this))
    , m_rows([](const Entry& entry) { return entry.destination.id.toString(); },
          [this](const Entry& entry, QWidget* parent) { return makeRow(entry, parent); }, 0, m_card)
{
    auto* list = new QVBoxLayout(m_card);
    list->setContentsMargins(0, 0, 0, 0);
    list->addWidget(m_rows.widget());
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(8);
    m_column->addWidget(m_card);
    setJob(job);
}

void DestinationGroup::setJob(const BackupJob& job)
{
    showHeader(job);
    QList<Entry> entries;
    for (const BackupDestination& destination : job.destinations)
        entries.append({ job, destination, entries.isEmpty() });
    m_rows.setRows(entries);
    m_card->setMinimumHeight(entries.isEmpty() ? 20 : 0);
}

QList<DestinationDetailRow*> DestinationGroup::rows() const
{
    QList<DestinationDetailRow*> rows;
    for (QWidget* entry : m_rows.entries())
        rows.append(entry->findChild<DestinationDetailRow*>());
    return rows;
}

EntryWidget<DestinationGroup::Entry> DestinationGroup::makeRow(const Entry& entry, QWidget* parent)
{
    auto* row
        = new DestinationDetailRow(m_context, m_clock, m_prompts, entry.job, entry.destination, m_openEditor);
    auto* holder = new DividedEntry(row, entry.first, parent);
    return { holder, [holder, row](const Entry& newer) {
                holder->setFirst(newer.first);
                row->setDestination(newer.job, newer.destination);
            } };
}

// The header has no way to change its title: a renamed job gets a new one.
void DestinationGroup::showHeader(const BackupJob& job)
{
    if (m_header && job.name == m_headerName) {
        m_header->setCount(job.destinations.size());
        return;
    }
    delete m_header;
    m_header = new SectionHeader(job.name, job.destinations.size(), std::nullopt, std::nullopt, {}, this);
    m_headerName = job.name;
    m_column->insertWidget(0, m_header);
}

} // namespace mv
