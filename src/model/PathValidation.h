#pragma once

#include "model/PathValidationError.h"

#include <QString>

#include <optional>

namespace mv {

struct BackupDestination;

// The one place that decides what a usable path, server and user name are. Every validator reports only the
// first problem it finds, in a fixed order, and changes nothing on disk. Any thread may call these.
namespace PathValidation {

// The canonical form of a local path: a leading "~" expanded, blanks trimmed, "." and ".." removed,
// symbolic links resolved, no trailing "/" (except for "/" itself). Empty input gives empty text.
QString normalize(const QString& path);

// The canonical form of a path on an SSH server: blanks trimmed and trailing "/" removed ("/" stays).
QString normalizeRemotePath(const QString& path);

// Whether two local paths are the same folder or one lies inside the other (whole components only).
bool overlaps(const QString& first, const QString& second);

std::optional<PathValidationError> validateSource(const QString& path);
std::optional<PathValidationError> validateLocalDestination(
    const QString& source, const QString& destination);
std::optional<PathValidationError> validateRemotePath(const QString& path);
std::optional<PathValidationError> validateSSHUser(const QString& user);
std::optional<PathValidationError> validateSSHHost(const QString& host);

// The whole destination by its kind, as the destination editor checks it before saving.
std::optional<PathValidationError> validateDestination(const BackupDestination& destination);

} // namespace PathValidation

} // namespace mv
