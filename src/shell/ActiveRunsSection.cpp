#include "shell/ActiveRunsSection.h"

#include "shell/PanelEntries.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

namespace mv {

ActiveRunsSection::ActiveRunsSection(AppState& state, QWidget* parent)
    : QWidget(parent)
    , m_header(new SectionHeader(QStringLiteral("Active backup"), 0, std::nullopt, std::nullopt, {}, this))
    , m_list([](const ActiveRun& run) { return run.id(); },
          [&state](const ActiveRun& run, QWidget* host) { return makeActiveRunEntry(state, run, host); }, 8,
          this)
    , m_showMore(new PlainButton(
          [this] {
              m_showAll = true;
              setRuns(m_runs);
          },
          this))
    , m_showMoreText(new TextLabel(QString(), kitFont(12, QFont::Medium), Palette::accent))
{
    m_showMore->setContent(m_showMoreText);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_header);
    column->addWidget(m_list.widget());
    column->addWidget(m_showMore, 0, Qt::AlignLeft);
}

void ActiveRunsSection::setRuns(const QList<ActiveRun>& runs)
{
    m_runs = runs;
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

} // namespace mv
