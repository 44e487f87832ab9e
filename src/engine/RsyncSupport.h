#pragma once

#include <QString>

#include <chrono>
#include <compare>
#include <optional>

namespace mv {

// An rsync release number. Versions compare as (major, minor, patch) in that order.
struct RsyncVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;

    // "3.2.7"
    QString description() const;

    auto operator<=>(const RsyncVersion&) const = default;
};

namespace RsyncSupport {

// How long an rsync may take to print its version before it is killed and counts as not answering.
inline constexpr std::chrono::milliseconds versionTimeout { 10000 };

// Runs `executable --version` and reads the version from its banner ("rsync  version 3.2.7  protocol ...").
// None when it cannot start, does not name a version, or has not ended within `timeout`. Blocks the caller.
std::optional<RsyncVersion> detect(
    const QString& executable, std::chrono::milliseconds timeout = versionTimeout);

// detect(), answered from memory for an executable whose file keeps its identity, size and modification
// time since it last named a version: every run's checks would otherwise start a child for it. Callable
// from any thread.
std::optional<RsyncVersion> detectCached(const QString& executable);

} // namespace RsyncSupport

} // namespace mv
