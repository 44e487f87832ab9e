#include "shell/ActiveRunCard.h"

#include "coordination/JobActions.h"
#include "platform/Clock.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Motion.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/ProgressMetricsView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/panel/ActiveRunPresentation.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace P = ActiveRunPresentation;

namespace {
constexpr qreal radius = 10;
constexpr qreal fillOpacity = 0.07;
constexpr qreal frameOpacity = 0.22;
} // namespace

ActiveRunCard::ActiveRunCard(JobActions& jobs, Clock& clock, const ActiveRun& run, QWidget* parent)
    : CardSurface(radius, false, std::nullopt, parent)
    , m_jobs(jobs)
    , m_clock(clock)
    , m_run(run)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(9);
    layout->addLayout(buildTitleRow());
    layout->addLayout(buildRouteRow());
    m_bar = new ProgressBarView(std::nullopt, Palette::accent, 4, this);
    layout->addWidget(m_bar);
    layout->addLayout(buildFiguresRow());
    layout->addLayout(buildDetailRow());
    layout->addLayout(buildControlRow());
    showRun(run);
}

QLayout* ActiveRunCard::buildTitleRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(7);
    row->addWidget(
        new SymbolImage(QStringLiteral("folder.fill"), 15, SymbolWeight::regular, Palette::accent, this));
    m_jobName = new ElidedLabel({}, kitFont(15, QFont::DemiBold), Palette::label, Qt::ElideRight, this);
    row->addWidget(m_jobName);
    row->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_chip = new StatusChip({}, Palette::accent, std::nullopt, false, this);
    row->addWidget(m_chip);
    return row;
}

QLayout* ActiveRunCard::buildRouteRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    m_source = new ElidedLabel({}, kitFont(12), Palette::labelSecondary, Qt::ElideRight, this);
    m_destination = new ElidedLabel({}, kitFont(12), Palette::labelSecondary, Qt::ElideRight, this);
    row->addWidget(m_source);
    row->addWidget(new SymbolImage(
        QStringLiteral("arrow.right"), 11, SymbolWeight::semibold, Palette::labelSecondary, this));
    row->addWidget(m_destination);
    row->addStretch();
    return row;
}

QLayout* ActiveRunCard::buildFiguresRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    m_fraction = new TextLabel({}, kitFont(13, QFont::DemiBold), Palette::label, this);
    m_metrics = new ProgressMetricsView(m_run.progress, false, this);
    row->addWidget(m_fraction);
    row->addWidget(m_metrics);
    row->addStretch();
    return row;
}

QLayout* ActiveRunCard::buildDetailRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(5);
    m_fileSymbol
        = new SymbolImage(QStringLiteral("doc"), 11, SymbolWeight::regular, Palette::labelTertiary, this);
    m_file = new ElidedLabel({}, kitFont(12), Palette::labelTertiary, Qt::ElideMiddle, this);
    m_message = new ElidedLabel({}, kitFont(12), Palette::labelTertiary, Qt::ElideRight, this);
    row->addWidget(m_fileSymbol);
    row->addWidget(m_file, 1);
    row->addWidget(m_message, 1);
    return row;
}

QLayout* ActiveRunCard::buildControlRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    m_pause = new MVButton(
        QStringLiteral("Pause"), QStringLiteral("pause.fill"), MVButtonKind::secondary, true, false,
        [this] { m_jobs.togglePause(m_run.key); }, this);
    m_cancel = new MVButton(
        QStringLiteral("Cancel"), QStringLiteral("xmark"), MVButtonKind::quiet, true, false,
        [this] { m_jobs.cancel(m_run.key); }, this);
    m_started = new TextLabel({}, kitFont(11), Palette::labelTertiary, this);
    row->addWidget(m_pause);
    row->addWidget(m_cancel);
    row->addStretch();
    row->addWidget(m_started);
    return row;
}

void ActiveRunCard::showRun(const ActiveRun& run)
{
    const RunPhase phaseBefore = m_run.progress.phase;
    m_run = run;
    const RunProgress& progress = run.progress;
    const P::PhaseLook look = P::phaseLook(progress.phase);

    if (progress.phase != phaseBefore) {
        m_colorBefore = P::phaseLook(phaseBefore).color;
        Motion::animate(*this, "phaseBlend", 0.0, 1.0, Motion::spring());
    } else if (m_phaseBlend >= 1) {
        setTint(PaletteColor(look.color).opacity(fillOpacity));
    }
    m_jobName->setText(run.jobName);
    m_chip->setStatus(look.label, look.color, std::nullopt, look.pulsing);
    m_source->setText(P::sourceName(run.sourcePath));
    m_destination->setText(run.destinationName);
    m_bar->glideTo(P::shownFraction(progress));
    m_bar->setTint(look.color);
    m_fraction->setText(P::fractionText(progress));
    m_metrics->setProgress(progress);
    // The percentage leads the metrics line: a run that has measured nothing yet shows neither.
    m_fraction->setVisible(!m_metrics->isHidden());

    const P::Detail detail = P::detail(progress);
    m_fileSymbol->setVisible(detail.kind == P::Detail::Kind::file);
    m_file->setVisible(detail.kind == P::Detail::Kind::file);
    m_message->setVisible(detail.kind == P::Detail::Kind::message);
    (detail.kind == P::Detail::Kind::file ? m_file : m_message)->setText(detail.text);

    const std::optional<P::PauseButton> pause = P::pauseButton(progress.phase);
    m_pause->setVisible(pause.has_value());
    if (pause) {
        m_pause->setTitle(pause->title);
        m_pause->setSymbol(pause->symbol);
    }
    m_cancel->setVisible(P::offersCancel(progress.phase));
    m_started->setText(P::startedText(progress.startedAt, m_clock.now()));
    setAccessibleName(run.jobName + QStringLiteral(", ") + look.label);
    update();
}

void ActiveRunCard::setPhaseBlend(qreal blend)
{
    m_phaseBlend = blend;
    // Fixed colours on the way; the phase's own, following the appearance, once there.
    setTint(blend >= 1 ? PaletteColor(P::phaseLook(m_run.progress.phase).color).opacity(fillOpacity)
                       : PaletteColor(phaseColor(fillOpacity)));
}

QColor ActiveRunCard::phaseColor(qreal opacity) const
{
    const QColor now = PaletteColor(P::phaseLook(m_run.progress.phase).color).opacity(opacity).resolve(this);
    return Palette::mix(PaletteColor(m_colorBefore).opacity(opacity).resolve(this), now, m_phaseBlend);
}

void ActiveRunCard::paintEvent(QPaintEvent* event)
{
    CardSurface::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    strokeInside(painter, rect(), radius, phaseColor(frameOpacity));
}

} // namespace mv
