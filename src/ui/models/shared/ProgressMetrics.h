#pragma once

#include "model/RunProgress.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// The metrics line of one live run: its speed, how much is done and, when known, the time left.
struct ProgressMetrics {
    std::optional<QString> speed;
    QString amount;
    std::optional<QString> timeLeft;

    // The line of `progress`: none for a queued run, which has measured nothing yet; a paused run moves
    // nothing, so it has no speed and no time left.
    static std::optional<ProgressMetrics> of(const RunProgress& progress);

    // "1.2 MB/s"; an em dash for a speed that is not a positive number a byte count can hold.
    static QString speedText(double bytesPerSecond);

    // The parts in reading order: the speed and the time left when there are, the amount between them.
    QStringList parts() const;

    bool operator==(const ProgressMetrics&) const = default;
};

} // namespace mv
