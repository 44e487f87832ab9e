#pragma once

#include <QString>

#include <optional>

namespace mv {

// The one overall state the status icon, its tooltip, the panel header and the dashboard show. Only
// `running` carries a progress, only `running` and `paused` a job name; build values with the factories so
// the payload of every other case stays empty and equality means "same case, same payload".
struct AggregateStatus {
    enum class Kind { running, paused, empty, ready, idle, waiting, failed, offline, disabled };

    Kind kind = Kind::empty;
    std::optional<double> progress; // running: share done, 0...1 (not limited)
    QString jobName; // running, paused

    static AggregateStatus running(std::optional<double> progress, QString jobName);
    static AggregateStatus paused(QString jobName);
    static AggregateStatus of(Kind kind); // a case without payload

    // e.g. "Backing up Photos · 43%", "Photos is paused", "Everything is up to date".
    QString headline() const;

    bool operator==(const AggregateStatus&) const = default;
};

} // namespace mv
