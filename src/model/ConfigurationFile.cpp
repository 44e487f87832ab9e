#include "model/ConfigurationFile.h"

#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::ConfigurationFile {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

Contents read(const QString& path)
{
    // Non-blocking, so a pipe left at the path cannot hang the launch.
    const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        // A path through something that is not a folder cannot hold a file either: a support folder that
        // could not be made leaves no document behind it to protect.
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return { Contents::State::unreadable, {}, systemError(errno) };
    }
    struct stat info { };
    if (::fstat(file.get(), &info) != 0)
        return { Contents::State::unreadable, {}, systemError(errno) };
    if (S_ISDIR(info.st_mode))
        return { Contents::State::unreadable, {}, systemError(EISDIR) };
    if (!S_ISREG(info.st_mode))
        return { Contents::State::unreadable, {}, QStringLiteral("it is not a regular file") };

    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return { Contents::State::unreadable, {}, systemError(errno) };
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return { Contents::State::read, bytes, {} };
}

std::expected<QString, QString> keepCorruptCopy(
    const QString& folder, const QByteArray& bytes, const QDateTime& now)
{
    const QString stamp = QString::number(now.toSecsSinceEpoch());
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString suffix = attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt);
        const QString path
            = QDir(folder).filePath(QStringLiteral("config.corrupt-%1%2.json").arg(stamp, suffix));
        const QByteArray name = QFile::encodeName(path);
        const FileDescriptor copy(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (copy.get() < 0) {
            if (errno == EEXIST)
                continue;
            return std::unexpected(systemError(errno));
        }
        if (!writeAll(copy.get(), bytes) || ::fsync(copy.get()) != 0) {
            const QString problem = systemError(errno);
            ::unlink(name.constData());
            return std::unexpected(problem);
        }
        return path;
    }
    return std::unexpected(QStringLiteral("too many copies were already kept in the same second"));
}

} // namespace mv::ConfigurationFile
