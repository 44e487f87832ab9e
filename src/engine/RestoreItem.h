#pragma once

#include <QHashFunctions>
#include <QString>

namespace mv {

// One selected path of a restore with where it will land.
struct RestoreItem {
    QString sourcePath; // in the backup
    QString targetPath; // where the item will be
    QString targetParent; // the folder above targetPath
    bool isDirectory = false; // a real folder (a link to one is restored as a link)
    // The whole backup folder: its contents go into targetPath itself rather than into a new folder named
    // after it.
    bool restoresContents = false;
    // The folder that must already exist: the chosen folder, the job's source folder, or for the whole
    // backup the folder above the source. Missing folders below it are made before the item is copied.
    QString baseFolder;

    // The folder rsync writes into: targetPath for the contents of the whole backup, else targetParent.
    QString receivingFolder() const { return restoresContents ? targetPath : targetParent; }

    bool operator==(const RestoreItem&) const = default;
};

inline size_t qHash(const RestoreItem& item, size_t seed = 0)
{
    return qHashMulti(seed, item.sourcePath, item.targetPath, item.targetParent, item.isDirectory,
        item.restoresContents, item.baseFolder);
}

} // namespace mv
