#include "shell/PanelEntries.h"

#include "shell/ActiveRunCard.h"
#include "shell/ActivityRow.h"
#include "shell/JobCard.h"
#include "shell/SummaryStrip.h"
#include "ui/models/shared/ViewContext.h"

namespace mv {

QWidget* makeSummaryStrip(ViewContext& context, QWidget* parent)
{
    return new SummaryStrip(context.status, context.configuration, context.clock, parent);
}

EntryWidget<ActiveRun> makeActiveRunEntry(ViewContext& context, const ActiveRun& run, QWidget* parent)
{
    auto* card = new ActiveRunCard(context.jobs, context.clock, run, parent);
    return { card, [card](const ActiveRun& next) { card->showRun(next); } };
}

EntryWidget<JobRow> makeJobEntry(ViewContext& context, const JobRow& row, QWidget* parent)
{
    // The card follows its job, its statuses and its runs by itself: a newer row tells it nothing.
    return { new JobCard(context, row.job.id, parent), [](const JobRow&) {} };
}

EntryWidget<BackupRunRecord> makeLastRunEntry(Clock& clock, const BackupRunRecord& record, QWidget* parent)
{
    auto* row = new ActivityRow(clock, record, true, parent);
    return { row, [row](const BackupRunRecord& next) { row->refresh(next); } };
}

} // namespace mv
