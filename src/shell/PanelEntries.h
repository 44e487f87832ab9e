#pragma once

#include "model/ActiveRun.h"
#include "model/BackupRunRecord.h"
#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/panel/JobsModel.h"

namespace mv {

class Clock;
struct ViewContext;

// The widgets of the panel's lists, one factory per list. Each makes the widget of one entry and says how
// it takes a newer value of the same entry (same run key, job id or record id).

// The strip of figures at the top of the list; it follows the status board by itself.
QWidget* makeSummaryStrip(ViewContext& context, QWidget* parent);
// A run in the active section.
EntryWidget<ActiveRun> makeActiveRunEntry(ViewContext& context, const ActiveRun& run, QWidget* parent);
// A job in the jobs section.
EntryWidget<JobRow> makeJobEntry(ViewContext& context, const JobRow& row, QWidget* parent);
// The footer's last run, shown with its job's name.
EntryWidget<BackupRunRecord> makeLastRunEntry(Clock& clock, const BackupRunRecord& record, QWidget* parent);

} // namespace mv
