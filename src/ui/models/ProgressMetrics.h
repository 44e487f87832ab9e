#pragma once

#include "model/RunProgress.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// The metrics line of one live run: its speed, how much is done and, when known, the time left.
struct ProgressMetrics {
    QString speed;
    QString amount;
    std::optional<QString> timeLeft;

    static ProgressMetrics of(const RunProgress& progress);

    // "1.2 MB/s"; an em dash for a speed that is not a positive number a byte count can hold.
    static QString speedText(double bytesPerSecond);

    // The parts in reading order: speed, amount, and the time left when it is known.
    QStringList parts() const;

    bool operator==(const ProgressMetrics&) const = default;
};

} // namespace mv
