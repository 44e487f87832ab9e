#pragma once

#include <QString>

#include <optional>

namespace mv {

// One progress report of a running Drive backup.
struct GoogleProgressSnapshot {
    std::optional<double>
        fraction; // 0...1, by bytes when the plan has bytes, else by files; none without either
    qint64 bytes = 0; // bytes of the plan's files dealt with so far
    double bytesPerSecond = 0; // smoothed
    qsizetype filesDone = 0;
    qsizetype filesTotal = 0;
    std::optional<QString> currentFile;
    std::optional<double> etaSeconds; // none at rate 0, with nothing left, or beyond a day

    bool operator==(const GoogleProgressSnapshot&) const = default;
};

} // namespace mv
