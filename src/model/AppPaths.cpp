#include "model/AppPaths.h"

#include "model/FileSystemError.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace mv::AppPaths {

namespace {

FileSystemError describe(const QString& path, int error)
{
    return FileSystemError::folderNotCreated(
        QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error)));
}

// Makes `path` and the folders above it. Only the last one is made owner-only: the folders above may be
// shared ones the user chose.
void makeOwnerOnlyFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(path);
    const std::filesystem::path parent
        = std::filesystem::path(QFile::encodeName(folder).toStdString()).parent_path();
    std::error_code error;
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    if (error)
        throw describe(QFile::decodeName(parent.c_str()), error.value());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return;
    const int failure = errno;
    if (failure == EEXIST && QFileInfo(folder).isDir())
        return;
    throw describe(folder, failure);
}

QString logsFolderIn(const QString& supportFolder)
{
    return supportFolder + QStringLiteral("/Logs");
}

} // namespace

QString supportDirectory()
{
    const QString overridden = qEnvironmentVariable("MARROWVALE_SUPPORT_DIR");
    if (!overridden.isEmpty())
        return overridden;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Marrowvale");
}

QString logsDirectory()
{
    return logsFolderIn(supportDirectory());
}

void ensureDirectories()
{
    ensureDirectories(supportDirectory());
}

void ensureDirectories(const QString& supportFolder)
{
    makeOwnerOnlyFolder(supportFolder);
    makeOwnerOnlyFolder(logsFolderIn(supportFolder));
}

} // namespace mv::AppPaths
