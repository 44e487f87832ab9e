#include "ui/models/editors/DestinationEditorState.h"

#include "model/PathValidation.h"

#include <QDir>
#include <QFileInfo>

namespace mv {

namespace {

// Spaces and tabs only: a name of line breaks is not blank here, as the sheet counts it.
QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

std::optional<QString> messageOf(const std::optional<PathValidationError>& problem)
{
    if (!problem)
        return std::nullopt;
    return problem->message;
}

bool isDefaultName(const QString& name)
{
    return name.isEmpty() || name.startsWith(QStringLiteral("Destination"))
        || name == QStringLiteral("Backup Drive");
}

} // namespace

DestinationEditorState DestinationEditorState::opening(DestinationEditorContext context, QString sourcePath)
{
    const BackupDestination& destination = context.destination;
    DestinationEditorState state;
    state.kind = destination.kind;
    state.name = destination.name;
    state.path
        = destination.kind == DestinationKind::googleDrive ? destination.googleFolderName : destination.path;
    state.host = destination.host;
    state.user = destination.user;
    state.port = destination.port;
    state.identityFile = destination.identityFile;
    state.usesJobSchedule = destination.usesJobSchedule;
    state.schedule = destination.schedule;
    state.modeOverride = destination.modeOverride;
    state.retention = destination.retention;
    state.retryLimit = destination.retryLimit;
    state.retryDelay = destination.retryDelaySeconds.value_or(30);
    state.isEnabled = destination.isEnabled;
    state.context = std::move(context);
    state.sourcePath = std::move(sourcePath);
    return state;
}

QString DestinationEditorState::fingerprint() const
{
    return host + u'|' + user + u'|' + QString::number(port) + u'|' + path + u'|' + identityFile;
}

bool DestinationEditorState::canSave(const GoogleSignIn& google) const
{
    if (trimBlanks(name).isEmpty() || path.isEmpty())
        return false;
    if (modeOverride == BackupMode::mirror && !mirrorAcknowledged)
        return false;
    switch (kind) {
    case DestinationKind::googleDrive:
        return google.isSignedIn();
    case DestinationKind::local:
    case DestinationKind::network:
        return true;
    case DestinationKind::ssh:
        if (PathValidation::validateSSHHost(host) || PathValidation::validateSSHUser(user)
            || PathValidation::validateRemotePath(path))
            return false;
        return testedFingerprint == fingerprint();
    }
    return false;
}

std::optional<QString> DestinationEditorState::validate(const GoogleSignIn& google) const
{
    if (trimBlanks(name).isEmpty())
        return QStringLiteral("Give this destination a name.");
    switch (kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        if (auto message = messageOf(PathValidation::validateLocalDestination(sourcePath, path)))
            return message;
        if (auto message = messageOf(PathValidation::validateDestination(buildDestination(google.account))))
            return message;
        break;
    case DestinationKind::ssh:
        if (auto message = messageOf(PathValidation::validateSSHHost(host)))
            return message;
        if (auto message = messageOf(PathValidation::validateSSHUser(user)))
            return message;
        if (port < 1 || port > 65535)
            return QStringLiteral("The port must be between 1 and 65535.");
        if (auto message = messageOf(PathValidation::validateRemotePath(path)))
            return message;
        if (!identityFile.isEmpty() && !QFileInfo::exists(PathValidation::normalize(identityFile)))
            return QStringLiteral("The identity file was not found.");
        if (testedFingerprint != fingerprint())
            return QStringLiteral("Test the connection successfully before saving.");
        break;
    case DestinationKind::googleDrive:
        if (path.trimmed().isEmpty())
            return QStringLiteral("Choose a folder name for Google Drive.");
        if (!google.isSignedIn())
            return QStringLiteral("Sign in with Google before saving this destination.");
        break;
    }
    if (modeOverride == BackupMode::mirror && !mirrorAcknowledged)
        return QStringLiteral("Confirm that mirror can delete files at this destination.");
    return std::nullopt;
}

BackupDestination DestinationEditorState::buildDestination(const std::optional<QString>& googleAccount) const
{
    BackupDestination destination = context.destination;
    destination.name = name.trimmed();
    destination.kind = kind;
    destination.path = kind == DestinationKind::ssh ? PathValidation::normalizeRemotePath(path)
                                                    : PathValidation::normalize(path);
    if (kind == DestinationKind::googleDrive) {
        destination.googleFolderName = path.trimmed();
        destination.googleAccount = googleAccount;
        // A renamed folder is looked up again by its name.
        if (destination.googleFolderName != context.destination.googleFolderName)
            destination.googleFolderID.reset();
        destination.path.clear();
    }
    destination.host = host.trimmed();
    destination.user = user.trimmed();
    destination.port = port;
    destination.identityFile = identityFile;
    destination.usesJobSchedule = usesJobSchedule;
    destination.schedule = schedule;
    destination.modeOverride = modeOverride;
    destination.retention = retention;
    destination.retryLimit = retryLimit;
    destination.isEnabled = isEnabled;
    destination.retryDelaySeconds = retryDelay;
    return destination;
}

void DestinationEditorState::changeKind(DestinationKind newKind)
{
    if (newKind == kind)
        return;
    kind = newKind;
    if (kind == DestinationKind::googleDrive && path.isEmpty())
        path = name.isEmpty() ? QStringLiteral("Marrowvale") : name;
}

void DestinationEditorState::takeChosenFolder(const QString& folder)
{
    if (folder.isEmpty())
        return;
    path = folder;
    if (isDefaultName(name))
        name = QFileInfo(QDir::cleanPath(folder)).fileName();
}

} // namespace mv
