#pragma once

#include "engine/RsyncEvent.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace mv {

// Reads the lines rsync prints for the argument vector PlanBuilder makes ("--human-readable", "--stats",
// "--info=progress2,name0", "--out-format=XFER %n"): each line gives at most one event, while the run's
// statistics and its first error and warning lines accumulate. One parser per run, one thread at a time.
class RsyncOutputParser {
public:
    static constexpr qsizetype keptLineLimit = 20;
    // The options that make rsync print what this parser reads; every transfer it reads passes them.
    static inline const QString humanReadableOption = QStringLiteral("--human-readable");
    static inline const QString progressOption = QStringLiteral("--info=progress2,name0");
    static inline const QString nameLineOption = QStringLiteral("--out-format=XFER %n");

    std::optional<RsyncEvent> consume(const QString& line);
    std::optional<RsyncEvent> consume(QStringView line);
    // The events of lines read together, in order. Each progress line replaces the one before it, so only
    // the last one of the batch is parsed and gives an event; every other line is read as by consume().
    QList<RsyncEvent> consumeLines(const QStringList& lines);

    const RsyncStats& stats() const { return m_stats; }
    const QStringList& errors() const { return m_errors; }
    const QStringList& warnings() const { return m_warnings; }
    bool sawStatistics() const { return m_sawStatistics; }

    // The factor of rsync's unit letter: K, M, G, T, P in either case are powers of 1,000; anything else 1.
    static double multiplier(QStringView unit);
    // A time left such as "1:02" or "0:01:02" in seconds; none when no piece reads as a number.
    static std::optional<double> seconds(QStringView text);
    // Whether the line is ssh's own account of a failed connection ("Timeout, server … not responding.",
    // "Connection closed by …"). rsync then reports only what it saw, such as a broken pipe, so these lines
    // are kept as errors too.
    static bool isSSHReason(QStringView line);

private:
    std::optional<RsyncEvent> progress(QStringView line);
    std::optional<RsyncEvent> deletion(QStringView untrimmed);
    std::optional<RsyncEvent> statisticsCount(QStringView line);
    std::optional<RsyncEvent> statisticsFigure(QStringView line, QStringView key, qint64 RsyncStats::*field);
    RsyncEvent statisticsEvent() const;

    RsyncStats m_stats;
    QStringList m_errors;
    QStringList m_warnings;
    bool m_sawStatistics = false;
};

} // namespace mv
