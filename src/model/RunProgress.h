#pragma once

#include "model/Enumerations.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

// The live state of one run or restore.
struct RunProgress {
    RunPhase phase = RunPhase::queued;
    std::optional<double> fraction; // 0...1; none while unknown
    qint64 bytesTransferred = 0;
    double bytesPerSecond = 0;
    qint64 filesCompleted = 0;
    qint64 filesTotal = 0;
    std::optional<QString> currentFile;
    std::optional<double> etaSeconds;
    QDateTime startedAt;
    std::optional<QString> message; // e.g. "Waiting for a free slot"

    // The percentage beside a progress bar: "—" without a fraction, else 0% ... 100%.
    QString fractionText() const;

    bool operator==(const RunProgress&) const = default;
};

} // namespace mv
