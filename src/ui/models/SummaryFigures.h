#pragma once

#include <QDateTime>
#include <QString>

namespace mv {

class AppState;

// The three figures of the panel's summary strip: when the last backup succeeded, how many jobs there are
// and how many bytes all runs have moved.
struct SummaryFigures {
    QString lastBackup;
    QString jobs;
    QString transferred;

    static SummaryFigures of(AppState& state, const QDateTime& now);

    bool operator==(const SummaryFigures&) const = default;
};

} // namespace mv
