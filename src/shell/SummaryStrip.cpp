#include "shell/SummaryStrip.h"

#include "coordination/AppState.h"
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

SummaryStrip::SummaryStrip(AppState& app, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
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

    // A burst of run and history changes reads the figures once.
    connect(&m_app, &AppState::changed, this, [this] { m_refresh.request(); });
    // The bytes moved include the running transfers'.
    connect(&m_app, &AppState::runFiguresChanged, this, [this] { m_refresh.request(); });
    connect(&m_app, &AppState::historyChanged, this, [this] { m_refresh.request(); });
    refresh();
}

void SummaryStrip::refresh()
{
    const SummaryFigures figures = SummaryFigures::of(m_app, m_app.clock().now());
    m_lastBackup->setValue(figures.lastBackup);
    m_jobs->setValue(figures.jobs);
    m_transferred->setValue(figures.transferred);
    setAccessibleName(QStringList { m_lastBackup->caption(), figures.lastBackup, m_jobs->caption(),
        figures.jobs, m_transferred->caption(), figures.transferred }
                          .join(QStringLiteral(", ")));
}

} // namespace mv
