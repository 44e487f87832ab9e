#include "ui/dashboard/HealthCard.h"

#include "coordination/HistoryFeed.h"
#include "ui/kit/Commands.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/HealthPresentation.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

HealthCard::HealthCard(ViewContext& context, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_context(context)
    , m_badge(new SymbolBadge(SymbolBadge::Shape::circle, 72, 40, SymbolWeight::medium, this))
    , m_title(new TextLabel({}, kitFont(20, QFont::DemiBold), Palette::label, this))
    , m_hint(new TextLabel({}, kitFont(15), Palette::labelSecondary, this))
    , m_facts(new QHBoxLayout)
    , m_runAll(new MVButton(
          QStringLiteral("Run All"), QStringLiteral("play.fill"), MVButtonKind::primary, true, false,
          [&context] { context.commands.runAll.trigger(); }, this))
    , m_pauseAll(new MVButton(
          QStringLiteral("Pause All"), QStringLiteral("pause.fill"), MVButtonKind::secondary, true, false,
          [&context] { context.commands.pauseAll.trigger(); }, this))
{
    m_title->setWordWrap(true);
    m_hint->setWordWrap(true);
    m_facts->setSpacing(14);
    m_facts->setContentsMargins(0, 2, 0, 0);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(m_title);
    texts->addWidget(m_hint);
    texts->addLayout(m_facts);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_runAll, 0, Qt::AlignRight);
    buttons->addWidget(m_pauseAll, 0, Qt::AlignRight);
    buttons->addStretch(1);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 18, 18, 18);
    row->setSpacing(20);
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);
    row->addLayout(buttons);

    connect(&context.status, &StatusBoard::aggregateChanged, this, &HealthCard::refresh);
    connect(&context.status, &StatusBoard::summaryChanged, this, &HealthCard::refresh);
    connect(&context.history, &HistoryFeed::changed, this, &HealthCard::refresh);
    // Offered exactly while the command can act: while runs are live.
    connect(&context.commands.pauseAll, &QAction::enabledChanged, m_pauseAll, &QWidget::setVisible);
    m_pauseAll->setVisible(context.commands.pauseAll.isEnabled());
    refresh();
}

void HealthCard::refresh()
{
    const AggregateStatus& status = m_context.status.aggregate();
    const HealthAppearance look = healthAppearance(status);
    m_badge->setSymbol(look.symbol, look.color, look.pulsing);
    m_title->setText(look.title);
    m_hint->setText(look.hint);

    while (QLayoutItem* item = m_facts->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const StatusBoard::Summary& summary = m_context.status.summary();
    const auto facts = healthFacts(
        summary.enabledJobCount, summary.destinationCount, m_context.history.stats().failedRuns);
    for (const HealthFact& fact : facts)
        m_facts->addWidget(new TextLabel(fact.text, kitFont(13, QFont::Medium), fact.color, this));
    m_facts->addStretch(1);
    setAccessibleName(look.title);
}

} // namespace mv
