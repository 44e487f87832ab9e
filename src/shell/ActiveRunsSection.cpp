#include "shell/ActiveRunsSection.h"

#include "shell/PanelEntries.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/ViewContext.h"

namespace mv {

ActiveRunsSection::ActiveRunsSection(ViewContext& context, QWidget* parent)
    : QWidget(parent)
    , m_source(context.runs)
    , m_header(new SectionHeader(QStringLiteral("Active backup"), 0, std::nullopt, std::nullopt, {}, this))
    , m_list([](const ActiveRun& run) { return run.id(); },
          [&context](const ActiveRun& run, QWidget* host) { return makeActiveRunEntry(context, run, host); },
          8, this)
    , m_showMore(new PlainButton(
          [this] {
              m_showAll = true;
              setRuns(m_runs);
          },
          this))
    , m_showMoreText(new TextLabel(QString(), kitFont(12, QFont::Medium), Palette::accent))
    , m_membership(this, [this] { setRuns(m_source.liveRuns()); })
{
    m_showMore->setContent(m_showMoreText);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_header);
    column->addWidget(m_list.widget());
    column->addWidget(m_showMore, 0, Qt::AlignLeft);

    const auto listAgain = [this] { m_membership.request(); };
    connect(&m_source, &ActiveRunsModel::runAdded, this, listAgain);
    connect(&m_source, &ActiveRunsModel::runStateChanged, this, listAgain);
    connect(&m_source, &ActiveRunsModel::runRemoved, this, listAgain);
    connect(&m_source, &ActiveRunsModel::runFiguresChanged, this, &ActiveRunsSection::showFigures);
    setRuns(m_source.liveRuns());
}

void ActiveRunsSection::setRuns(const QList<ActiveRun>& runs)
{
    m_runs = runs;
    // Shown only inside its panel: a widget without a parent would show as a window of its own.
    if (runs.isEmpty())
        hide();
    else if (parentWidget())
        show();
    const bool capped = !m_showAll && runs.size() > cap;
    m_header->setCount(runs.size());
    m_list.setRows(capped ? runs.first(cap) : runs, true);
    m_showMore->setVisible(capped);
    if (capped) {
        const QString text = QStringLiteral("Show %1 more runs").arg(runs.size() - cap);
        m_showMoreText->setText(text);
        m_showMore->setAccessibleName(text);
    }
}

// Updates the one card in place; the list itself stays as it is.
void ActiveRunsSection::showFigures(const RunKey& key)
{
    const std::optional<ActiveRun> run = m_source.run(key);
    const auto shown = std::find_if(
        m_runs.begin(), m_runs.end(), [&key](const ActiveRun& entry) { return entry.key == key; });
    if (!run || shown == m_runs.end())
        return;
    *shown = *run;
    m_list.update(*run);
}

} // namespace mv
