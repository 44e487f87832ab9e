#pragma once

#include "model/BackupRunRecord.h"

#include <QString>

#include <vector>

namespace mv::HistoryCsv {

// The history as CSV text: a header line, then one line per record in the given order, joined by single
// line feeds with none after the last line. Dates are ISO 8601 in UTC with whole seconds; a running
// record's end is empty.
QString format(const std::vector<BackupRunRecord>& records);

} // namespace mv::HistoryCsv
