#pragma once

#include "google/GoogleDriveClient.h"
#include "google/GoogleDriveUploader.h"

#include <QUrl>

class QNetworkAccessManager;

namespace mv {

// Where the engine's Drive clients send their requests: the process's network access, the Drive API base,
// the sleeper for their back-off (empty: real waits) and the upload base, which uploads reach over their own
// connections. The network must outlive every client made here.
struct GoogleDriveConnection {
    QNetworkAccessManager* network = nullptr;
    QUrl driveApiBase; // ".../drive/v3"
    GoogleDriveClient::Sleeper sleeper;
    QUrl uploadBase {}; // ".../upload/drive/v3/files"; only runs upload, so planning may leave it out

    GoogleDriveClient client(
        GoogleDriveClient::TokenProvider tokenProvider, GoogleDriveClient::TokenRefresh tokenRefresh) const
    {
        return GoogleDriveClient(
            *network, driveApiBase, std::move(tokenProvider), std::move(tokenRefresh), sleeper);
    }

    // `clock` paces the uploader's pause waits.
    GoogleDriveUploader uploader(GoogleDriveClient::TokenProvider tokenProvider,
        GoogleDriveClient::TokenRefresh tokenRefresh, Clock& clock) const
    {
        return GoogleDriveUploader(uploadBase, std::move(tokenProvider), std::move(tokenRefresh), clock);
    }
};

} // namespace mv
