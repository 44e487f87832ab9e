#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <expected>

namespace mv::ConfigurationFile {

// What reading the configuration document found.
struct Contents {
    enum class State {
        missing, // nothing at the path: a first launch
        read, // `bytes` holds the whole file
        unreadable, // something is there but could not be read; `problem` says why
    };
    State state = State::missing;
    QByteArray bytes;
    QString problem;
};

// Reads the whole file at `path`. Only "no such file" (or a path through a non-folder) counts as missing: a
// folder, a device or a file without permission to read is unreadable.
Contents read(const QString& path);

// Keeps `bytes` in a new owner-only file "config.corrupt-<N>.json" in `folder`, N being `now` in whole Unix
// seconds. An existing copy is never replaced: a later one in the same second is named
// "config.corrupt-<N>-2.json", "-3", and so on. Answers the copy's path, or why no copy could be made (a
// half-written copy is removed).
std::expected<QString, QString> keepCorruptCopy(
    const QString& folder, const QByteArray& bytes, const QDateTime& now);

} // namespace mv::ConfigurationFile
