#include "ui/dashboard/ActiveRunsOverviewCard.h"

#include "ui/dashboard/ActiveRunRow.h"
#include "ui/kit/Commands.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/models/shared/ActiveRunsModel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

ActiveRunsOverviewCard::ActiveRunsOverviewCard(
    ActiveRunsModel& runs, JobActions& jobs, Commands& commands, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_runs(runs)
    , m_jobs(jobs)
    , m_header(new SectionHeader(QStringLiteral("Running now"), 0, std::nullopt, std::nullopt, {}, this))
    , m_rows(new QVBoxLayout)
{
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 12, 14, 0);
    header->addWidget(m_header, 1);
    header->addWidget(new MVButton(
        QStringLiteral("Pause All"), QStringLiteral("pause.fill"), MVButtonKind::secondary, true, false,
        [&commands] { commands.pauseAll.trigger(); }, this));

    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addLayout(m_rows);

    // A run's figures reach its row only; the card changes when a run comes, goes or ends.
    connect(&runs, &ActiveRunsModel::runAdded, this, &ActiveRunsOverviewCard::refresh);
    connect(&runs, &ActiveRunsModel::runStateChanged, this, &ActiveRunsOverviewCard::refresh);
    connect(&runs, &ActiveRunsModel::runRemoved, this, &ActiveRunsOverviewCard::refresh);
    refresh();
}

void ActiveRunsOverviewCard::refresh()
{
    const QList<ActiveRun> runs = m_runs.liveRuns();
    m_header->setCount(runs.size());
    setVisible(!runs.isEmpty());

    // Rows of runs no longer shown go; the dividers are laid out afresh around the rows that stay.
    QHash<QString, ActiveRunRow*> kept;
    const QList<ActiveRun> shown = runs.mid(0, shownRuns);
    for (const ActiveRun& run : shown) {
        const QString id = run.id();
        ActiveRunRow* row = m_byRun.take(id);
        if (!row)
            row = new ActiveRunRow(m_runs, m_jobs, run, this);
        kept.insert(id, row);
    }
    for (ActiveRunRow* gone : std::as_const(m_byRun))
        delete gone;
    m_byRun = kept;

    while (QLayoutItem* item = m_rows->takeAt(0)) {
        if (auto* divider = qobject_cast<Hairline*>(item->widget()))
            delete divider;
        delete item;
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        m_rows->addSpacing(10);
        m_rows->addWidget(m_byRun.value(shown[i].id()));
        m_rows->addSpacing(4);
        if (i + 1 < shown.size()) {
            m_rows->addSpacing(10);
            m_rows->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 14, this));
            m_rows->addSpacing(4);
        }
    }
}

QList<ActiveRunRow*> ActiveRunsOverviewCard::rows() const
{
    QList<ActiveRunRow*> ordered;
    for (int i = 0; i < m_rows->count(); ++i) {
        if (auto* row = qobject_cast<ActiveRunRow*>(m_rows->itemAt(i)->widget()))
            ordered.append(row);
    }
    return ordered;
}

} // namespace mv
