#include "shell/StatusTooltip.h"

#include <cmath>

namespace mv {

namespace {

QString words(const AggregateStatus& status)
{
    switch (status.kind) {
    case AggregateStatus::Kind::running: {
        QString text = QStringLiteral("Backing up ") + status.jobName;
        // A progress that is no number shows none, rather than a nonsense figure.
        if (status.progress && std::isfinite(*status.progress))
            text += QStringLiteral(" \u00B7 ")
                + QString::number(std::trunc(*status.progress * 100) + 0.0, 'f', 0) + QLatin1Char('%');
        return text;
    }
    case AggregateStatus::Kind::paused:
        return status.jobName + QStringLiteral(" is paused");
    case AggregateStatus::Kind::empty:
        return QStringLiteral("No backups configured");
    case AggregateStatus::Kind::ready:
        return QStringLiteral("Ready to back up");
    case AggregateStatus::Kind::idle:
        return QStringLiteral("Everything is up to date");
    case AggregateStatus::Kind::waiting:
        return QStringLiteral("Waiting for a destination");
    case AggregateStatus::Kind::failed:
        return QStringLiteral("A backup needs attention");
    case AggregateStatus::Kind::offline:
        return QStringLiteral("A destination is offline");
    case AggregateStatus::Kind::disabled:
        return QStringLiteral("All backups are turned off");
    }
    return {};
}

} // namespace

QString statusTooltip(const AggregateStatus& status)
{
    return QStringLiteral("Marrowvale \u2014 ") + words(status);
}

} // namespace mv
