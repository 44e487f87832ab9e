#pragma once

#include "google/GoogleDriveItem.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

class GoogleDriveClient;
class GoogleRunLog;

namespace GoogleDriveEngine {

// The Drive folders of one run by relative path: those Drive held when the run began and those it created.
// It, the client and the log must outlive ensure().
class DriveFolders {
public:
    DriveFolders(QString rootID, QHash<QString, GoogleDriveItem> existing);

    // Ensures each directory in Drive, in the order given (parents before children), logging "FOLDER" for
    // each one ensured. A directory Drive already holds costs no request; one whose parent is not known is
    // passed over, so that the first file below it fails the run instead. Throws the client's error.
    QCoro::Task<> ensure(GoogleDriveClient& client, QStringList directories, GoogleRunLog& log);

    // The id of the Drive folder that holds the item at `relativePath`; none when that folder is unknown.
    std::optional<QString> parentID(const QString& relativePath) const;

private:
    QString m_rootID;
    QHash<QString, GoogleDriveItem> m_folders;
};

} // namespace GoogleDriveEngine

} // namespace mv
