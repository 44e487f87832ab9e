#pragma once

#include "drive/RemoteTable.h"
#include "google/GoogleDriveItem.h"

#include <QList>
#include <QString>

#include <qcoro/qcorotask.h>

namespace mv {

class GoogleDriveClient;
class GoogleRunLog;

namespace GoogleDriveEngine {

// What Drive holds below a destination folder, keyed like the source: by the chain of names from the first
// level below the root down to the item, joined by "/". The root itself is in neither table.
struct RemoteIndex {
    RemoteTable files; // every item below the root that is not a folder
    RemoteTable folders;
};

// How many levels above an item its parent chain is followed before the item counts as unplaceable.
inline constexpr int maximumParentDepth = 200;

// Places each listed item below `rootID` by its first parent. Items outside the root's tree, under a missing
// ancestor, in a cycle or more than 200 levels deep are left out; trashed items are too. When two items share
// a path, the one listed later wins. Pure; walks parent chains without recursion.
RemoteIndex makeIndex(const QList<GoogleDriveItem>& items, const QString& rootID);

// Lists every non-trashed item the client sees (the whole Drive) and indexes those below `rootID`, writing
// "INDEX" lines to the log when one is given. Throws the listing's error, including the one for a listing too
// long to index safely.
QCoro::Task<RemoteIndex> buildRemoteIndex(GoogleDriveClient& client, QString rootID, GoogleRunLog* log);

// The last non-empty "/"-separated component of the path; the path itself when it has none.
QString lastComponent(const QString& path);

} // namespace GoogleDriveEngine

} // namespace mv
