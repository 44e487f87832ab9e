#include "model/DirectoryTools.h"

#include "model/FileSystemError.h"
#include "model/PathValidationError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fnmatch.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace mv {

namespace DirectoryTools {

namespace {
bool isListableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}
} // namespace

void createDirectoryIfNeeded(const QString& path)
{
    // "file/" names the file as well: a file in the way is reported as such.
    QString withoutTrailingSlash = path;
    while (withoutTrailingSlash.size() > 1 && withoutTrailingSlash.endsWith(u'/'))
        withoutTrailingSlash.chop(1);
    const QFileInfo info(withoutTrailingSlash);
    if (info.isDir())
        return;
    if (info.exists())
        throw PathValidationError(QStringLiteral("The destination path exists as a file."));
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(path).toStdString(), error);
    if (error)
        throw FileSystemError::folderNotCreated(path, QString::fromLocal8Bit(error.message()));
}

bool containsIncludedItem(const QString& path, const QStringList& patterns)
{
    QList<QByteArray> prepared;
    for (const QString& pattern : patterns) {
        QString trimmed = pattern.trimmed();
        while (trimmed.endsWith(u'/'))
            trimmed.chop(1);
        if (!trimmed.isEmpty() && !trimmed.contains(u'/'))
            prepared.append(QFile::encodeName(trimmed));
    }

    if (!isListableFolder(path))
        return false;
    const QStringList names
        = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return std::ranges::any_of(names, [&](const QString& name) {
        const QByteArray encoded = QFile::encodeName(name);
        return std::ranges::none_of(prepared, [&](const QByteArray& pattern) {
            return ::fnmatch(pattern.constData(), encoded.constData(), 0) == 0;
        });
    });
}

std::optional<qint64> quickSize(const QString& path, double budget, Clock& clock, qint64 entryLimit)
{
    const double seconds = std::isnan(budget) ? 0.0 : std::clamp(budget, -1e9, 1e9);
    const QDateTime deadline = clock.now().addMSecs(qint64(seconds * 1000.0));
    if (!isListableFolder(path))
        return std::nullopt;
    // Without QDir::Hidden the walk neither lists hidden entries nor descends into hidden folders.
    QDirIterator walk(
        path, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    qint64 total = 0;
    qint64 entries = 0;
    while (walk.hasNext()) {
        const QFileInfo entry = walk.nextFileInfo();
        if (clock.now() > deadline)
            return std::nullopt;
        if (++entries > entryLimit)
            return std::nullopt;
        if (entry.isFile() && !entry.isSymLink())
            total += entry.size();
    }
    return total;
}

} // namespace DirectoryTools

} // namespace mv
