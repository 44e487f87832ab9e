#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace mv {

// The dashboard's sections, in sidebar order. Their names are the raw values that settings and debug
// switches use.
enum class DashboardSection { overview, jobs, destinations, activity, restore, support, settings };

// The section named exactly `name` (case-sensitive), or none.
std::optional<DashboardSection> dashboardSection(const QString& name);
QString sectionName(DashboardSection section);
// What the sidebar row and the content header call the section ("Backup Jobs"), and the row's symbol.
QString sectionTitle(DashboardSection section);
QString sectionSymbol(DashboardSection section);
// Every section in declaration order.
QList<DashboardSection> allSections();

// One group of the sidebar: its header (none for the settings group) and its sections.
struct SidebarGroup {
    std::optional<QString> header;
    QList<DashboardSection> sections;
};
// The sidebar's fixed groups: "Backups", "Tools", then settings on its own.
QList<SidebarGroup> sidebarGroups();

} // namespace mv
