#pragma once

#include <QString>

namespace mv::LogPath {

// Makes sure the support folders exist and answers a new log file path in the Logs folder: `prefix`, a new
// UUID and ".log". A folder that cannot be made is not an error here: the run goes on without its log.
QString prepare(const QString& prefix);

} // namespace mv::LogPath
