#include "shell/SummaryStrip.h"

#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "shell/HairlineRule.h"
#include "shell/StatCell.h"
#include "ui/models/SummaryFigures.h"

#include <QHBoxLayout>

namespace mv {

namespace {
QWidget* divider(QWidget* parent)
{
    auto* padding = new QWidget(parent);
    auto* layout = new QHBoxLayout(padding);
    layout->setContentsMargins(10, 0, 10, 0);
    layout->addWidget(new HairlineRule(Qt::Vertical, 28, padding));
    return padding;
}
} // namespace

SummaryStrip::SummaryStrip(
    StatusBoard& status, ConfigurationStore& configuration, Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_status(status)
    , m_configuration(configuration)
    , m_clock(clock)
    , m_lastBackup(new StatCell(QStringLiteral("Last backup"), {}, Palette::label, Qt::AlignLeft, this))
    , m_jobs(new StatCell(QStringLiteral("Jobs"), {}, Palette::label, Qt::AlignLeft, this))
    , m_transferred(new StatCell(QStringLiteral("Transferred"), {}, Palette::label, Qt::AlignLeft, this))
    , m_refresh(this, [this] { refresh(); })
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 11, 12, 11);
    layout->setSpacing(0);
    layout->addWidget(m_lastBackup, 1, Qt::AlignVCenter);
    layout->addWidget(divider(this), 0, Qt::AlignVCenter);
    layout->addWidget(m_jobs, 1, Qt::AlignVCenter);
    layout->addWidget(divider(this), 0, Qt::AlignVCenter);
    layout->addWidget(m_transferred, 1, Qt::AlignVCenter);

    // The summary's bytes include the running transfers'; the number of jobs is the configuration's.
    const auto request = [this] { m_refresh.request(); };
    connect(&m_status, &StatusBoard::summaryChanged, this, request);
    connect(&m_configuration, &ConfigurationStore::changed, this, request);
    refresh();
}

void SummaryStrip::refresh()
{
    const SummaryFigures figures
        = SummaryFigures::of(m_status.summary(), m_configuration.config().jobs.size(), m_clock.now());
    m_lastBackup->setValue(figures.lastBackup);
    m_jobs->setValue(figures.jobs);
    m_transferred->setValue(figures.transferred);
    setAccessibleName(QStringList { m_lastBackup->caption(), figures.lastBackup, m_jobs->caption(),
        figures.jobs, m_transferred->caption(), figures.transferred }
                          .join(QStringLiteral(", ")));
}

} // namespace mv
