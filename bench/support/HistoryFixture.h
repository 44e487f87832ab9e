#pragma once

#include <QDateTime>
#include <QString>

namespace mv::bench {

// Fills the history file at `path`, whose schema the repository made, with `rows` runs of twelve jobs on
// three destinations each, starting evenly over the `spanDays` before `end`, in one transaction.
void populateHistory(const QString& path, int rows, const QDateTime& end, int spanDays);

} // namespace mv::bench
