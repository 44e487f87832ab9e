#include "model/Enumerations.h"

namespace mv {

QString pattern(BuiltInExclusion exclusion)
{
    switch (exclusion) {
    case BuiltInExclusion::finderMetadata:
        return QStringLiteral(".DS_Store");
    case BuiltInExclusion::git:
        return QStringLiteral(".git/");
    case BuiltInExclusion::nodeModules:
        return QStringLiteral("node_modules/");
    case BuiltInExclusion::temporaryFiles:
        return QStringLiteral("*.tmp");
    case BuiltInExclusion::trash:
        return QStringLiteral(".Trash/");
    case BuiltInExclusion::caches:
        return QStringLiteral("Library/Caches/");
    }
    return {};
}

BuiltInExclusionSet defaultBuiltInExclusions()
{
    BuiltInExclusionSet set;
    const auto cases = allCases<BuiltInExclusion>();
    for (std::size_t i = 0; i < 4; ++i)
        set.insert(cases[i]);
    return set;
}

} // namespace mv
