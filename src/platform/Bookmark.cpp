#include "platform/Bookmark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace mv::Bookmark {

namespace {

constexpr int currentVersion = 1;

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<Identity> identityOf(const QString& path)
{
    struct stat status { };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return Identity { quint64(status.st_dev), quint64(status.st_ino) };
}

// 64-bit numbers are written as decimal text: JSON numbers are doubles and would round large inodes.
std::optional<quint64> readNumber(const QJsonValue& value)
{
    if (!value.isString())
        return std::nullopt;
    bool ok = false;
    const quint64 number = value.toString().toULongLong(&ok, 10);
    return ok ? std::optional(number) : std::nullopt;
}

} // namespace

std::optional<QByteArray> create(const QString& path)
{
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    const auto identity = identityOf(absolute);
    if (!identity)
        return std::nullopt;
    const QJsonObject object {
        { "version", currentVersion },
        { "path", absolute },
        { "device", QString::number(identity->device) },
        { "inode", QString::number(identity->inode) },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<QString> resolve(const QByteArray& data)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue path = object.value("path");
    const auto device = readNumber(object.value("device"));
    const auto inode = readNumber(object.value("inode"));
    // A NUL character would cut the path short when it is used, so the folder checked here would not be
    // the one the path names.
    if (object.value("version") != QJsonValue(currentVersion) || !path.isString()
        || !QDir::isAbsolutePath(path.toString()) || path.toString().contains(QChar(0)) || !device || !inode)
        return std::nullopt;

    const auto current = identityOf(path.toString());
    if (!current || current->device != *device || current->inode != *inode)
        return std::nullopt;
    return path.toString();
}

} // namespace mv::Bookmark
