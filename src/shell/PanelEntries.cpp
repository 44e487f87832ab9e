#include "shell/PanelEntries.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "shell/PlaceholderRow.h"

namespace mv {

namespace {

QString route(const ActiveRun& run)
{
    return run.destinationName + QStringLiteral(" \u00b7 ") + run.progress.fractionText();
}

QString outcome(const BackupRunRecord& record)
{
    return record.destinationName + QStringLiteral(" \u00b7 ") + Format::relative(record.startedAt);
}

QString figures(AppState& state)
{
    return QStringLiteral("Last backup %1 \u00b7 Jobs %2 \u00b7 Transferred %3")
        .arg(Format::relative(state.lastSuccessfulBackup()))
        .arg(state.store().config().jobs.size())
        .arg(Format::bytes(state.totalTransferred()));
}

} // namespace

QWidget* makeSummaryStrip(AppState& state, QWidget* parent)
{
    auto* strip = new PlaceholderRow(QStringLiteral("Summary"), figures(state), true, parent);
    const auto update = [strip, &state] { strip->setTexts(QStringLiteral("Summary"), figures(state)); };
    QObject::connect(&state, &AppState::changed, strip, update);
    QObject::connect(&state, &AppState::historyChanged, strip, update);
    return strip;
}

EntryWidget<ActiveRun> makeActiveRunEntry(AppState&, const ActiveRun& run, QWidget* parent)
{
    auto* row = new PlaceholderRow(run.jobName, route(run), true, parent);
    return { row, [row](const ActiveRun& next) { row->setTexts(next.jobName, route(next)); } };
}

EntryWidget<JobRow> makeJobEntry(AppState&, const JobRow& job, QWidget* parent)
{
    auto* row = new PlaceholderRow(job.job.name, job.status.text, true, parent);
    return { row, [row](const JobRow& next) { row->setTexts(next.job.name, next.status.text); } };
}

EntryWidget<BackupRunRecord> makeLastRunEntry(AppState&, const BackupRunRecord& record, QWidget* parent)
{
    auto* row = new PlaceholderRow(record.jobName, outcome(record), false, parent);
    return { row, [row](const BackupRunRecord& next) { row->setTexts(next.jobName, outcome(next)); } };
}

} // namespace mv
