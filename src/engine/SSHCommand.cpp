#include "engine/SSHCommand.h"

#include "model/KeychainService.h"
#include "model/PathValidation.h"
#include "platform/Executables.h"
#include "platform/Subprocess.h"

#include "platform/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <qcoro/qcorofuture.h>

namespace mv::SSHCommand {

namespace {

const QString sshExecutable = QStringLiteral("/usr/bin/ssh");

ProcessResult runBlocking(const QString& executable, const QStringList& arguments,
    std::chrono::milliseconds timeout, const QMap<QString, QString>& extraEnvironment)
{
    SubprocessSpec spec;
    spec.executable = executable;
    spec.arguments = arguments;
    spec.environment = {
        { QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin:/usr/sbin:/sbin") },
        { QStringLiteral("SSH_ASKPASS"), askpassExecutablePath() },
        { QStringLiteral("SSH_ASKPASS_REQUIRE"), QStringLiteral("force") },
    };
    spec.environment.insert(extraEnvironment);
    spec.output = SubprocessOutput::merged;
    const auto result = Subprocess::run(std::move(spec), timeout, outputLimit);
    if (!result)
        return { -1, result.error() };
    return { result->exitStatus, QString::fromUtf8(result->output) };
}

// A passphrase the caller did not look up is looked up on this (worker) thread: a keyring that is slow to
// answer delays only this run.
ProcessResult runSsh(const BackupDestination& destination, const QString& remoteCommand,
    std::chrono::milliseconds timeout, std::optional<bool> usesStoredPassphrase)
{
    const bool storedPassphrase = usesStoredPassphrase
        ? *usesStoredPassphrase
        : KeychainService::passphrase(destination.id).has_value();
    return runBlocking(sshExecutable, baseArguments(destination, storedPassphrase) << remoteCommand, timeout,
        storedPassphrase ? askpassEnvironment(destination.id) : QMap<QString, QString>());
}

const QString serverDetailsInvalid = QStringLiteral("The server details are not valid.");

bool hasValidLogin(const BackupDestination& destination)
{
    return !PathValidation::validateSSHHost(destination.host)
        && !PathValidation::validateSSHUser(destination.user);
}

// Success is a clean exit and the marker on a line of its own: a banner that merely contains the word, or a
// remote test that failed after printing it, is not.
bool succeeded(const ProcessResult& result)
{
    if (result.exitStatus != 0)
        return false;
    const QStringList lines = result.output.split(u'\n');
    return std::any_of(lines.cbegin(), lines.cend(), [](QStringView line) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        return line == QLatin1String(successMarker);
    });
}

// ssh's output as text for the user: ssh ends its own lines with CRLF, and no carriage return belongs in a
// message.
QString messageText(const ProcessResult& result)
{
    return QString(result.output).remove(u'\r').trimmed();
}

} // namespace

QStringList connectionOptions(bool usesStoredPassphrase, int connectTimeoutSeconds)
{
    QStringList options;
    if (usesStoredPassphrase)
        options << QStringLiteral("-o") << QStringLiteral("BatchMode=no") << QStringLiteral("-o")
                << QStringLiteral("NumberOfPasswordPrompts=1") << QStringLiteral("-o")
                << QStringLiteral("PreferredAuthentications=publickey");
    else
        options << QStringLiteral("-o") << QStringLiteral("BatchMode=yes");
    options << QStringLiteral("-o") << QStringLiteral("StrictHostKeyChecking=yes") << QStringLiteral("-o")
            << QStringLiteral("ConnectTimeout=%1").arg(connectTimeoutSeconds);
    return options;
}

QStringList endpointOptions(const BackupDestination& destination)
{
    QStringList options { QStringLiteral("-p"), QString::number(destination.port) };
    if (!destination.identityFile.isEmpty())
        options << QStringLiteral("-i") << destination.identityFile;
    return options;
}

QMap<QString, QString> askpassEnvironment(const QUuid& destinationID)
{
    QMap<QString, QString> environment { { QString::fromLatin1(KeychainService::askpassDestinationVariable),
        KeychainService::account(destinationID) } };
    for (const char* name : { "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR" }) {
        if (qEnvironmentVariableIsSet(name))
            environment.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    return environment;
}

QStringList baseArguments(const BackupDestination& destination, bool usesStoredPassphrase)
{
    constexpr int probeConnectTimeout = 10;
    return connectionOptions(usesStoredPassphrase, probeConnectTimeout)
        << endpointOptions(destination) << destination.user + u'@' + destination.host;
}

QString quotedRemotePath(const QString& path)
{
    const auto quote
        = [](QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("'\\''")) + u'\''; };
    if (path == u'~')
        return path;
    if (path.startsWith(QStringLiteral("~/")))
        return QStringLiteral("~/") + quote(path.mid(2));
    return quote(path);
}

QCoro::Task<ProcessResult> runProcess(QString executable, QStringList arguments,
    std::chrono::milliseconds timeout, QMap<QString, QString> extraEnvironment)
{
    QFuture<ProcessResult> running = QtConcurrent::run(
        &WorkerPool::instance(), runBlocking, executable, arguments, timeout, extraEnvironment);
    co_return co_await running;
}

QCoro::Task<ProbeResult> probe(BackupDestination destination, std::chrono::milliseconds timeout,
    std::optional<bool> usesStoredPassphrase)
{
    const QString path = PathValidation::normalizeRemotePath(destination.path);
    if (PathValidation::validateRemotePath(path) || !hasValidLogin(destination))
        co_return ProbeResult { false, false, false, serverDetailsInvalid };

    const QString quoted = quotedRemotePath(path);
    const QString command
        = QStringLiteral("test -d %1 && test -w %1 && echo %2").arg(quoted, QLatin1String(successMarker));
    QFuture<ProcessResult> running = QtConcurrent::run(
        &WorkerPool::instance(), runSsh, destination, command, timeout, usesStoredPassphrase);
    const ProcessResult result = co_await running;
    if (succeeded(result))
        co_return ProbeResult { true, true, true, QStringLiteral("Connected. The folder is writable.") };

    const QString output = messageText(result);
    if (result.exitStatus == 255)
        co_return ProbeResult { false, false, false,
            QStringLiteral("Could not connect. Check the host, the key and that the host key "
                           "is in known_hosts.\n")
                + output };
    co_return ProbeResult { result.exitStatus == 0 || result.exitStatus == 1, false, false,
        QStringLiteral("Connected, but the folder is missing or not writable. Create it first "
                       "or choose another folder.\n")
            + output };
}

QCoro::Task<FolderCreation> createFolder(
    BackupDestination destination, std::optional<bool> usesStoredPassphrase)
{
    const QString path = PathValidation::normalizeRemotePath(destination.path);
    if (PathValidation::validateRemotePath(path))
        co_return FolderCreation { false, QStringLiteral("The remote folder is not valid.") };
    // The login reaches ssh as an argument of its own: unchecked, it could be read as an option.
    if (!hasValidLogin(destination))
        co_return FolderCreation { false, serverDetailsInvalid };

    const QString command
        = QStringLiteral("mkdir -p %1 && echo %2").arg(quotedRemotePath(path), QLatin1String(successMarker));
    QFuture<ProcessResult> running = QtConcurrent::run(
        &WorkerPool::instance(), runSsh, destination, command, folderCreationTimeout, usesStoredPassphrase);
    const ProcessResult result = co_await running;
    co_return FolderCreation { succeeded(result), messageText(result) };
}

} // namespace mv::SSHCommand
