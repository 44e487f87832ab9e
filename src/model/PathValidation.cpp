#include "model/PathValidation.h"

#include "model/BackupDestination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace mv::PathValidation {

namespace {

PathValidationError error(const char* message, std::optional<QString> recovery = std::nullopt)
{
    return PathValidationError(QString::fromUtf8(message), std::move(recovery));
}

bool hasAccess(const QString& path, int mode)
{
    return ::access(QFile::encodeName(path).constData(), mode) == 0;
}

bool matchesWhole(const QString& text, const char* pattern)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)));
    return expression.match(text).hasMatch();
}

// Resolves the links of the longest leading part of `absolute` that exists and keeps the rest as written.
QString resolveExistingPart(const QString& absolute)
{
    QString existing = absolute;
    QString rest;
    while (true) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty())
            return rest.isEmpty() ? canonical : QDir::cleanPath(canonical + u'/' + rest);
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return absolute;
        const QString component = existing.mid(slash + 1);
        rest = rest.isEmpty() ? component : component + u'/' + rest;
        existing = existing.left(slash);
    }
}

std::optional<PathValidationError> supportsWrites(const QString& path)
{
    const QString normalized = normalize(path);
    const QFileInfo info(normalized);
    if (!info.exists())
        return std::nullopt;
    if (!info.isDir())
        return error("The destination is a file, not a folder.");
    if (!hasAccess(normalized, W_OK))
        return error("The destination folder is read only.",
            QStringLiteral("Choose another folder or change its permissions in your file manager."));
    return std::nullopt;
}

} // namespace

QString normalize(const QString& path)
{
    QString expanded = path;
    if (expanded.startsWith(u'~') && (expanded.size() == 1 || expanded[1] == u'/'))
        expanded = QDir::homePath() + expanded.mid(1);
    const QString trimmed = expanded.trimmed();
    if (trimmed.isEmpty())
        return {};
    return resolveExistingPart(QDir::cleanPath(QDir::current().absoluteFilePath(trimmed)));
}

QString normalizeRemotePath(const QString& path)
{
    QString trimmed = path.trimmed();
    while (trimmed.endsWith(u'/') && trimmed.size() >= 2)
        trimmed.chop(1);
    return trimmed;
}

bool overlaps(const QString& first, const QString& second)
{
    const QString a = normalize(first);
    const QString b = normalize(second);
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a == b)
        return true;
    const auto inside = [](const QString& inner, const QString& outer) {
        return inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
    };
    return inside(a, b) || inside(b, a);
}

std::optional<PathValidationError> validateSource(const QString& path)
{
    const QString normalized = normalize(path);
    if (normalized.isEmpty())
        return error("Choose a source folder.", QStringLiteral("The backup needs a folder to read."));
    const QFileInfo info(normalized);
    if (!info.exists())
        return error("The source folder is not available.",
            QStringLiteral("Reconnect the drive or choose another folder."));
    if (!info.isDir())
        return error("The source is a file, not a folder.", QStringLiteral("Choose a folder instead."));
    if (!hasAccess(normalized, R_OK))
        return error("Marrowvale cannot read this folder.",
            QStringLiteral("Check the folder permissions, or choose a folder you own."));
    return std::nullopt;
}

std::optional<PathValidationError> validateLocalDestination(const QString& source, const QString& destination)
{
    const QString normalizedSource = normalize(source);
    const QString normalizedDestination = normalize(destination);
    if (normalizedDestination.isEmpty())
        return error("Choose a destination folder.");
    if (normalizedDestination == QStringLiteral("/"))
        return error("The whole disk cannot be a backup destination.");
    if (normalizedDestination == normalizedSource)
        return error("The source and destination are the same folder.",
            QStringLiteral("Choose a folder outside the source."));
    if (overlaps(normalizedSource, normalizedDestination))
        return error("The source and destination overlap.",
            QStringLiteral("Keep the backup destination outside the source folder, and the source outside "
                           "the destination."));
    return std::nullopt;
}

std::optional<PathValidationError> validateRemotePath(const QString& path)
{
    const QString normalized = normalizeRemotePath(path);
    if (normalized.isEmpty())
        return error("Enter a folder on the server.");
    if (normalized.contains(u'\n') || normalized.contains(u'\r') || normalized.contains(QChar(0)))
        return error("The remote folder contains an invalid character.");
    if (!normalized.startsWith(u'/') && !normalized.startsWith(u'~'))
        return error("Use an absolute remote folder.",
            QStringLiteral("For example /backups/documents or ~/backups/documents."));
    return std::nullopt;
}

std::optional<PathValidationError> validateSSHUser(const QString& user)
{
    // A leading "-" would reach ssh as an option instead of a user name.
    if (!matchesWhole(user, "[A-Za-z0-9._-]+") || user.startsWith(u'-'))
        return error("The SSH user name is not valid.");
    return std::nullopt;
}

std::optional<PathValidationError> validateSSHHost(const QString& host)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty())
        return error("Enter the server name or address.");
    if (!matchesWhole(trimmed, R"([A-Za-z0-9._:\[\]-]+)"))
        return error("The server name contains unsupported characters.");
    if (trimmed.startsWith(u'-'))
        return error("The server name is not valid.");
    return std::nullopt;
}

std::optional<PathValidationError> validateDestination(const BackupDestination& destination)
{
    switch (destination.kind) {
    case DestinationKind::local:
    case DestinationKind::network: {
        const QString normalized = normalize(destination.path);
        if (normalized.isEmpty())
            return error("Choose a destination folder.");
        if (!QFileInfo::exists(normalized) && !QFileInfo(normalized).dir().exists())
            return error("The destination drive is not available.",
                QStringLiteral("Reconnect %1 and try again.").arg(destination.name));
        return supportsWrites(normalized);
    }
    case DestinationKind::ssh:
        if (auto problem = validateSSHUser(destination.user))
            return problem;
        if (auto problem = validateSSHHost(destination.host))
            return problem;
        if (destination.port < 1 || destination.port > 65535)
            return error("The port must be between 1 and 65535.");
        if (auto problem = validateRemotePath(destination.path))
            return problem;
        if (!destination.identityFile.isEmpty() && !QFileInfo::exists(normalize(destination.identityFile)))
            return error("The SSH identity file was not found.",
                QStringLiteral("Choose the private key again, for example ~/.ssh/id_ed25519."));
        return std::nullopt;
    case DestinationKind::googleDrive:
        if (destination.googleFolderName.trimmed().isEmpty())
            return error("Choose a Google Drive folder name.");
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace mv::PathValidation
