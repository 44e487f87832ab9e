#pragma once

#include "google/GoogleDriveClient.h"
#include "google/GoogleDriveItem.h"
#include "google/GoogleUploadResume.h"
#include "google/UploadedFile.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

class QFile;

namespace mv {

class Clock;
class ReadDigest;
class UploadConnections;
class UploadControl;

// Puts a local file's content into Drive through a resumable upload session, as a new file in a folder or
// as the new content of an existing one. With a resume context a non-empty file goes in 1 MiB pieces and
// its session URL is kept in the resume store, so a cut upload continues where Drive stopped, even in a
// later process; otherwise the whole file is streamed in one request. Only a file of more than one piece
// keeps its session. Progress is the absolute count of the file's bytes sent, from any thread.
// It, its clock, and the controller and resume store given to upload() must outlive the upload.
class GoogleDriveUploader {
public:
    using Progress = std::function<void(qint64)>;

    static constexpr qint64 chunkSize = 1048576;
    static constexpr std::chrono::seconds startTimeout { 60 };
    static constexpr std::chrono::seconds chunkTimeout { 600 };
    static constexpr int toleratedStalls = 3;

    // `uploadBase` is GoogleEndpoints::uploadBase (".../upload/drive/v3/files"); `clock` paces pause waits.
    GoogleDriveUploader(QUrl uploadBase, GoogleDriveClient::TokenProvider tokenProvider,
        GoogleDriveClient::TokenRefresh tokenRefresh, Clock& clock);

    // Throws GoogleDriveError, GoogleTransportError, GoogleDecodingError or FileSystemError (naming the file
    // and what went wrong with it); a file that is a link, a FIFO or anything but a regular file is refused
    // without being followed or read. The chunked path hashes what it reads as it goes.
    QCoro::Task<UploadedFile> upload(QString filePath, QString name, QString parentID,
        std::optional<QString> existingID, std::optional<GoogleUploadResume> resume,
        UploadControl* controller, Progress onProgress);

    // The type Drive is told: from the last extension of the name; "application/octet-stream" without one.
    static QString mimeTypeFor(const QString& name);

private:
    struct SessionStatus {
        std::optional<GoogleDriveItem> item;
        qint64 nextOffset = 0;
    };

    QCoro::Task<QUrl> startSession(
        QString name, QString parentID, std::optional<QString> existingID, qint64 size, QString mimeType);
    QCoro::Task<QUrl> startSessionOnce(
        QUrl url, QByteArray verb, QByteArray metadata, qint64 size, QString mimeType);
    QCoro::Task<GoogleDriveItem> uploadWhole(QFile* file, QString name, QString parentID,
        std::optional<QString> existingID, qint64 size, QString mimeType, UploadControl* controller,
        Progress onProgress);
    // Adds what it reads to `digest`, partly on workers, which keep it alive as long as they need it.
    QCoro::Task<GoogleDriveItem> uploadResumable(QFile* file, QString path, qint64 size, QString mimeType,
        QString name, QString parentID, std::optional<QString> existingID, GoogleUploadResume resume,
        UploadControl* controller, Progress onProgress, std::shared_ptr<ReadDigest> digest);
    QCoro::Task<SessionStatus> sessionStatus(QUrl url, qint64 size);
    QCoro::Task<GoogleDriveItem> sendChunks(QUrl sessionURL, QFile* file, QString path, qint64 size,
        QString mimeType, qint64 startOffset, UploadControl* controller, Progress onProgress,
        std::shared_ptr<ReadDigest> digest);

    // Shared by copies, so that one run's uploads keep their connections open between files.
    std::shared_ptr<UploadConnections> m_connections;
    QUrl m_uploadBase;
    GoogleDriveClient::TokenProvider m_tokenProvider;
    GoogleDriveClient::TokenRefresh m_tokenRefresh;
    Clock* m_clock;
};

} // namespace mv
