#include "model/AggregateStatus.h"

#include <cmath>

namespace mv {

AggregateStatus AggregateStatus::running(std::optional<double> progress, QString jobName)
{
    return { Kind::running, progress, std::move(jobName) };
}

AggregateStatus AggregateStatus::paused(QString jobName)
{
    return { Kind::paused, std::nullopt, std::move(jobName) };
}

AggregateStatus AggregateStatus::of(Kind kind)
{
    return { kind, std::nullopt, {} };
}

QString AggregateStatus::headline() const
{
    switch (kind) {
    case Kind::running: {
        QString text = QStringLiteral("Backing up ") + jobName;
        // Not limited to 100: a progress past the end shows as such. A value that is no number shows none.
        if (progress && std::isfinite(*progress)) {
            const double percent = std::round(*progress * 100) + 0.0; // + 0.0 turns -0 into 0
            text += QStringLiteral(" \u00B7 ") + QString::number(percent, 'f', 0) + QLatin1Char('%');
        }
        return text;
    }
    case Kind::paused:
        return jobName + QStringLiteral(" is paused");
    case Kind::empty:
        return QStringLiteral("Nothing is backed up yet");
    case Kind::ready:
        return QStringLiteral("Ready to back up");
    case Kind::idle:
        return QStringLiteral("Everything is up to date");
    case Kind::waiting:
        return QStringLiteral("Waiting for a destination");
    case Kind::failed:
        return QStringLiteral("A backup needs attention");
    case Kind::offline:
        return QStringLiteral("A destination is offline");
    case Kind::disabled:
        return QStringLiteral("All backups are turned off");
    }
    return {};
}

} // namespace mv
