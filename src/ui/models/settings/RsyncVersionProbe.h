#pragma once

#include "engine/RsyncSupport.h"

#include <QFuture>
#include <QString>

#include <chrono>
#include <optional>

namespace mv {

// Asks an rsync executable for its version without holding up the caller: the program runs on the worker
// pool and is ended when it has not answered within `bound`. The answer is the chip's text, "v3.2.7", or
// none when there is no executable, it cannot start, names no version or does not answer in time.
namespace RsyncVersionProbe {

inline constexpr std::chrono::milliseconds bound { 5000 };

// The version itself, for those who show more than the chip.
QFuture<std::optional<RsyncVersion>> read(
    const QString& executable, std::chrono::milliseconds timeout = bound);

QFuture<std::optional<QString>> start(
    const std::optional<QString>& executable, std::chrono::milliseconds timeout = bound);

} // namespace RsyncVersionProbe

} // namespace mv
