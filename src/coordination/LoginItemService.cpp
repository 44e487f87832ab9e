#include "coordination/LoginItemService.h"

#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "platform/AutostartEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace mv::LoginItemService {

namespace {

// Entries are a few hundred bytes; anything much larger is not one we could have written.
constexpr qint64 largestEntry = 64 * 1024;

QString program()
{
    return QCoreApplication::applicationFilePath();
}

std::optional<QString> registerProgram()
{
    const QString path = AutostartEntry::path();
    const QString folder = QFileInfo(path).path();
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), failure);
    if (failure)
        return FileSystemError::folderNotCreated(
            QDir::toNativeSeparators(folder), QString::fromLocal8Bit(failure.message()))
            .description();
    try {
        AtomicFile::write(path, AutostartEntry::compose(program()));
    } catch (const FileSystemError& error) {
        return error.description();
    }
    return std::nullopt;
}

std::optional<QString> unregisterProgram()
{
    QFile entry(AutostartEntry::path());
    if (!entry.remove())
        return QStringLiteral("“%1” could not be removed: %2.")
            .arg(QDir::toNativeSeparators(entry.fileName()), entry.errorString());
    return std::nullopt;
}

} // namespace

bool isEnabled()
{
    QFile entry(AutostartEntry::path());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    return AutostartEntry::startsProgram(entry.read(largestEntry), program());
}

std::optional<QString> setEnabled(bool enabled)
{
    const bool registered = isEnabled();
    if (enabled)
        return registered ? std::nullopt : registerProgram();
    return registered ? unregisterProgram() : std::nullopt;
}

} // namespace mv::LoginItemService
