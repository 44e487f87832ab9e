#pragma once

#include <QString>

#include <optional>

namespace mv {

// One reading of rsync's whole-transfer progress line.
struct RsyncSample {
    qint64 bytesTransferred = 0;
    double percent = 0; // 0.0 to 1.0
    double bytesPerSecond = 0;
    std::optional<double> etaSeconds;
    std::optional<qint64> transferIndex; // "xfr#": files transferred so far
    std::optional<qint64> remaining; // first number of "to-chk=": files still to check (may be negative)
    std::optional<qint64> total; // second number of "to-chk=": files known in all

    bool operator==(const RsyncSample&) const = default;
};

// The figures of one run, from the progress lines, the deletions and rsync's closing statistics block.
struct RsyncStats {
    qint64 filesTransferred = 0;
    qint64 filesCreated = 0;
    qint64 filesUpdated = 0; // filesTransferred - filesCreated, never below 0
    qint64 filesDeleted = 0;
    qint64 totalFiles = 0;
    qint64 transferredBytes = 0;
    qint64 bytesSent = 0;

    bool operator==(const RsyncStats&) const = default;
};

// One parsed line of rsync's output. Exactly one shape is filled: progress (sample), transferred item
// (transferredName), deletion (deletion with the stats after counting it), statistics (stats), error
// (message, isError) or warning (message).
struct RsyncEvent {
    std::optional<RsyncSample> sample = std::nullopt;
    std::optional<QString> transferredName = std::nullopt;
    std::optional<QString> deletion = std::nullopt;
    std::optional<RsyncStats> stats = std::nullopt;
    std::optional<QString> message = std::nullopt; // redacted
    bool isError = false;
};

} // namespace mv
