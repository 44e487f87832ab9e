#include "engine/PreflightService.h"

#include "engine/PlanBuilder.h"
#include "engine/RsyncSupport.h"
#include "engine/SSHCommand.h"
#include "model/DirectoryTools.h"
#include "model/EffectiveValues.h"
#include "model/Format.h"
#include "model/KeychainService.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"
#include "platform/Bookmark.h"
#include "platform/DescribedError.h"
#include "platform/WorkerPool.h"

#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

#include <sys/statvfs.h>

namespace mv::PreflightService {

namespace {

using CheckResult = std::expected<RunPlan, PreflightFailure>;

constexpr int ancestorTests = 12;
constexpr RsyncVersion minimumRsync { 3, 1, 0 };

std::unexpected<PreflightFailure> refuse(
    QString title, QString message, std::optional<QString> recovery, bool isTemporary, QString symbol)
{
    return std::unexpected(PreflightFailure(
        std::move(title), std::move(message), std::move(recovery), isTemporary, std::move(symbol)));
}

// The bookmarked folder when the bookmark still finds it (its access then counts as started), else the
// stored path.
QString resolve(
    const std::optional<QByteArray>& bookmark, const QString& storedPath, QStringList& startedAccess)
{
    if (bookmark) {
        if (const std::optional<QString> path = Bookmark::resolve(*bookmark)) {
            startedAccess << *path;
            return *path;
        }
    }
    return storedPath;
}

std::optional<PreflightFailure> checkSource(
    const BackupJob& job, const BackupDestination& destination, const QString& sourcePath)
{
    if (const std::optional<PathValidationError> error = PathValidation::validateSource(sourcePath))
        return PreflightFailure(QStringLiteral("Source unavailable"), error->message, error->recovery, true,
            QStringLiteral("folder.badge.questionmark"));

    const QString expectedVolume = job.source.volumeIdentity.value_or(QString());
    if (!expectedVolume.isEmpty()) {
        const std::optional<VolumeInfo> volume = VolumeInspector::volume(sourcePath);
        if (volume && volume->identity != expectedVolume)
            return PreflightFailure(QStringLiteral("The source drive changed"),
                QStringLiteral("A different volume is mounted at %1.").arg(job.source.path),
                QStringLiteral("Reconnect the original drive. Nothing was read or written."), true,
                QStringLiteral("externaldrive.badge.exclamationmark"));
    }

    if (effectiveMode(job, destination) == BackupMode::mirror
        && !DirectoryTools::containsIncludedItem(
            PathValidation::normalize(sourcePath), job.options.exclusionPatterns()))
        return PreflightFailure(QStringLiteral("Mirror stopped: nothing would be copied"),
            QStringLiteral("The source has no items after exclusions. Mirror would delete every file at the "
                           "destination."),
            QStringLiteral("Nothing was changed. Check that the source drive is mounted, then review the "
                           "exclusion rules."),
            false, QStringLiteral("shield.lefthalf.filled"));
    return std::nullopt;
}

std::expected<QString, PreflightFailure> checkRsync(const AppSettings& settings)
{
    const std::optional<QString> executable = PlanBuilder::resolveRsyncExecutable(settings);
    if (!executable)
        return refuse(QStringLiteral("rsync not found"),
            QStringLiteral("Marrowvale needs rsync 3 to run a backup."),
            QStringLiteral("Install it with your package manager, or choose an executable in "
                           "Settings → Advanced."),
            false, QStringLiteral("terminal"));
    const std::optional<RsyncVersion> version = RsyncSupport::detectCached(*executable);
    if (!version)
        return refuse(QStringLiteral("rsync did not respond"),
            *executable + QStringLiteral(" could not be started."),
            QStringLiteral("Choose a working rsync in Settings → Advanced."), false,
            QStringLiteral("terminal"));
    if (*version < minimumRsync)
        return refuse(QStringLiteral("This rsync is too old"),
            QStringLiteral("%1 reports version %2. Marrowvale needs rsync 3.1 or later for live progress.")
                .arg(*executable, version->description()),
            QStringLiteral("Install a current rsync with your package manager, or choose another "
                           "executable in Settings → Advanced."),
            false, QStringLiteral("terminal"));
    return *executable;
}

// The free bytes of the volume holding `existingPath`. A volume reports none when it has none left, which
// is the fullest case, not an unknown one; but one that reports no size at all (an unlimited tmpfs, some
// FUSE and network file systems) says nothing about its space.
std::optional<qint64> freeBytes(const VolumeInfo& volume, const QString& existingPath)
{
    if (volume.availableBytes)
        return std::max<qint64>(0, *volume.availableBytes);
    struct statvfs usage { };
    if (::statvfs(QFile::encodeName(existingPath).constData(), &usage) != 0 || usage.f_blocks == 0)
        return std::nullopt;
    return 0;
}

std::optional<PreflightFailure> checkVolume(const BackupDestination& destination, const QString& path)
{
    const QString existing = nearestExistingAncestor(path).value_or(path);
    const std::optional<VolumeInfo> volume = VolumeInspector::volume(existing);
    if (!volume)
        return std::nullopt;
    const QString expectedVolume = destination.volumeIdentity.value_or(QString());
    if (!expectedVolume.isEmpty() && expectedVolume != volume->identity)
        return PreflightFailure(QStringLiteral("A different volume is mounted"),
            QStringLiteral("%1 expects %2. The mounted volume is %3.")
                .arg(destination.name, destination.volumeName.value_or(QStringLiteral("the original volume")),
                    volume->name),
            QStringLiteral("Nothing was written. Reconnect the right drive or share."), true,
            QStringLiteral("externaldrive.badge.xmark"));
    if (volume->isReadOnly)
        return PreflightFailure(QStringLiteral("Destination is read only"),
            QStringLiteral("The volume at %1 is mounted read only.").arg(path), std::nullopt, true,
            QStringLiteral("lock.fill"));
    const std::optional<qint64> available = freeBytes(*volume, existing);
    if (available && *available < minimumFreeBytes)
        return PreflightFailure(QStringLiteral("Destination is nearly full"),
            QStringLiteral("Only %1 is free at %2.").arg(Format::bytes(*available), path),
            QStringLiteral("Free some space or choose another destination. Nothing was written."), true,
            QStringLiteral("externaldrive.badge.exclamationmark"));
    return std::nullopt;
}

PreflightFailure cannotRun(const PathValidationError& error)
{
    return PreflightFailure(QStringLiteral("This backup cannot run"), error.message, error.recovery);
}

// Creates a missing destination folder only inside a folder that exists, so a drive that is not mounted is
// never replaced by a local folder at its mount point.
std::optional<PreflightFailure> checkFolder(
    const BackupDestination& destination, const QString& sourcePath, const QString& path)
{
    // Refused here rather than by the plan, so no folder is made inside the source before the refusal.
    if (const std::optional<PathValidationError> error
        = PathValidation::validateLocalDestination(sourcePath, path))
        return cannotRun(*error);
    if (QFileInfo::exists(path))
        return std::nullopt;
    if (!QFileInfo(QFileInfo(path).path()).isDir())
        return PreflightFailure(QStringLiteral("Destination offline"),
            QStringLiteral("%1 is not available at %2.").arg(destination.name, path),
            QStringLiteral("Reconnect the drive or share. Marrowvale did not create a replacement folder."),
            true, QStringLiteral("externaldrive.badge.xmark"));
    std::optional<QString> creationError;
    try {
        DirectoryTools::createDirectoryIfNeeded(path);
    } catch (const DescribedError& error) {
        creationError = error.description();
    }
    if (creationError)
        return PreflightFailure(QStringLiteral("Destination cannot be created"), *creationError, std::nullopt,
            false, QStringLiteral("folder.badge.xmark"));
    return std::nullopt;
}

CheckResult buildPlan(const BackupJob& job, const BackupDestination& destination, const AppSettings& settings,
    const QDateTime& now, const QString& sourcePath, const std::optional<QString>& destinationPath,
    bool usesStoredPassphrase)
{
    try {
        return PlanBuilder::build(
            job, destination, settings, now, sourcePath, destinationPath, usesStoredPassphrase);
    } catch (const PathValidationError& error) {
        return std::unexpected(cannotRun(error));
    } catch (const std::exception&) {
        return std::unexpected(cannotRun(PathValidationError(describeError(std::current_exception()))));
    }
}

// Everything up to the plan: the blocking checks, on a worker thread. SSH destinations still need the
// server's answer afterwards.
CheckResult prepare(const BackupJob& job, const BackupDestination& destination, const AppSettings& settings,
    const QDateTime& now)
{
    QStringList startedAccess;
    const QString sourcePath = resolve(job.source.bookmark, job.source.path, startedAccess);
    // Whatever stands at the stored path now (an empty mount point, another drive) would be mirrored, and
    // everything it lacks deleted at the destination.
    if (job.source.bookmark && startedAccess.isEmpty()
        && effectiveMode(job, destination) == BackupMode::mirror)
        return refuse(QStringLiteral("Source folder changed"),
            QStringLiteral("%1 is not the folder that was chosen for this backup: another folder or drive is "
                           "there now. Mirror would delete files at the destination, so nothing was changed.")
                .arg(job.source.path),
            QStringLiteral("Reconnect the drive, or choose the source folder again in the job editor."), true,
            QStringLiteral("folder.badge.questionmark"));
    if (std::optional<PreflightFailure> failure = checkSource(job, destination, sourcePath))
        return std::unexpected(std::move(*failure));
    const std::expected<QString, PreflightFailure> executable = checkRsync(settings);
    if (!executable)
        return std::unexpected(executable.error());

    std::optional<QString> destinationPath;
    if (destination.kind != DestinationKind::ssh) {
        destinationPath = resolve(destination.bookmark, destination.path, startedAccess);
        const QString path = PathValidation::normalize(*destinationPath);
        if (path.isEmpty())
            return refuse(QStringLiteral("Destination not set"),
                QStringLiteral("Choose a destination folder for %1.").arg(destination.name), std::nullopt,
                false, QStringLiteral("externaldrive"));
        std::optional<PreflightFailure> failure = checkVolume(destination, path);
        if (!failure)
            failure = checkFolder(destination, PathValidation::normalize(sourcePath), path);
        if (!failure)
            failure = writeTest(path);
        if (failure)
            return std::unexpected(std::move(*failure));
    }

    // The keyring is asked once for the attempt, here off the main thread; the plan's ssh options, its
    // askpass variables and the server checks all follow this answer.
    const bool usesStoredPassphrase
        = destination.kind == DestinationKind::ssh && KeychainService::passphrase(destination.id).has_value();
    CheckResult plan
        = buildPlan(job, destination, settings, now, sourcePath, destinationPath, usesStoredPassphrase);
    if (!plan)
        return plan;
    // The plan's ssh asks the askpass program for a stored passphrase, which must find the keyring.
    if (usesStoredPassphrase)
        plan->environment.insert(SSHCommand::askpassEnvironment(destination.id));
    return plan;
}

} // namespace

std::optional<QString> nearestExistingAncestor(const QString& path)
{
    QString current = path;
    for (int tested = 0; tested < ancestorTests; ++tested) {
        if (QFileInfo::exists(current))
            return current;
        const QString parent = QFileInfo(current).path();
        if (parent == current)
            return std::nullopt;
        current = parent;
    }
    return std::nullopt;
}

std::optional<PreflightFailure> writeTest(const QString& folder)
{
    const QString path = folder + u'/' + QLatin1String(writeTestFileName);
    // Written and removed at once: whether the folder takes a file is the question, not whether the disk
    // keeps it, so nothing waits for the data to reach the disk. A leftover of an earlier test goes first.
    QFile::remove(path);
    QFile file(path);
    const QByteArray probe = "probe";
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && file.write(probe) == probe.size() && file.flush();
    file.close();
    if (written) {
        QFile::remove(path);
        return std::nullopt;
    }
    return PreflightFailure(QStringLiteral("Destination is not writable"),
        QStringLiteral("The file “%1” could not be written: %2.").arg(path, file.errorString()),
        QStringLiteral("Choose another folder, or change permissions for %1 in your file manager.")
            .arg(folder),
        false, QStringLiteral("lock"));
}

QCoro::Task<std::expected<RunPlan, PreflightFailure>> check(
    BackupJob job, BackupDestination destination, AppSettings settings, QDateTime now)
{
    QFuture<CheckResult> preparing
        = QtConcurrent::run(&WorkerPool::instance(), prepare, job, destination, settings, now);
    CheckResult prepared = co_await preparing;
    if (!prepared || destination.kind != DestinationKind::ssh)
        co_return prepared;

    QCoro::Task<SSHCommand::ProbeResult> probing
        = SSHCommand::probe(destination, SSHCommand::probeTimeout, prepared->usesStoredPassphrase);
    const SSHCommand::ProbeResult probe = co_await probing;
    if (!probe.connected)
        co_return refuse(QStringLiteral("Cannot reach %1").arg(destination.name), probe.message,
            QStringLiteral("Check the host, the SSH key and that the host key is already in "
                           "known_hosts. Host key checking is never disabled."),
            true, QStringLiteral("network.slash"));
    if (!probe.folderExists) {
        QCoro::Task<SSHCommand::FolderCreation> creating
            = SSHCommand::createFolder(destination, prepared->usesStoredPassphrase);
        const SSHCommand::FolderCreation creation = co_await creating;
        // "mkdir -p" also succeeds on a folder that exists but cannot be written: only a second probe tells.
        bool ready = false;
        if (creation.created) {
            QCoro::Task<SSHCommand::ProbeResult> reprobing
                = SSHCommand::probe(destination, SSHCommand::probeTimeout, prepared->usesStoredPassphrase);
            ready = (co_await reprobing).writable;
        }
        if (!ready)
            co_return refuse(QStringLiteral("Remote folder is not ready"),
                creation.created || creation.output.isEmpty()
                    ? QStringLiteral("The folder %1 is missing or not writable.").arg(destination.path)
                    : creation.output,
                QStringLiteral("Create the folder on the server, or choose one that exists."), false,
                QStringLiteral("folder.badge.questionmark"));
    }
    prepared->environment.insert(QString::fromLatin1(KeychainService::askpassDestinationVariable),
        KeychainService::account(destination.id));
    co_return prepared;
}

} // namespace mv::PreflightService
