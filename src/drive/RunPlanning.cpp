#include "drive/RunPlanning.h"

#include "drive/SourceScan.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleDriveError.h"
#include "model/DirectoryTools.h"
#include "model/EffectiveValues.h"
#include "model/Format.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"
#include "platform/Bookmark.h"
#include "platform/DescribedError.h"
#include "platform/SystemLog.h"
#include "platform/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

namespace mv::GoogleDriveEngine {

namespace {

using PlanResult = std::expected<GoogleDrivePlan, PreflightFailure>;

std::unexpected<PreflightFailure> refuse(
    QString title, QString message, std::optional<QString> recovery, bool isTemporary, const char* symbol)
{
    return std::unexpected(PreflightFailure(
        std::move(title), std::move(message), std::move(recovery), isTemporary, QString::fromLatin1(symbol)));
}

struct CheckedSource {
    QString path;
    std::optional<QString> scopedURL;
    std::optional<PreflightFailure> failure;
};

// The source checks, which read the file system: its path (the bookmarked folder while the bookmark still
// finds it), that it can be read, that it is still on the volume it was chosen on, and for a mirror that
// something in it survives the exclusions.
CheckedSource checkSource(const BackupJob& job, BackupMode mode)
{
    CheckedSource source { job.source.path, std::nullopt, std::nullopt };
    if (job.source.bookmark) {
        if (const std::optional<QString> resolved = Bookmark::resolve(*job.source.bookmark)) {
            source.path = *resolved;
            source.scopedURL = *resolved;
        }
    }
    if (const std::optional<PathValidationError> error = PathValidation::validateSource(source.path)) {
        source.failure = PreflightFailure(QStringLiteral("Source unavailable"), error->message,
            error->recovery, true, QStringLiteral("folder.badge.questionmark"));
        return source;
    }
    const QString expectedVolume = job.source.volumeIdentity.value_or(QString());
    if (!expectedVolume.isEmpty()) {
        const std::optional<VolumeInfo> volume = VolumeInspector::volume(source.path);
        if (volume && volume->identity != expectedVolume) {
            source.failure = PreflightFailure(QStringLiteral("The source drive changed"),
                QStringLiteral("A different volume is mounted at %1.").arg(job.source.path),
                QStringLiteral("Reconnect the original drive. Nothing was read or written."), true,
                QStringLiteral("externaldrive.badge.exclamationmark"));
            return source;
        }
    }
    if (mode == BackupMode::mirror
        && !DirectoryTools::containsIncludedItem(
            PathValidation::normalize(source.path), job.options.exclusionPatterns()))
        source.failure = PreflightFailure(QStringLiteral("Mirror stopped: nothing would be copied"),
            QStringLiteral(
                "The source has no items after exclusions. Mirror would remove every Drive file in "
                "this folder."),
            QStringLiteral("Nothing was changed. Check the source drive, then review the exclusions."), false,
            QStringLiteral("shield.lefthalf.filled"));
    return source;
}

bool isUsableFolder(const GoogleDriveItem& item)
{
    return item.mimeType == QLatin1String(GoogleDriveItem::folderMimeType) && !item.trashed.value_or(false);
}

// The destination folder: the stored one while it is still a folder outside the trash, else the folder of
// that name in the application folder, found or created. Only a stored folder that is gone (404) or no longer
// a usable folder is replaced; any other failure to read it is thrown, since a folder made by name would
// split the backup in two.
QCoro::Task<QString> destinationFolder(
    GoogleDriveClient& client, const BackupDestination& destination, QString folderName, QString parentID)
{
    if (destination.googleFolderID) {
        std::optional<GoogleDriveItem> stored;
        try {
            auto reading = client.folder(*destination.googleFolderID);
            stored = co_await reading;
        } catch (const GoogleDriveError& error) {
            if (error.kind() != GoogleDriveError::Kind::api || error.status() != 404)
                throw;
        }
        if (stored && isUsableFolder(*stored))
            co_return stored->id;
    }
    auto ensuring = client.ensureFolder(folderName, parentID);
    const GoogleDriveItem created = co_await ensuring;
    co_return created.id;
}

// The full-storage failure, or none. An unknown limit (unlimited storage) or a failed request passes; only
// the room left counts, not the size of the planned files.
QCoro::Task<std::optional<PreflightFailure>> checkQuota(GoogleDriveClient& client, SystemLog& log)
{
    GoogleQuotaBytes quota;
    try {
        auto asking = client.quota();
        quota = co_await asking;
    } catch (...) {
        log.write(QStringLiteral("Google Drive quota check skipped: %1")
                      .arg(describeError(std::current_exception())));
        co_return std::nullopt;
    }
    if (!quota.limit || *quota.limit < 1)
        co_return std::nullopt;
    const qint64 usage = quota.usage.value_or(0);
    // Written so that no usage the server may send can overflow.
    if (usage <= *quota.limit - quotaReserve)
        co_return std::nullopt;
    co_return PreflightFailure(QStringLiteral("Google Drive is nearly full"),
        QStringLiteral("The account uses %1 of %2.")
            .arg(Format::bytes(std::max<qint64>(usage, 0)), Format::bytes(*quota.limit)),
        QStringLiteral("Free Drive space or choose another account. Nothing was uploaded."), false,
        QStringLiteral("externaldrive.badge.exclamationmark"));
}

QCoro::Task<ScanResult> scanOnWorker(QString path, TransferOptions options)
{
    auto scanning = QtConcurrent::run(
        &WorkerPool::instance(), [path, options]() -> std::expected<ScanResult, std::exception_ptr> {
            try {
                return scanSource(path, options);
            } catch (...) {
                return std::unexpected(std::current_exception());
            }
        });
    std::expected<ScanResult, std::exception_ptr> scanned = co_await scanning;
    if (!scanned)
        std::rethrow_exception(scanned.error());
    co_return std::move(*scanned);
}

} // namespace

QCoro::Task<PlanResult> makePlan(BackupJob job, BackupDestination destination, PlanningServices services)
{
    GoogleAuthManager& auth = services.auth;
    if (!auth.isConfigured())
        co_return refuse(QStringLiteral("Google Drive is not configured"),
            QStringLiteral("Import the OAuth client JSON and sign in with Google first."),
            QStringLiteral("Open Settings → Google Drive."), false, "cloud");
    bool signedIn = auth.account().has_value();
    if (signedIn) {
        auto reading = services.credentials.read(GoogleCredentialStore::refreshToken);
        const std::optional<QString> refreshToken = co_await reading;
        signedIn = refreshToken && !refreshToken->isEmpty();
    }
    if (!signedIn)
        co_return refuse(QStringLiteral("Sign in to Google Drive"),
            QStringLiteral("This destination needs a Google account."),
            QStringLiteral("Open Settings → Google Drive and click Sign in with Google."), false,
            "person.crop.circle.badge.questionmark");

    const BackupMode mode = effectiveMode(job, destination);
    if (mode == BackupMode::versioned)
        co_return refuse(QStringLiteral("Versioned mode is not available on Google Drive"),
            QStringLiteral("Google Drive has no hard links, so snapshots would use full space."),
            QStringLiteral("Use Incremental copy or Mirror for this destination."), false,
            "clock.badge.exclamationmark");

    auto checking
        = QtConcurrent::run(&WorkerPool::instance(), [job, mode] { return checkSource(job, mode); });
    const CheckedSource source = co_await checking;
    if (source.failure)
        co_return std::unexpected(*source.failure);

    const QString folderName
        = destination.googleFolderName.isEmpty() ? destination.name : destination.googleFolderName;
    GoogleDriveClient::TokenProvider tokenProvider = GoogleDriveClient::accountTokens(auth);
    GoogleDriveClient::TokenRefresh tokenRefresh = GoogleDriveClient::accountTokenRefresh(auth);
    GoogleDriveClient client = services.connection.client(tokenProvider, tokenRefresh);

    QString folderID;
    ScanResult scan;
    try {
        auto ensuring
            = client.ensureFolder(QString::fromLatin1(applicationFolderName), QStringLiteral("root"));
        const GoogleDriveItem application = co_await ensuring;
        auto finding = destinationFolder(client, destination, folderName, application.id);
        folderID = co_await finding;
        auto checkingQuota = checkQuota(client, services.log);
        if (std::optional<PreflightFailure> full = co_await checkingQuota)
            co_return std::unexpected(std::move(*full));
        auto scanning = scanOnWorker(source.path, job.options);
        scan = co_await scanning;
    } catch (...) {
        const QString description = describeError(std::current_exception());
        services.log.write(QStringLiteral("Google Drive plan failed: %1").arg(description));
        co_return refuse(QStringLiteral("Google Drive is unavailable"), description,
            QStringLiteral("Check the connection and sign in again. Nothing was changed."), true, "cloud");
    }

    GoogleDrivePlan plan;
    plan.jobID = job.id;
    plan.jobName = job.name;
    plan.destinationID = destination.id;
    plan.destinationName = destination.name;
    plan.mode = mode;
    plan.sourcePath = source.path;
    plan.account = auth.account().value_or(QStringLiteral("Google account"));
    plan.folderID = folderID;
    plan.folderName = folderName;
    plan.files = std::move(scan.files);
    plan.directories = std::move(scan.directories);
    plan.totalBytes = scan.totalBytes;
    plan.warnings = std::move(scan.warnings);
    plan.unreadable = std::move(scan.unreadable);
    plan.tokenProvider = std::move(tokenProvider);
    plan.tokenRefresh = std::move(tokenRefresh);
    plan.scopedURL = source.scopedURL;
    co_return plan;
}

} // namespace mv::GoogleDriveEngine
