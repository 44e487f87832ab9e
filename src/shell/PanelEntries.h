#pragma once

#include "model/ActiveRun.h"
#include "model/BackupRunRecord.h"
#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/JobsModel.h"

namespace mv {

class AppState;

// The widgets of the panel's lists, one factory per list. Each makes the widget of one entry and says how
// it takes a newer value of the same entry (same run key, job id or record id).

// The strip of figures at the top of the list; it follows the state by itself.
QWidget* makeSummaryStrip(AppState& state, QWidget* parent);
// A run in the active section.
EntryWidget<ActiveRun> makeActiveRunEntry(AppState& state, const ActiveRun& run, QWidget* parent);
// A job in the jobs section.
EntryWidget<JobRow> makeJobEntry(AppState& state, const JobRow& row, QWidget* parent);
// The footer's last run, shown with its job's name.
EntryWidget<BackupRunRecord> makeLastRunEntry(
    AppState& state, const BackupRunRecord& record, QWidget* parent);

} // namespace mv
