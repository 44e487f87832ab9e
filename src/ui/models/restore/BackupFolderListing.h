#pragma once

#include "ui/models/restore/RestoreEntry.h"

#include <QList>
#include <QString>

namespace mv {

// The items directly inside one backup folder, as the restore browser lists them: hidden items left out, at
// most `cap` of them, folders first and then by name as a file manager orders names. Reading blocks, so it
// runs off the main thread.
struct BackupFolderListing {
    static constexpr qsizetype cap = 2000;

    QList<RestoreEntry> entries;
    bool truncated = false; // the folder held more than `cap` visible items

    // Lists `folder`. A folder that is missing, unreadable or not a folder lists as empty. The cap keeps
    // the first items the file system gives, before sorting. Each item's own attributes are read, so a
    // link to a folder is listed as a file; an item whose attributes cannot be read is a file of size 0
    // without a date.
    static BackupFolderListing read(const QString& folder);

    // Folders before other items, then names in the current locale, ignoring case, with runs of digits
    // compared by value; equal names keep their order.
    static void sort(QList<RestoreEntry>& entries);
};

} // namespace mv
