#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

// One listed item of a backup folder. Its identity is its path; two entries are equal only when every field
// is.
struct RestoreEntry {
    QString path; // absolute
    QString name; // the last path component
    bool isDirectory = false;
    std::optional<qint64> size; // bytes; none exactly for folders
    std::optional<QDateTime> modified;

    const QString& id() const { return path; }

    bool operator==(const RestoreEntry&) const = default;
};

size_t qHash(const RestoreEntry& entry, size_t seed = 0);

} // namespace mv
