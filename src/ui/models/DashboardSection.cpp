#include "ui/models/DashboardSection.h"

#include <array>

namespace mv {

namespace {

constexpr std::array<const char*, 7> names { "overview", "jobs", "destinations", "activity", "restore",
    "support", "settings" };

} // namespace

std::optional<DashboardSection> dashboardSection(const QString& name)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (name == QLatin1String(names[i]))
            return static_cast<DashboardSection>(i);
    }
    return std::nullopt;
}

QString sectionName(DashboardSection section)
{
    return QString::fromLatin1(names[static_cast<std::size_t>(section)]);
}

} // namespace mv
