#include "google/GoogleClientFile.h"

#include "google/GoogleAuthError.h"
#include "model/FileSystemError.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv {

namespace {

constexpr qint64 maximumSize = 1024 * 1024;

QString requiredString(const QJsonObject& section, const QString& sectionName, const QString& key)
{
    const QJsonValue value = section.value(key);
    if (value.isUndefined() || value.isNull())
        throw GoogleDecodingError(
            QStringLiteral("The client file's \"%1\" section has no \"%2\".").arg(sectionName, key));
    if (!value.isString())
        throw GoogleDecodingError(
            QStringLiteral("The client file's \"%1\" value in \"%2\" is not text.").arg(key, sectionName));
    return value.toString();
}

GoogleClientFile::Details decodeDetails(const QJsonValue& value, const QString& sectionName)
{
    if (!value.isObject())
        throw GoogleDecodingError(
            QStringLiteral("The client file's \"%1\" section is not a JSON object.").arg(sectionName));
    const QJsonObject section = value.toObject();
    return { requiredString(section, sectionName, QStringLiteral("client_id")),
        requiredString(section, sectionName, QStringLiteral("client_secret")) };
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

GoogleClientFile GoogleClientFile::decode(const QByteArray& json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw GoogleDecodingError(
            QStringLiteral("The client file is not valid JSON: %1.").arg(error.errorString()));
    if (!document.isObject())
        throw GoogleDecodingError(QStringLiteral("The client file is not a JSON object."));
    const QJsonObject top = document.object();
    for (const QString& name : { QStringLiteral("installed"), QStringLiteral("web") }) {
        const QJsonValue section = top.value(name);
        if (!section.isUndefined() && !section.isNull())
            return { decodeDetails(section, name) };
    }
    throw GoogleAuthError(GoogleAuthError::Kind::invalidClientFile);
}

GoogleClientFile GoogleClientFile::read(const QString& path)
{
    const QString name = QStringLiteral("\"%1\"").arg(path);
    // Non-blocking, so opening a FIFO returns at once; fstat then refuses it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw FileSystemError(QStringLiteral("%1 could not be opened: %2.").arg(name, systemText(errno)));
    QByteArray bytes;
    struct stat info { };
    QString problem;
    if (::fstat(fd, &info) != 0)
        problem = QStringLiteral("%1 could not be read: %2.").arg(name, systemText(errno));
    else if (!S_ISREG(info.st_mode))
        problem = QStringLiteral("%1 is not a regular file.").arg(name);
    else if (info.st_size > maximumSize)
        problem = QStringLiteral("%1 is larger than 1 MB; an OAuth client file is a few hundred bytes.")
                      .arg(name);
    else {
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (problem.isEmpty() && done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                problem = QStringLiteral("%1 could not be read: %2.").arg(name, systemText(errno));
            else if (got == 0)
                bytes.truncate(done);
            else
                done += got;
            if (got == 0)
                break;
        }
    }
    ::close(fd);
    if (!problem.isEmpty())
        throw FileSystemError(problem);
    return decode(bytes);
}

} // namespace mv
