#pragma once

#include "model/Enumerations.h"

#include <QStringList>

#include <optional>

namespace mv {

// The choices that shape every transfer of a job.
struct TransferOptions {
    std::optional<qint64> bandwidthLimitKBps; // the job's own limit; none leaves it to the settings
    bool preservePermissions = true;
    bool preserveExtendedAttributes = true;
    bool preserveOwnership = false;
    bool copySymlinks = true;
    BuiltInExclusionSet builtInExclusions = defaultBuiltInExclusions();
    QStringList customExclusions; // in the order the user entered them

    // The one list of exclusion patterns every transfer uses: the built-in patterns in set order, then the
    // custom ones exactly as stored (nothing trimmed, filtered or de-duplicated).
    QStringList exclusionPatterns() const;

    bool operator==(const TransferOptions&) const = default;
};

} // namespace mv
