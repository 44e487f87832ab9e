#include "engine/RestoreService.h"

#include "engine/LogPath.h"
#include "engine/PlanBuilder.h"
#include "engine/PreviewCollector.h"
#include "engine/RsyncOutputParser.h"
#include "engine/RsyncProcessController.h"
#include "engine/RsyncRunError.h"
#include "engine/RunPlan.h"
#include "model/AppSettings.h"
#include "model/PathValidation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <memory>
#include <system_error>

#include <sys/stat.h>

namespace mv::RestoreService {
namespace {

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

QString withTrailingSlash(const QString& path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

QString join(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// Canonical like PathValidation::normalize, except that a link in the last place is kept as itself:
// a link in the backup is restored as the link it is, under its own name, and a link at the target is
// replaced rather than written through.
QString normalizeKeepingName(const QString& path)
{
    const QFileInfo entry(QDir::cleanPath(path.trimmed()));
    const QString name = entry.fileName();
    if (name.isEmpty() || name == u"." || name == u".." || name == u"~")
        return PathValidation::normalize(path);
    return join(PathValidation::normalize(entry.path()), name);
}

// The kind of whatever is at `path` itself (S_IFDIR, S_IFLNK, ...; a link is not followed); none when
// nothing is there.
std::optional<mode_t> entryKind(const QString& path)
{
    struct stat status { };
    if (lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status.st_mode & S_IFMT;
}

QString lastComponent(const QString& path)
{
    return QFileInfo(QDir::cleanPath(path)).fileName();
}
QString parentFolder(const QString& path)
{
    return QFileInfo(QDir::cleanPath(path)).path();
}

// Whether `name`, as the dry run reported it relative to `folder`, would replace something
// already there. A folder reported over a folder only has its attributes set.
bool wouldReplace(const QString& folder, const QString& name)
{
    const bool reportedAsFolder = name.endsWith(u'/');
    const std::optional<mode_t> kind = entryKind(join(folder, reportedAsFolder ? name.chopped(1) : name));
    return kind && !(reportedAsFolder && *kind == S_IFDIR);
}

RunPlan dryRunPlan(const RestorePlan& plan, const RestoreItem& item)
{
    RunPlan dryRun;
    dryRun.jobID = QUuid::createUuid();
    dryRun.jobName = QStringLiteral("Restore preview");
    dryRun.destinationID = QUuid::createUuid();
    dryRun.destinationName = QStringLiteral("Preview");
    dryRun.sourcePath = item.sourcePath;
    dryRun.mode = BackupMode::incremental;
    dryRun.executable = plan.executable;
    dryRun.arguments = QStringList { QStringLiteral("--dry-run"), QStringLiteral("--itemize-changes") }
        + arguments(item, true);
    dryRun.environment = plan.environment;
    dryRun.targetPath = item.receivingFolder();
    dryRun.destinationKind = DestinationKind::local;
    dryRun.retention = 1;
    dryRun.sshPort = 22;
    return dryRun;
}

} // namespace

std::expected<RestorePlan, PreflightFailure> makePlan(
    const RestoreRequest& request, const AppSettings& settings)
{
    if (request.items.isEmpty())
        return std::unexpected(PreflightFailure(
            QStringLiteral("Nothing selected"), QStringLiteral("Choose a file or folder from the backup.")));
    const std::optional<QString> executable = PlanBuilder::resolveRsyncExecutable(settings);
    if (!executable)
        return std::unexpected(PreflightFailure(QStringLiteral("rsync not found"),
            QStringLiteral("Marrowvale needs rsync to restore files."),
            QStringLiteral(
                "Install rsync with your package manager, or choose an executable in Settings → Advanced.")));
    const QString root = PathValidation::normalize(request.rootPath);
    if (root.isEmpty() || !QFileInfo::exists(root))
        return std::unexpected(PreflightFailure(QStringLiteral("The backup folder is unavailable"),
            request.rootPath + QStringLiteral(" is not mounted or was moved."),
            QStringLiteral("Reconnect the destination, then try again."), true,
            QStringLiteral("externaldrive.badge.xmark")));

    RestorePlan plan { request, {}, *executable, PlanBuilder::childEnvironment() };
    const QString rootAsGiven = normalizeKeepingName(request.rootPath);
    for (const QString& selected : request.items) {
        QString sourcePath = normalizeKeepingName(selected);
        // The backup folder itself, also when the way to it ends in a link: it is restored, not the link.
        if (sourcePath == rootAsGiven)
            sourcePath = root;
        if (!isInside(sourcePath, root))
            return std::unexpected(PreflightFailure(QStringLiteral("Restore item is outside the backup"),
                selected + QStringLiteral(" is not inside ") + root + u'.'));
        const bool isRoot = sourcePath == root;
        const QString relativeName
            = isRoot ? lastComponent(request.sourcePath) : sourcePath.mid(withTrailingSlash(root).size());
        QString base = request.targetBase;
        if (request.useOriginalLocations)
            base = isRoot ? parentFolder(request.sourcePath) : request.sourcePath;

        RestoreItem item;
        item.sourcePath = sourcePath;
        item.targetPath = normalizeKeepingName(base + u'/' + relativeName);
        item.targetParent = parentFolder(item.targetPath);
        item.restoresContents = isRoot;
        item.baseFolder = PathValidation::normalize(base);

        const std::optional<mode_t> kind = entryKind(sourcePath);
        if (!kind)
            return std::unexpected(PreflightFailure(QStringLiteral("A selected item has moved"),
                sourcePath + QStringLiteral(" is no longer there."), {}, true));
        item.isDirectory = *kind == S_IFDIR;
        if (isInside(item.targetPath, root))
            return std::unexpected(PreflightFailure(QStringLiteral("Restore target is inside the backup"),
                QStringLiteral(
                    "Choose a different restore location. Writing inside the backup would corrupt it."),
                {}, false, QStringLiteral("arrow.uturn.backward.circle.badge.xmark")));
        // Without a folder to go back to (an empty chosen folder, or a job with no source folder) the items
        // would land at the top of the disk or in the program's working folder.
        const QString destinationFolder
            = request.useOriginalLocations ? request.sourcePath : request.targetBase;
        if (PathValidation::normalize(destinationFolder).isEmpty()
            || (!request.useOriginalLocations && PathValidation::overlaps(item.targetPath, request.targetBase)
                && item.targetPath == request.targetBase))
            return std::unexpected(PreflightFailure(QStringLiteral("Restore target is not valid"),
                QStringLiteral("Choose a folder for the restored items.")));
        plan.items.append(item);
    }
    return plan;
}

QStringList arguments(const RestoreItem& item, bool overwriteExisting)
{
    QStringList result { QStringLiteral("--recursive"), QStringLiteral("--times"), QStringLiteral("--perms"),
        QStringLiteral("--links"), QStringLiteral("--xattrs"), RsyncOutputParser::humanReadableOption,
        QStringLiteral("--partial"), QStringLiteral("--protect-args"), RsyncOutputParser::progressOption,
        RsyncOutputParser::nameLineOption,
        // What an interrupted backup left in its partial folders is not the user's.
        QStringLiteral("--exclude=") + QLatin1String(PlanBuilder::partialFolderName) + u'/' };
    if (!overwriteExisting)
        result.append(QStringLiteral("--ignore-existing"));
    // A trailing "/" on the source copies a folder's contents instead of the folder under its own name.
    result.append(item.restoresContents ? withTrailingSlash(item.sourcePath) : item.sourcePath);
    result.append(withTrailingSlash(item.receivingFolder()));
    return result;
}

std::optional<PathValidationError> createTargetFolders(const RestoreItem& item)
{
    const QString base = item.baseFolder;
    if (base.isEmpty() || !QFileInfo(base).isDir())
        return PathValidationError(QStringLiteral("The folder %1 is not available.").arg(base),
            QStringLiteral("Reconnect its drive or choose another folder. Nothing was restored into it."));
    const QString receiving = item.receivingFolder();
    if (!isInside(receiving, base))
        return PathValidationError(QStringLiteral("%1 is not inside %2.").arg(receiving, base));
    QString path = base;
    for (const QString& name : receiving.mid(base.size()).split(u'/', Qt::SkipEmptyParts)) {
        path = join(path, name);
        const QFileInfo folder(path);
        if (folder.isDir())
            continue;
        if (folder.exists() || folder.isSymLink())
            return PathValidationError(
                QStringLiteral("%1 is a file, so nothing can be restored into it.").arg(path));
        if (mkdir(QFile::encodeName(path).constData(), 0777) != 0)
            return PathValidationError(
                QStringLiteral("The folder %1 could not be created: %2.")
                    .arg(path, QString::fromStdString(std::generic_category().message(errno))));
    }
    return std::nullopt;
}

QCoro::Task<QStringList> scanConflicts(RestorePlan plan)
{
    RsyncProcessController controller;
    QStringList names;
    std::optional<QString> incomplete;
    for (const RestoreItem& item : plan.items) {
        const auto collector = std::make_shared<PreviewCollector>();
        const QString receiving = item.receivingFolder();
        const auto onEvent = [collector, receiving](const RsyncEvent& event) {
            const std::optional<QString>& reported
                = event.transferredName ? event.transferredName : event.deletion;
            if (!reported)
                return;
            if (wouldReplace(receiving, *reported))
                collector->append(*reported);
        };
        const QString logPath = LogPath::prepare(QStringLiteral("restore-preview-"));
        std::optional<QString> problem;
        auto running = controller.tryRun(dryRunPlan(plan, item), logPath, onEvent);
        const auto outcome = co_await running;
        if (!outcome)
            problem = outcome.error().description();
        else if (outcome->exitCode != 0 && outcome->exitCode != 24)
            problem = outcome->firstError();
        names += collector->deletions();
        QFile::remove(logPath);
        if (problem && !incomplete)
            incomplete = problem;
    }
    if (incomplete)
        names.append(QStringLiteral("The check for files that would be replaced could not be completed: %1")
                         .arg(*incomplete));
    co_return names;
}

} // namespace mv::RestoreService
