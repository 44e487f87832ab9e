#include "ui/models/restore/BackupFolderListing.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>

namespace mv {

namespace {

// The item itself, not what a link points at.
RestoreEntry entryAt(const QString& path)
{
    RestoreEntry entry;
    entry.path = path;
    entry.name = QFileInfo(path).fileName();
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        entry.size = 0;
        return entry;
    }
    entry.isDirectory = S_ISDIR(status.st_mode);
    if (!entry.isDirectory)
        entry.size = qint64(status.st_size);
    entry.modified = QDateTime::fromMSecsSinceEpoch(
        qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000, Qt::UTC);
    return entry;
}

} // namespace

BackupFolderListing BackupFolderListing::read(const QString& folder)
{
    BackupFolderListing listing;
    if (folder.isEmpty())
        return listing;
    // Unsorted: the file system's own order, so the cap keeps the items it gave first.
    QDirIterator items(folder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (items.hasNext()) {
        const QString path = items.next();
        if (listing.entries.size() == cap) {
            listing.truncated = true;
            break;
        }
        listing.entries.append(entryAt(path));
    }
    sort(listing.entries);
    return listing;
}

void BackupFolderListing::sort(QList<RestoreEntry>& entries)
{
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        entries.begin(), entries.end(), [&collator](const RestoreEntry& a, const RestoreEntry& b) {
            if (a.isDirectory != b.isDirectory)
                return a.isDirectory;
            return collator.compare(a.name, b.name) < 0;
        });
}

} // namespace mv
