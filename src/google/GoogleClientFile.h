#pragma once

#include <QByteArray>
#include <QString>

namespace mv {

// The OAuth client file downloaded from Google Cloud, of which only the client identifier and secret are
// kept. The "installed" section wins over "web"; the chosen one is never mixed with the other.
struct GoogleClientFile {
    struct Details {
        QString client_id;
        QString client_secret;
        bool operator==(const Details&) const = default;
    };
    Details details;

    // Throws GoogleDecodingError when the document is not a JSON object or the chosen section lacks a string
    // value, and GoogleAuthError::invalidClientFile when it has neither section. Values are not trimmed.
    static GoogleClientFile decode(const QByteArray& json);

    // Reads and decodes the file at `path`. Refuses, with FileSystemError, anything but a regular file of at
    // most 1 MiB, so a FIFO or a device cannot hang or flood the import.
    static GoogleClientFile read(const QString& path);
};

} // namespace mv
