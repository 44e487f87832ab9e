#include "ui/restore/RestoreProgressCard.h"

#include "coordination/RestoreCoordinator.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/ProgressMetricsView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/restore/RestoreTexts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

RestoreProgressCard::RestoreProgressCard(RestoreCoordinator& restores, QWidget* parent)
    : QWidget(parent)
    , m_restores(restores)
{
    m_surface = new CardSurface(10, false, Palette::accent.opacity(0.06), this);
    auto* stack = new QVBoxLayout(m_surface);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(9);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    m_chip = new StatusChip({}, Palette::accent, std::nullopt, false, m_surface);
    m_headline = new TextLabel({}, kitFont(15, QFont::Medium), Palette::label, m_surface);
    // The coordinator turns the restore `cancelling` and stops its current copy.
    m_cancel = new MVButton(
        QStringLiteral("Cancel"), QStringLiteral("xmark"), MVButtonKind::quiet, true, false,
        [this] { m_restores.cancelRestore(); }, m_surface);
    m_done = new MVButton(
        QStringLiteral("Done"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_restores.clearRestore(); }, m_surface);
    header->addWidget(m_chip, 0, Qt::AlignVCenter);
    header->addWidget(m_headline, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(m_cancel);
    header->addWidget(m_done);
    stack->addLayout(header);

    m_bar = new ProgressBarView(std::nullopt, Palette::accent, 4, m_surface);
    stack->addWidget(m_bar);

    auto* detail = new QHBoxLayout;
    detail->setSpacing(8);
    m_counter = new TextLabel({}, kitFont(12), Palette::labelSecondary, m_surface);
    m_metrics = new ProgressMetricsView({}, false, m_surface);
    m_target = new PathLabel({}, kitFont(12), Palette::labelTertiary, m_surface);
    detail->addWidget(m_counter);
    detail->addWidget(
        new TextLabel(QStringLiteral("\u00B7"), kitFont(12), Palette::labelSecondary, m_surface));
    detail->addWidget(m_metrics);
    detail->addStretch(1);
    detail->addWidget(m_target, 0);
    stack->addLayout(detail);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_surface);
}

void RestoreProgressCard::present(const RestoreProgressState& state)
{
    const RestorePhaseStyle style = restorePhaseStyle(state.phase);
    m_chip->setStatus(style.word, style.color, std::nullopt, style.pulsing);
    m_headline->setText(restoreHeadline(state.message));
    m_cancel->setVisible(style.offersCancel);
    m_done->setVisible(!style.offersCancel);
    m_bar->setFraction(state.progress.fraction);
    m_bar->setTint(style.color);
    m_counter->setText(restoreItemCounter(state.itemIndex, state.itemCount));
    m_metrics->setProgress(restoreShownProgress(state.phase, state.progress));
    m_target->setPath(state.target);
}

QString RestoreProgressCard::headline() const
{
    return m_headline->text();
}

QString RestoreProgressCard::itemCounter() const
{
    return m_counter->text();
}

QStringList RestoreProgressCard::metrics() const
{
    return m_metrics->parts();
}

} // namespace mv
