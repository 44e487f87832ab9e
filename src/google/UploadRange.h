#pragma once

#include <QString>

#include <optional>

namespace mv::UploadRange {

// The offset of the first byte the server still needs, from a resumable upload's "Range" answer
// ("bytes=0-1048575" gives 1,048,576): the end of the range plus one. Nothing for an absent or unreadable
// value, and for an end that cannot be advanced. The start is not checked against the end.
std::optional<qint64> rangeEnd(const std::optional<QString>& header);

} // namespace mv::UploadRange
