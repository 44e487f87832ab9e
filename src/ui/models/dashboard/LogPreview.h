#pragma once

#include <QString>

#include <optional>

namespace mv::LogPreview {

// The most the preview reads, from the end of the log, and the most lines it keeps of that.
inline constexpr qint64 windowBytes = 16'000;
inline constexpr int lineLimit = 60;

// The end of the run's log as the inspector previews it: the last 16,000 bytes decoded leniently as UTF-8
// (a character cut at the window's start shows as U+FFFD), secrets masked, then the last 60 lines. Empty
// when there is no path or the file cannot be read.
QString tail(const std::optional<QString>& logPath);

} // namespace mv::LogPreview
