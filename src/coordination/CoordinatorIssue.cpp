#include "coordination/CoordinatorIssue.h"

#include "engine/PreflightFailure.h"

namespace mv {

CoordinatorIssue CoordinatorIssue::make(
    QString title, QString message, std::optional<QString> recovery, QString symbol, bool isTemporary)
{
    return { QUuid::createUuid(), std::move(title), std::move(message), std::move(recovery),
        std::move(symbol), isTemporary };
}

CoordinatorIssue CoordinatorIssue::from(const PreflightFailure& failure)
{
    return make(failure.title, failure.message, failure.recovery, failure.symbol, failure.isTemporary);
}

CoordinatorIssue CoordinatorIssue::turnedOff(const QString& jobName)
{
    return make(QStringLiteral("This backup is turned off"),
        QStringLiteral("Enable ") + jobName + QStringLiteral(" before running it."), std::nullopt,
        QStringLiteral("pause.circle"));
}

CoordinatorIssue CoordinatorIssue::busy(const QString& otherJobName, const QString& otherDestinationPath)
{
    return make(QStringLiteral("Destination is busy"),
        otherJobName + QStringLiteral(" is already writing to ") + otherDestinationPath + QStringLiteral("."),
        QStringLiteral(
            "Wait for that run to finish. Marrowvale never writes to the same folder twice at once."),
        QStringLiteral("arrow.triangle.2.circlepath"));
}

CoordinatorIssue CoordinatorIssue::restoreRunning()
{
    return make(QStringLiteral("A restore is already running"),
        QStringLiteral("Wait for it to finish, then try again."), std::nullopt,
        QStringLiteral("exclamationmark.triangle.fill"));
}

} // namespace mv
