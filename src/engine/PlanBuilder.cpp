#include "engine/PlanBuilder.h"

#include "engine/RsyncOutputParser.h"
#include "engine/SSHCommand.h"
#include "engine/VersionedStore.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/DirectoryTools.h"
#include "model/EffectiveValues.h"
#include "model/PathValidation.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>

#include <sys/stat.h>
#include <unistd.h>

namespace mv::PlanBuilder {

namespace {

// rsync reads an --exclude value that starts with "+ ", "- " or "!" as a filter rule: "+ *" would include
// everything and "!" clear the list, and a mirror would then delete what the user excluded. Such a pattern
// gets the exclude rule's own prefix, after which rsync takes the rest literally.
QString exclusionArgument(const QString& pattern)
{
    const bool readAsRule
        = pattern.startsWith(u"+ ") || pattern.startsWith(u"- ") || pattern.startsWith(u'!');
    return (readAsRule ? QStringLiteral("--exclude=- ") : QStringLiteral("--exclude=")) + pattern;
}

const std::array<QLatin1String, 3> rsyncCandidates { QLatin1String("/usr/local/bin/rsync"),
    QLatin1String("/usr/bin/rsync"), QLatin1String("/bin/rsync") };

// The options every transfer passes, after the metadata options.
// rsync writes each file as a temporary beside it, which a kill leaves among the user's files for a mirror
// preview to count; in the partial folder, which rsync keeps out of every listing and deletion, a left
// temporary is harmless.
const QStringList fixedArguments { RsyncOutputParser::humanReadableOption, QStringLiteral("--outbuf=L"),
    QStringLiteral("--stats"), QStringLiteral("--partial"),
    QStringLiteral("--partial-dir=") + QLatin1String(partialFolderName),
    QStringLiteral("--temp-dir=") + QLatin1String(partialFolderName), QStringLiteral("--protect-args"),
    RsyncOutputParser::progressOption, RsyncOutputParser::nameLineOption };

void throwIf(const std::optional<PathValidationError>& error)
{
    if (error)
        throw *error;
}

// rsync splits "-e" at blanks: a word holding a blank or a quote is single-quoted, its quotes doubled.
QString quotedForRsync(const QString& word)
{
    if (!word.contains(u' ') && !word.contains(u'\'') && !word.contains(u'"'))
        return word;
    return u'\'' + QString(word).replace(u'\'', QStringLiteral("''")) + u'\'';
}

// The host as rsync's target needs it: an IPv6 address in square brackets, which rsync removes again
// before it starts ssh.
QString targetHost(const QString& host)
{
    QString bare = host.trimmed();
    if (bare.startsWith(u'[') && bare.endsWith(u']'))
        bare = bare.sliced(1, bare.size() - 2);
    return bare.contains(u':') ? u'[' + bare + u']' : bare;
}

// With --protect-args the remote side does not expand "~", so a path in the home folder is written
// relative to it, which is where the remote side starts.
QString targetRemotePath(const QString& path)
{
    if (path == u'~')
        return QStringLiteral(".");
    if (path.startsWith(QLatin1String("~/")))
        return path.sliced(2);
    return path;
}

// rsync refuses to start when its temporary folder is missing, and on a server only the remote shell can
// make it: the command that starts the remote rsync makes the folder first.
QString remoteRsyncCommand(const QString& targetPath)
{
    QString folder = targetRemotePath(targetPath) + u'/' + QLatin1String(partialFolderName);
    return QStringLiteral("mkdir -p -- '%1' && rsync").arg(folder.replace(u'\'', QStringLiteral("'\\''")));
}

} // namespace

QMap<QString, QString> childEnvironment()
{
    return { { QStringLiteral("LC_ALL"), QStringLiteral("C") },
        { QStringLiteral("LANG"), QStringLiteral("C") },
        { QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin") } };
}

bool isExecutableFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    return !path.isEmpty() && ::stat(name.constData(), &status) == 0 && S_ISREG(status.st_mode)
        && ::access(name.constData(), X_OK) == 0;
}

std::optional<QString> resolveRsyncExecutable(const AppSettings& settings)
{
    if (!settings.rsyncPath.isEmpty()) {
        const QString configured = PathValidation::normalize(settings.rsyncPath);
        if (isExecutableFile(configured))
            return configured;
    }
    for (const QLatin1String candidate : rsyncCandidates) {
        if (isExecutableFile(candidate))
            return QString(candidate);
    }
    return std::nullopt;
}

QString sshCommand(const BackupDestination& destination, bool usesStoredPassphrase)
{
    QStringList words { QStringLiteral("/usr/bin/ssh") };
    constexpr int transferConnectTimeout = 15;
    words << SSHCommand::connectionOptions(usesStoredPassphrase, transferConnectTimeout)
          << QStringLiteral("-o") << QStringLiteral("ServerAliveInterval=15") << QStringLiteral("-o")
          << QStringLiteral("ServerAliveCountMax=4") << SSHCommand::endpointOptions(destination);
    std::transform(words.begin(), words.end(), words.begin(), quotedForRsync);
    return words.join(u' ');
}

RunPlan build(const BackupJob& job, const BackupDestination& destination, const AppSettings& settings,
    const QDateTime& now, const std::optional<QString>& sourcePathOverride,
    const std::optional<QString>& destinationPathOverride, bool usesStoredPassphrase)
{
    RunPlan plan;
    plan.sourcePath = PathValidation::normalize(sourcePathOverride.value_or(job.source.path));
    throwIf(PathValidation::validateSource(plan.sourcePath));

    const std::optional<QString> executable = resolveRsyncExecutable(settings);
    if (!executable)
        throw PathValidationError(QStringLiteral("rsync was not found."),
            QStringLiteral(
                "Install rsync with your package manager, or choose an executable in Settings → Advanced."));
    plan.executable = *executable;
    plan.mode = effectiveMode(job, destination);
    plan.isSSH = plan.targetIsRemote = destination.kind == DestinationKind::ssh;
    const bool versioned = plan.mode == BackupMode::versioned;

    std::optional<QString> linkBase;
    const QString folderPath = destinationPathOverride.value_or(destination.path);
    if (plan.isSSH) {
        plan.targetPath = PathValidation::normalizeRemotePath(folderPath);
        throwIf(PathValidation::validateRemotePath(plan.targetPath));
        if (versioned)
            plan.snapshotPath = plan.targetPath = plan.targetPath + u'/' + VersionedStore::snapshotStamp(now);
    } else {
        const QString folder = PathValidation::normalize(folderPath);
        throwIf(PathValidation::validateLocalDestination(plan.sourcePath, folder));
        plan.targetPath = folder;
        if (versioned) {
            const QString stamp = VersionedStore::snapshotStamp(now);
            DirectoryTools::createDirectoryIfNeeded(folder);
            VersionedStore::createMarkerIfMissing(folder);
            // What an earlier run left unfinished goes first; one writer per folder means no run
            // is writing it now.
            VersionedStore::discardUnfinishedSnapshots(folder);
            plan.snapshotPath = plan.targetPath = folder + u'/' + stamp;
            plan.createdSnapshotFolder = !QFileInfo(*plan.snapshotPath).isDir();
            if (plan.createdSnapshotFolder)
                VersionedStore::beginSnapshot(folder, stamp);
            DirectoryTools::createDirectoryIfNeeded(*plan.snapshotPath);
            linkBase = VersionedStore::latestSnapshot(folder, stamp);
        }
    }

    const TransferOptions& options = job.options;
    QStringList& arguments = plan.arguments;
    arguments << QStringLiteral("--recursive") << QStringLiteral("--links") << QStringLiteral("--times");
    if (options.preservePermissions)
        arguments << QStringLiteral("--perms");
    if (options.preserveExtendedAttributes)
        arguments << QStringLiteral("--xattrs");
    if (options.preserveOwnership)
        arguments << QStringLiteral("--owner") << QStringLiteral("--group");
    arguments << fixedArguments;
    if (plan.mode == BackupMode::mirror)
        arguments << QStringLiteral("--delete") << QStringLiteral("--delete-delay");
    if (linkBase)
        arguments << QStringLiteral("--link-dest=") + *linkBase;
    // The job's own limit wins, so a job limit of 0 switches a global limit off.
    const std::optional<qint64> bandwidth
        = options.bandwidthLimitKBps ? options.bandwidthLimitKBps : settings.bandwidthLimitKBps;
    if (bandwidth && *bandwidth > 0)
        arguments << QStringLiteral("--bwlimit=") + QString::number(*bandwidth);
    for (const QString& pattern : options.exclusionPatterns()) {
        if (!pattern.isEmpty())
            arguments << exclusionArgument(pattern);
    }
    if (plan.isSSH) {
        throwIf(PathValidation::validateSSHUser(destination.user));
        throwIf(PathValidation::validateSSHHost(destination.host));
        if (destination.port < 1 || destination.port > 65535)
            throw PathValidationError(QStringLiteral("The port must be between 1 and 65535."));
        plan.usesStoredPassphrase = usesStoredPassphrase;
        arguments << QStringLiteral("-e") << sshCommand(destination, usesStoredPassphrase)
                  << QStringLiteral("--rsync-path=") + remoteRsyncCommand(plan.targetPath);
    } else {
        DirectoryTools::createDirectoryIfNeeded(plan.targetPath);
        DirectoryTools::createDirectoryIfNeeded(plan.targetPath + u'/' + QLatin1String(partialFolderName));
    }
    arguments << (plan.sourcePath.endsWith(u'/') ? plan.sourcePath : plan.sourcePath + u'/');
    arguments << (plan.isSSH ? destination.user + u'@' + targetHost(destination.host) + u':'
                + targetRemotePath(plan.targetPath)
                             : plan.targetPath);

    plan.jobID = job.id;
    plan.jobName = job.name;
    plan.destinationID = destination.id;
    plan.destinationName = destination.name;
    plan.environment = childEnvironment();
    plan.retention = std::max<qint64>(1, destination.retention);
    plan.destinationKind = destination.kind;
    plan.sshHost = destination.host;
    plan.sshUser = destination.user;
    plan.sshPort = destination.port;
    plan.sshIdentity = destination.identityFile;
    return plan;
}

} // namespace mv::PlanBuilder
