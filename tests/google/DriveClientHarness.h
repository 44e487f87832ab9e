#pragma once

#include "support/FakeGoogleServer.h"
#include "support/TaskOutcome.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleDriveClient.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleEndpoints.h"
#include "model/FileSystemError.h"

#include <QNetworkAccessManager>

#include <chrono>
#include <memory>

namespace mv::test {

// A Drive client against the fake Google server, with tokens the server issued, a refresh callback that
// counts its calls and fetches a new token, and a sleeper that records its waits instead of spending them.
struct DriveClientHarness {
    explicit DriveClientHarness(FakeGoogleServer& server)
        : server(server)
        , token(std::make_shared<QString>(server.issueAccessToken()))
    {
    }

    GoogleDriveClient client(bool withRefresh = true, bool realSleeper = false)
    {
        GoogleDriveClient::TokenRefresh refresh;
        if (withRefresh)
            refresh = [this]() -> QCoro::Task<> {
                ++refreshes;
                *token = server.issueAccessToken();
                co_return;
            };
        GoogleDriveClient::Sleeper sleeper;
        if (!realSleeper)
            sleeper = [this](std::chrono::milliseconds delay) -> QCoro::Task<> {
                sleeps << int(std::chrono::duration_cast<std::chrono::seconds>(delay).count());
                co_return;
            };
        return GoogleDriveClient(
            network, GoogleEndpoints::at(server.baseUrl()).driveApiBase,
            [token = token]() -> QCoro::Task<QString> {
                // A copy: GCC 12 moves out of the lvalue named in a co_return.
                const QString current = *token;
                co_return current;
            },
            refresh, sleeper);
    }

    FakeGoogleServer& server;
    QNetworkAccessManager network;
    std::shared_ptr<QString> token;
    int refreshes = 0;
    QList<int> sleeps; // in seconds
};

// The description of what a task threw, or the empty text when it returned.
template <typename T> QString failureOf(const TaskOutcome<T>& outcome)
{
    if (!outcome.error)
        return {};
    try {
        std::rethrow_exception(outcome.error);
    } catch (const GoogleDriveError& error) {
        return error.description();
    } catch (const GoogleListingTruncatedError& error) {
        return error.description();
    } catch (const GoogleTransportError& error) {
        return error.description();
    } catch (const GoogleDecodingError& error) {
        return error.description();
    } catch (const GoogleAuthError& error) {
        return error.description();
    } catch (const FileSystemError& error) {
        return error.description();
    } catch (const std::exception& error) {
        return QStringLiteral("unexpected: ") + QString::fromUtf8(error.what());
    }
}

} // namespace mv::test
