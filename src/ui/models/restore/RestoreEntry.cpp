#include "ui/models/restore/RestoreEntry.h"

#include <QHashFunctions>

namespace mv {

size_t qHash(const RestoreEntry& entry, size_t seed)
{
    return qHashMulti(seed, entry.path, entry.name, entry.isDirectory, entry.size.value_or(-1),
        entry.size.has_value(), entry.modified.value_or(QDateTime()), entry.modified.has_value());
}

} // namespace mv
