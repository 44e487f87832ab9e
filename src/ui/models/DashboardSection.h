#pragma once

#include <QString>

#include <optional>

namespace mv {

// The dashboard's sections, in sidebar order. Their names are the raw values that settings and debug
// switches use.
enum class DashboardSection { overview, jobs, destinations, activity, restore, support, settings };

// The section named exactly `name` (case-sensitive), or none.
std::optional<DashboardSection> dashboardSection(const QString& name);
QString sectionName(DashboardSection section);

} // namespace mv
