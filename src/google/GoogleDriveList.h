#pragma once

#include "google/GoogleDriveItem.h"

#include <QList>

namespace mv {

// One page of a Drive file listing.
struct GoogleDriveList {
    QList<GoogleDriveItem> files;
    std::optional<QString> nextPageToken; // present, even empty, when another page follows

    // Throws GoogleDecodingError; a page without "files" is unreadable, an empty "files" list is not.
    static GoogleDriveList decode(const QByteArray& json);
};

} // namespace mv
