#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// The path bar of the restore browser: the folder names from the backup root down to the folder shown, and
// the folders its controls open. Navigation never leaves the root.
namespace BackupBreadcrumb {

// The names below `root` down to `current`, both normalised; empty at the root, for an empty root, or when
// `current` lies outside the root.
QStringList relativeComponents(const QString& root, const QString& current);

// The folder the name at `index` of relativeComponents() stands for: the root, "/", and the first
// index + 1 names joined by "/".
QString componentPath(const QString& root, const QStringList& components, qsizetype index);

// The folder above `current`, when it still lies inside `root`; none at the root.
std::optional<QString> parentWithin(const QString& root, const QString& current);

} // namespace BackupBreadcrumb
} // namespace mv
