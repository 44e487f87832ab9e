#include "shell/PanelEntries.h"

#include "shell/ActiveRunCard.h"
#include "shell/ActivityRow.h"
#include "shell/JobCard.h"
#include "shell/SummaryStrip.h"

namespace mv {

QWidget* makeSummaryStrip(AppState& state, QWidget* parent)
{
    return new SummaryStrip(state, parent);
}

EntryWidget<ActiveRun> makeActiveRunEntry(AppState& state, const ActiveRun& run, QWidget* parent)
{
    auto* card = new ActiveRunCard(state, run, parent);
    return { card, [card](const ActiveRun& next) { card->showRun(next); } };
}

EntryWidget<JobRow> makeJobEntry(AppState& state, const JobRow& row, QWidget* parent)
{
    // The card follows its job in the state by itself; a newer row only asks it to look again.
    auto* card = new JobCard(state, row.job.id, parent);
    return { card, [card](const JobRow&) { card->refresh(); } };
}

EntryWidget<BackupRunRecord> makeLastRunEntry(AppState& state, const BackupRunRecord& record, QWidget* parent)
{
    auto* row = new ActivityRow(state, record, true, parent);
    return { row, [row](const BackupRunRecord& next) { row->refresh(next); } };
}

} // namespace mv
