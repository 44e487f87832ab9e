#include "ui/models/dashboard/DashboardSection.h"

#include <array>

namespace mv {

namespace {

struct SectionFacts {
    const char* name;
    const char* title;
    const char* symbol;
};

constexpr std::array<SectionFacts, 7> facts { {
    { "overview", "Overview", "square.grid.2x2" },
    { "jobs", "Backup Jobs", "folder.badge.gearshape" },
    { "destinations", "Destinations", "externaldrive.connected.to.line.below" },
    { "activity", "Activity", "clock.arrow.circlepath" },
    { "restore", "Restore", "arrow.uturn.backward.circle" },
    { "support", "Support", "questionmark.circle" },
    { "settings", "Settings", "gearshape" },
} };

const SectionFacts& factsOf(DashboardSection section)
{
    return facts[static_cast<std::size_t>(section)];
}

} // namespace

std::optional<DashboardSection> dashboardSection(const QString& name)
{
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (name == QLatin1String(facts[i].name))
            return static_cast<DashboardSection>(i);
    }
    return std::nullopt;
}

QString sectionName(DashboardSection section)
{
    return QString::fromLatin1(factsOf(section).name);
}

QString sectionTitle(DashboardSection section)
{
    return QString::fromLatin1(factsOf(section).title);
}

QString sectionSymbol(DashboardSection section)
{
    return QString::fromLatin1(factsOf(section).symbol);
}

QList<DashboardSection> allSections()
{
    QList<DashboardSection> all;
    for (std::size_t i = 0; i < facts.size(); ++i)
        all.append(static_cast<DashboardSection>(i));
    return all;
}

QList<SidebarGroup> sidebarGroups()
{
    using enum DashboardSection;
    return {
        { QStringLiteral("Backups"), { overview, jobs, destinations } },
        { QStringLiteral("Tools"), { activity, restore, support } },
        { std::nullopt, { settings } },
    };
}

} // namespace mv
