#include "model/TransferOptions.h"

namespace mv {

QStringList TransferOptions::exclusionPatterns() const
{
    QStringList patterns;
    for (const BuiltInExclusion exclusion : builtInExclusions)
        patterns.append(pattern(exclusion));
    patterns.append(customExclusions);
    return patterns;
}

} // namespace mv
