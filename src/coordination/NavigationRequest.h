#pragma once

#include <QMetaType>
#include <QUuid>

#include <optional>

namespace mv {

// Where a view asks the shell to go: the dashboard, the settings, one job, a new job's editor, the
// activity list (of one job or all), or quitting.
struct NavigationRequest {
    enum class Target { dashboard, settings, job, newJob, activity, quit };
    Target target = Target::dashboard;
    std::optional<QUuid> jobID; // job; activity of one job

    bool operator==(const NavigationRequest&) const = default;
};

} // namespace mv

Q_DECLARE_METATYPE(mv::NavigationRequest)
