#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

// One source file of a Drive backup, as the scan found it.
struct GoogleLocalFile {
    QString relativePath; // below the source folder, "/"-separated, no leading or trailing "/"
    // Where the scan found the file: its absolute path in the file system's own bytes, for opening it. Kept
    // as bytes so that the name reaching the file system is exactly the one read from it.
    QByteArray url;
    qint64 size = 0; // 0 when the file system did not report one
    std::optional<QDateTime> modified; // content modification time, UTC

    bool operator==(const GoogleLocalFile&) const = default;
};

// Uses all four fields, as equality does.
size_t qHash(const GoogleLocalFile& file, size_t seed = 0);

} // namespace mv
