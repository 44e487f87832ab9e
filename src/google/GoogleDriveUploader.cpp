#include "google/GoogleDriveUploader.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleResumeStore.h"
#include "google/HttpExchange.h"
#include "google/PercentEncoding.h"
#include "google/UploadConnections.h"
#include "google/UploadControl.h"
#include "google/UploadExchange.h"
#include "google/UploadRange.h"
#include "model/FileSystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace mv {

namespace {

constexpr char octetStream[] = "application/octet-stream";

bool isSessionGone(int status)
{
    return status == 401 || status == 404 || status == 410;
}

// Opened without following a link and without waiting on a FIFO; only a regular file is read.
std::unique_ptr<QFile> openRegularFile(const QString& path, qint64& size)
{
    const int descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        throw FileSystemError(QStringLiteral("The file “%1” could not be opened: %2.")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat facts { };
    if (::fstat(descriptor, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        ::close(descriptor);
        throw FileSystemError(
            QStringLiteral("The file “%1” is not a regular file and was not uploaded.").arg(path));
    }
    size = facts.st_size;
    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw FileSystemError(QStringLiteral("The file “%1” could not be opened.").arg(path));
    }
    return file;
}

// A session URL must be an absolute web address; anything else counts as no session.
std::optional<QUrl> sessionUrlFrom(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        || url.host().isEmpty())
        return std::nullopt;
    return url;
}

// An item Drive reports finished is usable only when it is not in the trash.
std::optional<GoogleDriveItem> usableItem(const QByteArray& body)
{
    try {
        GoogleDriveItem item = GoogleDriveItem::decode(body);
        if (item.trashed.value_or(false))
            return std::nullopt;
        return item;
    } catch (const GoogleDecodingError&) {
        return std::nullopt;
    }
}

} // namespace

GoogleDriveUploader::GoogleDriveUploader(QUrl uploadBase, GoogleDriveClient::TokenProvider tokenProvider,
    GoogleDriveClient::TokenRefresh tokenRefresh, Clock& clock)
    : m_connections(std::make_shared<UploadConnections>())
    , m_uploadBase(std::move(uploadBase))
    , m_tokenProvider(std::move(tokenProvider))
    , m_tokenRefresh(std::move(tokenRefresh))
    , m_clock(&clock)
{
}

QString GoogleDriveUploader::mimeTypeFor(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix();
    if (suffix.isEmpty())
        return QLatin1String(octetStream);
    const QMimeType type
        = QMimeDatabase().mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    return type.isDefault() ? QLatin1String(octetStream) : type.name();
}

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::upload(QString filePath, QString name, QString parentID,
    std::optional<QString> existingID, std::optional<GoogleUploadResume> resume, UploadControl* controller,
    Progress onProgress)
{
    qint64 size = 0;
    const std::unique_ptr<QFile> file = openRegularFile(filePath, size);
    const QString mimeType = mimeTypeFor(QFileInfo(filePath).fileName());
    if (resume && size >= 1) {
        auto chunked = uploadResumable(
            file.get(), size, mimeType, name, parentID, existingID, *resume, controller, onProgress);
        GoogleDriveItem item = co_await chunked;
        co_return item;
    }
    auto whole = uploadWhole(file.get(), name, parentID, existingID, size, mimeType, controller, onProgress);
    GoogleDriveItem item = co_await whole;
    co_return item;
}

QCoro::Task<QUrl> GoogleDriveUploader::startSession(
    QString name, QString parentID, std::optional<QString> existingID, qint64 size, QString mimeType)
{
    QUrl url = m_uploadBase;
    if (existingID)
        url.setPath(url.path() + QLatin1Char('/') + QString::fromLatin1(PercentEncoding::encode(*existingID)),
            QUrl::StrictMode);
    url = PercentEncoding::withQuery(url,
        { { QStringLiteral("uploadType"), QStringLiteral("resumable") },
            { QStringLiteral("fields"), QLatin1String(GoogleDriveClient::fields) } });
    QJsonObject metadata { { QStringLiteral("name"), name }, { QStringLiteral("mimeType"), mimeType } };
    if (!existingID)
        metadata.insert(QStringLiteral("parents"), QJsonArray { parentID });
    const QByteArray body = QJsonDocument(metadata).toJson(QJsonDocument::Compact);
    const QByteArray verb = existingID ? QByteArrayLiteral("PATCH") : QByteArrayLiteral("POST");
    try {
        auto first = startSessionOnce(url, verb, body, size, mimeType);
        QUrl session = co_await first;
        co_return session;
    } catch (const GoogleDriveError& error) {
        if (error.kind() != GoogleDriveError::Kind::auth || !m_tokenRefresh)
            throw;
    }
    auto refreshing = m_tokenRefresh();
    co_await refreshing;
    auto second = startSessionOnce(url, verb, body, size, mimeType);
    QUrl session = co_await second;
    co_return session;
}

QCoro::Task<QUrl> GoogleDriveUploader::startSessionOnce(
    QUrl url, QByteArray verb, QByteArray metadata, qint64 size, QString mimeType)
{
    auto providing = m_tokenProvider();
    const QString token = co_await providing;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    request.setRawHeader("Content-Type", "application/json; charset=utf-8");
    request.setRawHeader("X-Upload-Content-Type", mimeType.toUtf8());
    request.setRawHeader("X-Upload-Content-Length", QByteArray::number(size));
    const UploadExchange exchange { m_connections.get(), startTimeout, {}, {} };
    auto sending = exchange.send(request, verb, metadata);
    const UploadAnswer answer = co_await sending;
    if (answer.status == 0)
        throw GoogleDriveError::invalidResponse();
    QString message = GoogleDriveClient::errorMessage(answer.body);
    message.replace(token, QStringLiteral("[token]"));
    if (answer.status == 401)
        throw GoogleDriveError::auth(message);
    if (answer.status != 200 && answer.status != 201)
        throw GoogleDriveError::api(answer.status, message);
    const auto session = sessionUrlFrom(answer.location);
    if (!session)
        throw GoogleDriveError::invalidResponse();
    co_return *session;
}

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::uploadWhole(QFile* file, QString name, QString parentID,
    std::optional<QString> existingID, qint64 size, QString mimeType, UploadControl* controller,
    Progress onProgress)
{
    auto starting = startSession(name, parentID, existingID, size, mimeType);
    const QUrl session = co_await starting;
    QNetworkRequest request(session);
    request.setRawHeader("Content-Type", mimeType.toUtf8());
    request.setHeader(QNetworkRequest::ContentLengthHeader, size);
    UploadExchange exchange { m_connections.get(), chunkTimeout, onProgress, {} };
    if (controller)
        exchange.onStarted = [controller](std::shared_ptr<TransferTask> task) {
            controller->setCurrentTask(std::move(task));
        };
    auto sending = exchange.send(request, QByteArrayLiteral("PUT"), file);
    const UploadAnswer answer = co_await sending;
    if (answer.status != 200 && answer.status != 201)
        throw GoogleDriveError::api(answer.status == 0 ? -1 : answer.status, oneLine(answer.body));
    co_return GoogleDriveItem::decode(answer.body);
}

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::uploadResumable(QFile* file, qint64 size, QString mimeType,
    QString name, QString parentID, std::optional<QString> existingID, GoogleUploadResume resume,
    UploadControl* controller, Progress onProgress)
{
    GoogleResumeStore& store = *resume.store;
    std::optional<QUrl> session = sessionUrlFrom(resume.sessionURL);
    qint64 offset = 0;
    if (session) {
        std::optional<SessionStatus> status;
        try {
            auto asking = sessionStatus(*session, size);
            status = co_await asking;
        } catch (const GoogleDriveError& error) {
            if (error.kind() != GoogleDriveError::Kind::sessionExpired)
                throw;
        }
        if (status && status->item) {
            store.removeSession(resume.key);
            if (onProgress)
                onProgress(size);
            co_return *status->item;
        }
        if (status && status->nextOffset < size) {
            offset = status->nextOffset;
        } else {
            store.removeSession(resume.key);
            session.reset();
        }
    }
    if (!session) {
        auto starting = startSession(name, parentID, existingID, size, mimeType);
        session = co_await starting;
        store.storeSessionURL(session->toString(QUrl::FullyEncoded), resume.key, size, resume.modified);
    }
    try {
        auto sending = sendChunks(*session, file, size, mimeType, offset, controller, onProgress);
        GoogleDriveItem item = co_await sending;
        store.removeSession(resume.key);
        co_return item;
    } catch (const GoogleDriveError& error) {
        if (error.kind() != GoogleDriveError::Kind::sessionExpired)
            throw;
    }
    store.removeSession(resume.key);
    auto restarting = startSession(name, parentID, existingID, size, mimeType);
    const QUrl fresh = co_await restarting;
    store.storeSessionURL(fresh.toString(QUrl::FullyEncoded), resume.key, size, resume.modified);
    auto resending = sendChunks(fresh, file, size, mimeType, 0, controller, onProgress);
    GoogleDriveItem item = co_await resending;
    store.removeSession(resume.key);
    co_return item;
}

QCoro::Task<GoogleDriveUploader::SessionStatus> GoogleDriveUploader::sessionStatus(QUrl url, qint64 size)
{
    QNetworkRequest request(url);
    request.setRawHeader("Content-Range", "bytes */" + QByteArray::number(size));
    request.setHeader(QNetworkRequest::ContentLengthHeader, 0);
    const UploadExchange exchange { m_connections.get(), startTimeout, {}, {} };
    auto asking = exchange.send(request, QByteArrayLiteral("PUT"), QByteArray());
    const UploadAnswer answer = co_await asking;
    if (answer.status == 0)
        throw GoogleDriveError::invalidResponse();
    if (isSessionGone(answer.status))
        throw GoogleDriveError::sessionExpired();
    if (answer.status == 200 || answer.status == 201)
        co_return SessionStatus { usableItem(answer.body), size };
    if (answer.status == 308) {
        const qint64 next = std::clamp<qint64>(UploadRange::rangeEnd(answer.range).value_or(0), 0, size);
        co_return SessionStatus { std::nullopt, next };
    }
    throw GoogleDriveError::api(answer.status, GoogleDriveClient::errorMessage(answer.body));
}

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::sendChunks(QUrl sessionURL, QFile* file, qint64 size,
    QString mimeType, qint64 startOffset, UploadControl* controller, Progress onProgress)
{
    const QString noFinalAnswer = QStringLiteral("The upload ended without a Drive response.");
    if (startOffset >= size)
        throw GoogleDriveError::api(0, noFinalAnswer);
    qint64 offset = startOffset;
    int stalls = 0;
    for (;;) {
        if (controller) {
            if (controller->cancelled())
                throw GoogleDriveError::cancelled();
            if (controller->paused()) {
                auto waiting = controller->waitWhilePaused(*m_clock);
                co_await waiting;
                if (controller->cancelled())
                    throw GoogleDriveError::cancelled();
            }
        }
        if (!file->seek(offset))
            throw FileSystemError(QStringLiteral("The local file could not be read while uploading."));
        const QByteArray chunk = file->read(std::min(chunkSize, size - offset));
        if (chunk.isEmpty())
            throw GoogleDriveError::api(
                0, QStringLiteral("The local file could not be read while uploading."));
        const qint64 last = offset + chunk.size() - 1;
        QNetworkRequest request(sessionURL);
        request.setRawHeader("Content-Type", mimeType.toUtf8());
        request.setRawHeader("Content-Range",
            "bytes " + QByteArray::number(offset) + '-' + QByteArray::number(last) + '/'
                + QByteArray::number(size));
        UploadExchange exchange { m_connections.get(), chunkTimeout, {}, {} };
        if (onProgress)
            exchange.onSent = [onProgress, offset](qint64 sent) { onProgress(offset + sent); };
        // A cancel aborts the chunk under way rather than waiting for it to finish.
        if (controller)
            exchange.onStarted = [controller](std::shared_ptr<TransferTask> task) {
                controller->setCurrentTask(std::move(task));
            };
        UploadAnswer answer;
        try {
            auto sending = exchange.send(request, QByteArrayLiteral("PUT"), chunk);
            answer = co_await sending;
        } catch (const GoogleTransportError&) {
            // Between chunks a cancel ends the upload as cancelled; within one it must end the same way.
            if (controller && controller->cancelled())
                throw GoogleDriveError::cancelled();
            throw;
        }
        if (answer.status == 0)
            throw GoogleDriveError::invalidResponse();
        if (answer.status == 200 || answer.status == 201) {
            std::optional<GoogleDriveItem> item;
            try {
                item = GoogleDriveItem::decode(answer.body);
            } catch (const GoogleDecodingError&) {
                throw GoogleDriveError::invalidResponse();
            }
            if (onProgress)
                onProgress(size);
            co_return *item;
        }
        if (isSessionGone(answer.status))
            throw GoogleDriveError::sessionExpired();
        if (answer.status != 308)
            throw GoogleDriveError::api(answer.status, GoogleDriveClient::errorMessage(answer.body));
        const qint64 next = UploadRange::rangeEnd(answer.range).value_or(offset + chunk.size());
        if (offset < next) {
            stalls = 0;
        } else if (++stalls > toleratedStalls) {
            throw GoogleDriveError::api(
                308, QStringLiteral("Google Drive kept rejecting this upload position."));
        }
        if (next >= size)
            throw GoogleDriveError::api(0, noFinalAnswer);
        offset = next;
    }
}

} // namespace mv
