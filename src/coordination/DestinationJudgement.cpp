#include "coordination/DestinationJudgement.h"

#include "engine/PreflightService.h"
#include "model/BackupDestination.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"

#include <QFileInfo>

namespace mv {

Availability judgeDestination(const BackupDestination& destination)
{
    const QString normalized = PathValidation::normalize(destination.path);
    if (normalized.isEmpty())
        return Availability::offline(QStringLiteral("No destination folder is set."));
    if (!QFileInfo::exists(normalized) && !QFileInfo::exists(QFileInfo(normalized).path()))
        return Availability::offline(destination.name + QStringLiteral(" is not available."));

    // An empty mount point left behind by an unmounted drive exists too: only the volume tells them apart.
    const QString expected = destination.volumeIdentity.value_or(QString());
    if (expected.isEmpty())
        return Availability::online();
    const auto volume
        = VolumeInspector::volume(PreflightService::nearestExistingAncestor(normalized).value_or(normalized));
    if (!volume || volume->identity == expected)
        return Availability::online();
    return Availability::offline(
        QStringLiteral("A different volume is mounted at ") + destination.path + QLatin1Char('.'));
}

} // namespace mv
