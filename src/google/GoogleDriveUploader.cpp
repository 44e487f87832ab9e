#include "google/GoogleDriveUploader.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleResumeStore.h"
#include "google/HttpExchange.h"
#include "google/PercentEncoding.h"
#include "google/ReadDigest.h"
#include "google/UploadConnections.h"
#include "google/UploadControl.h"
#include "google/UploadExchange.h"
#include "google/UploadRange.h"
#include "model/FileSystemError.h"
#include "platform/WorkerPool.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QtConcurrent/QtConcurrentRun>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <qcoro/qcorofuture.h>

namespace mv {

namespace {

constexpr char octetStream[] = "application/octet-stream";
constexpr qint64 hashOnWorkerFrom = 256 * 1024;

bool isSessionGone(int status)
{
    return status == 401 || status == 404 || status == 410;
}

// What says that a file was written to: its size and its change times, to the nanosecond.
struct FileFacts {
    qint64 size = 0;
    timespec modified {};
    timespec changed {};

    static FileFacts of(const struct stat& facts) { return { facts.st_size, facts.st_mtim, facts.st_ctim }; }
    bool operator==(const FileFacts& other) const
    {
        return size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec
            && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// Opened without following a link and without waiting on a FIFO; only a regular file is read.
std::unique_ptr<QFile> openRegularFile(const QString& path, FileFacts& opened)
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
    opened = FileFacts::of(facts);
    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw FileSystemError(QStringLiteral("The file “%1” could not be opened.").arg(path));
    }
    return file;
}

// Whether the open file is still as it was opened; a file that cannot be looked at counts as changed.
bool changedSince(const QFile& file, const FileFacts& opened)
{
    struct stat facts { };
    return ::fstat(file.handle(), &facts) != 0 || !(FileFacts::of(facts) == opened);
}

FileSystemError unreadable(const QString& path, const QString& cause)
{
    return FileSystemError(
        QStringLiteral("The file “%1” could not be read while it was being uploaded: %2.").arg(path, cause));
}

// Exactly `length` bytes at `offset`; a file now too short to hold them is a local failure, not Drive's.
QByteArray readPiece(QFile& file, const QString& path, qint64 offset, qint64 length)
{
    if (!file.seek(offset))
        throw unreadable(path, file.errorString());
    QByteArray bytes = file.read(length);
    if (file.error() != QFileDevice::NoError)
        throw unreadable(path, file.errorString());
    if (bytes.size() < length)
        throw unreadable(path, QStringLiteral("it became shorter than when its upload began"));
    return bytes;
}

// Adds the file's bytes from what the digest counted up to `end`; the cause when they cannot be read.
QString hashPrefix(int descriptor, ReadDigest& digest, qint64 end)
{
    QByteArray buffer(GoogleDriveUploader::chunkSize, Qt::Uninitialized);
    while (digest.counted() < end) {
        const qint64 from = digest.counted();
        const ssize_t count
            = ::pread(descriptor, buffer.data(), size_t(std::min(qint64(buffer.size()), end - from)), from);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        if (count == 0)
            return QStringLiteral("it became shorter than when its upload began");
        digest.add(from, QByteArrayView(buffer.constData(), count));
    }
    return {};
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

QCoro::Task<UploadedFile> GoogleDriveUploader::upload(QString filePath, QString name, QString parentID,
    std::optional<QString> existingID, std::optional<GoogleUploadResume> resume, UploadControl* controller,
    Progress onProgress)
{
    FileFacts opened;
    const std::unique_ptr<QFile> file = openRegularFile(filePath, opened);
    const qint64 size = opened.size;
    const QString mimeType = mimeTypeFor(QFileInfo(filePath).fileName());
    UploadedFile uploaded;
    if (resume && size >= 1) {
        const auto digest = std::make_shared<ReadDigest>();
        auto chunked = uploadResumable(file.get(), filePath, size, mimeType, name, parentID, existingID,
            *resume, controller, onProgress, digest);
        uploaded.item = co_await chunked;
        uploaded.readMD5 = digest->hex(size);
    } else {
        try {
            auto whole
                = uploadWhole(file.get(), name, parentID, existingID, size, mimeType, controller, onProgress);
            uploaded.item = co_await whole;
        } catch (const FileSystemError&) {
            // The stream ran dry before the length Drive was promised.
            throw unreadable(filePath,
                file->error() != QFileDevice::NoError
                    ? file->errorString()
                    : QStringLiteral("it became shorter than when its upload began"));
        }
    }
    uploaded.changedWhileSending = changedSince(*file, opened);
    co_return uploaded;
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

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::uploadResumable(QFile* file, QString path, qint64 size,
    QString mimeType, QString name, QString parentID, std::optional<QString> existingID,
    GoogleUploadResume resume, UploadControl* controller, Progress onProgress,
    std::shared_ptr<ReadDigest> digest)
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
    // A session is worth keeping only for an upload of more than one request: a file sent in one either
    // arrives or goes again whole.
    const bool keepSession = size > chunkSize;
    if (!session) {
        auto starting = startSession(name, parentID, existingID, size, mimeType);
        session = co_await starting;
        if (keepSession)
            store.storeSessionURL(session->toString(QUrl::FullyEncoded), resume.key, size, resume.modified);
    }
    try {
        auto sending
            = sendChunks(*session, file, path, size, mimeType, offset, controller, onProgress, digest);
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
    if (keepSession)
        store.storeSessionURL(fresh.toString(QUrl::FullyEncoded), resume.key, size, resume.modified);
    auto resending = sendChunks(fresh, file, path, size, mimeType, 0, controller, onProgress, digest);
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

QCoro::Task<GoogleDriveItem> GoogleDriveUploader::sendChunks(QUrl sessionURL, QFile* file, QString path,
    qint64 size, QString mimeType, qint64 startOffset, UploadControl* controller, Progress onProgress,
    std::shared_ptr<ReadDigest> digest)
{
    const QString noFinalAnswer = QStringLiteral("The upload ended without a Drive response.");
    if (startOffset >= size)
        throw GoogleDriveError::api(0, noFinalAnswer);
    if (digest->counted() < startOffset) {
        // What Drive already holds of a continued session is read once here, off the main thread, so that
        // the digest covers the whole file. The digest is left alone meanwhile: this task awaits it.
        auto catchingUp
            = QtConcurrent::run(&WorkerPool::instance(), [descriptor = file->handle(), digest, startOffset] {
                  return hashPrefix(descriptor, *digest, startOffset);
              });
        const QString failure = co_await catchingUp;
        if (!failure.isEmpty())
            throw unreadable(path, failure);
    }
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
        const QByteArray chunk = readPiece(*file, path, offset, std::min(chunkSize, size - offset));
        // A large piece is hashed on a worker while it goes out (here, about 1.5 ms a MiB would hold up the
        // sending) and is done before the next; a small one costs less here than the hand-over.
        std::optional<QFuture<void>> hashing;
        if (chunk.size() >= hashOnWorkerFrom)
            hashing = QtConcurrent::run(
                &WorkerPool::instance(), [digest, offset, chunk] { digest->add(offset, chunk); });
        else
            digest->add(offset, chunk);
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
        if (hashing)
            co_await *hashing;
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
