#pragma once

#include "engine/RsyncEvent.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// How one rsync run ended. The caller judges it: exit status, cancellation, errors and warnings.
struct RsyncOutcome {
    qint32 exitCode = 0; // rsync's exit status, or 128 + the signal that ended it
    RsyncStats stats;
    QStringList errors; // the first 20 error lines, redacted
    QStringList warnings; // the first 20 warning lines, redacted
    bool cancelled = false; // cancel() was called on the controller
    std::optional<QString> logPath;
    bool logTruncated = false; // the log reached its cap and later lines were dropped
    double duration = 0; // seconds from just before the launch to the end

    // "rsync exited with code 23."
    QString exitCodeText() const;
    // The first error line, or exitCodeText() when rsync printed none.
    QString firstError() const;

    bool operator==(const RsyncOutcome&) const = default;
};

} // namespace mv
