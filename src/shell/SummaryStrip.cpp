#include "shell/SummaryStrip.h"

#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MetricView.h"
#include "ui/models/panel/SummaryFigures.h"

#include <QHBoxLayout>

namespace mv {

namespace {
QWidget* divider(QWidget* parent)
{
    auto* padding = new QWidget(parent);
    auto* layout = new QHBoxLayout(padding);
    layout->setContentsMargins(10, 0, 10, 0);
    auto* rule = new Hairline(Qt::Vertical, HairlineWeight::half, 0, padding);
    rule->setFixedHeight(28);
    layout->addWidget(rule);
    return padding;
}
} // namespace

SummaryStrip::SummaryStrip(
    StatusBoard& status, ConfigurationStore& configuration, Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_status(status)
    , m_configuration(configuration)
    , m_clock(clock)
    , m_lastBackup(new MetricView(
          MetricView::Style::strip, QStringLiteral("Last backup"), std::nullopt, Palette::label, this))
    , m_jobs(new MetricView(
          MetricView::Style::strip, QStringLiteral("Jobs"), std::nullopt, Palette::label, this))
    , m_transferred(new MetricView(
          MetricView::Style::strip, QStringLiteral("Transferred"), std::nullopt, Palette::label, this))
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
    setAccessibleName(QStringList { m_lastBackup->label(), figures.lastBackup, m_jobs->label(), figures.jobs,
        m_transferred->label(), figures.transferred }
                          .join(QStringLiteral(", ")));
}

} // namespace mv
