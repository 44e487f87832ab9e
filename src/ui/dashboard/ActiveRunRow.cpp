#include "ui/dashboard/ActiveRunRow.h"

#include "coordination/JobActions.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/OverviewRunMetrics.h"
#include "ui/models/dashboard/RunPhaseChip.h"
#include "ui/models/shared/ActiveRunsModel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

ActiveRunRow::ActiveRunRow(ActiveRunsModel& runs, JobActions& jobs, const ActiveRun& run, QWidget* parent)
    : QWidget(parent)
    , m_runs(runs)
    , m_key(run.key)
    , m_job(new ElidedLabel({}, kitFont(15, QFont::DemiBold), Palette::label, Qt::ElideRight, this))
    , m_destination(new ElidedLabel({}, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this))
    , m_chip(new StatusChip({}, Palette::accent, std::nullopt, false, this))
    , m_percent(new TextLabel({}, kitFont(13, QFont::DemiBold), Palette::label, this))
    , m_bar(new ProgressBarView(std::nullopt, Palette::accent, 4, this))
    , m_metrics(new TextLabel({}, kitFont(11, QFont::Medium), Palette::labelSecondary, this))
    , m_pause(new IconButton(
          QStringLiteral("pause.fill"), QStringLiteral("Pause"), false, std::nullopt, 22,
          [this, &jobs] { jobs.togglePause(m_key); }, this))
    , m_cancel(new IconButton(
          QStringLiteral("xmark"), QStringLiteral("Cancel backup"), false, std::nullopt, 22,
          [this, &jobs] { jobs.cancel(m_key); }, this))
{
    auto* title = new QHBoxLayout;
    title->setSpacing(7);
    title->addWidget(
        new SymbolImage(QStringLiteral("folder.fill"), 12, SymbolWeight::regular, Palette::accent, this));
    title->addWidget(m_job);
    title->addWidget(new SymbolImage(
        QStringLiteral("arrow.right"), 11, SymbolWeight::semibold, Palette::labelTertiary, this));
    title->addWidget(m_destination);
    title->addWidget(m_chip);
    title->addStretch(1);
    title->addWidget(m_percent);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(8);
    controls->addWidget(m_metrics);
    controls->addStretch(1);
    controls->addWidget(m_pause);
    controls->addWidget(m_cancel);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 10);
    column->setSpacing(6);
    column->addLayout(title);
    column->addWidget(m_bar);
    column->addLayout(controls);

    connect(&runs, &ActiveRunsModel::runStateChanged, this, &ActiveRunRow::follow);
    connect(&runs, &ActiveRunsModel::runFiguresChanged, this, &ActiveRunRow::follow);
    show(run);
}

QString ActiveRunRow::percentText() const
{
    return m_percent->text();
}

void ActiveRunRow::follow(const RunKey& key)
{
    if (key != m_key)
        return;
    if (const std::optional<ActiveRun> run = m_runs.run(key))
        show(*run);
}

void ActiveRunRow::show(const ActiveRun& run)
{
    const RunProgress& progress = run.progress;
    m_job->setText(run.jobName);
    m_destination->setText(run.destinationName);
    if (const auto chip = runPhaseChip(progress.phase))
        m_chip->setStatus(chip->text, chip->color, std::nullopt, chip->pulsing);
    m_percent->setText(progress.fractionText());
    m_bar->setFraction(progress.fraction);
    m_metrics->setText(overviewRunMetrics(progress).join(QStringLiteral(" \u00B7 ")));

    const bool running = progress.phase == RunPhase::running;
    m_pause->setVisible(running || progress.phase == RunPhase::paused);
    m_pause->setSymbol(running ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    m_pause->setHelp(running ? QStringLiteral("Pause") : QStringLiteral("Resume"));
}

} // namespace mv
