#include "drive/GoogleLocalFile.h"

#include <QHashFunctions>

namespace mv {

size_t qHash(const GoogleLocalFile& file, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, file.relativePath);
    seed = combine(seed, file.url);
    seed = combine(seed, file.size);
    seed = combine(seed, file.modified.has_value());
    if (file.modified)
        seed = combine(seed, *file.modified);
    return seed;
}

} // namespace mv
