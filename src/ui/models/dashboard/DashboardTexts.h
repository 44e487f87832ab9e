#pragma once

#include "model/AggregateStatus.h"
#include "model/BackupJob.h"
#include "model/PaletteRole.h"
#include "ui/models/dashboard/DashboardSection.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

struct ViewContext;

// The sidebar footer's first line: the overall status in a word or two, and its dot.
struct SidebarStatus {
    QString text;
    PaletteRole color = PaletteRole::idle;
    bool pulsing = false;

    bool operator==(const SidebarStatus&) const = default;
};
SidebarStatus sidebarStatus(const AggregateStatus& status);
// The footer's second line: "No successful backup yet", or "Last backup " and how long ago.
QString lastBackupLine(const std::optional<QDateTime>& lastSuccess, const QDateTime& now);

// "1 active job · 2 total · 3 destinations".
QString overviewSubtitle(int activeJobs, int totalJobs, int destinations);
// The line under the content header's title for `section`.
QString headerSubtitle(DashboardSection section, const ViewContext& context);

// "Incremental", "Mirror", "Versioned".
QString modeLabel(BackupMode mode);
// A job row's second line: "1 destination · Mirror", "0 destinations · Incremental".
QString jobSummary(const BackupJob& job);

} // namespace mv
