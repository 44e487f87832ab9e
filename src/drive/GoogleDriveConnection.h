#pragma once

#include "google/GoogleDriveClient.h"

#include <QUrl>

class QNetworkAccessManager;

namespace mv {

// Where the engine's Drive clients send their requests: the process's network access and the Drive API base,
// and the sleeper for their back-off (empty: real waits). The network must outlive every client made here.
struct GoogleDriveConnection {
    QNetworkAccessManager* network = nullptr;
    QUrl driveApiBase; // ".../drive/v3"
    GoogleDriveClient::Sleeper sleeper;

    GoogleDriveClient client(
        GoogleDriveClient::TokenProvider tokenProvider, GoogleDriveClient::TokenRefresh tokenRefresh) const
    {
        return GoogleDriveClient(
            *network, driveApiBase, std::move(tokenProvider), std::move(tokenRefresh), sleeper);
    }
};

} // namespace mv
