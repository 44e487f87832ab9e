#pragma once

#include <QString>

namespace mv {

// What the support report says about the program and the computer it runs on.
struct SystemFacts {
    QString appVersion; // empty when the program was built without one
    QString appBuild; // empty when there is no build number
    QString systemVersion; // the running system's name and version
    QString architecture; // SystemArchitecture::description()

    // The running program's and system's facts.
    static SystemFacts current();

    bool operator==(const SystemFacts&) const = default;
};

} // namespace mv
