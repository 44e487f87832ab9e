#pragma once

#include "model/Enumerations.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <type_traits>

namespace mv::detail {

// Reading a stored document stops at its first bad value; the reader of the whole document turns this into
// its failure message, which names where the value sits ("jobs[0].destinations[1].port: ...").
struct JsonReadError {
    QString message;
};

// Typed access to one JSON object of a stored document. Absent and null keys read as none; a present value
// of the wrong form throws JsonReadError.
class JsonObjectReader {
public:
    JsonObjectReader(QJsonObject object, QString path);

    template <typename T> std::optional<T> optional(QLatin1StringView key) const;

    template <typename T> T value(QLatin1StringView key, T fallback) const
    {
        return optional<T>(key).value_or(std::move(fallback));
    }

    template <typename T> T required(QLatin1StringView key) const
    {
        std::optional<T> found = optional<T>(key);
        if (!found)
            throw JsonReadError { pathOf(key) + QStringLiteral(": a value is required") };
        return std::move(*found);
    }

    // Where `key` sits in the document, for messages ("jobs[0].destinations[1].port").
    QString pathOf(QLatin1StringView key) const;

private:
    QJsonObject m_object;
    QString m_path;
};

// The readable forms. Enumerations read as their raw strings; dates, UUIDs and Base64 bytes as text.
QString readJson(const QJsonValue& value, const QString& path, std::type_identity<QString>);
bool readJson(const QJsonValue& value, const QString& path, std::type_identity<bool>);
qint64 readJson(const QJsonValue& value, const QString& path, std::type_identity<qint64>);
QUuid readJson(const QJsonValue& value, const QString& path, std::type_identity<QUuid>);
QDateTime readJson(const QJsonValue& value, const QString& path, std::type_identity<QDateTime>);
QByteArray readJson(const QJsonValue& value, const QString& path, std::type_identity<QByteArray>);
JsonObjectReader readJson(const QJsonValue& value, const QString& path, std::type_identity<JsonObjectReader>);

[[noreturn]] void failJson(const QString& path, const QString& expectation);

template <typename E>
requires std::is_enum_v<E> E readJson(const QJsonValue& value, const QString& path, std::type_identity<E>)
{
    const std::optional<E> found = enumFromString<E>(readJson(value, path, std::type_identity<QString> {}));
    if (!found) {
        QStringList names;
        for (const E name : allCases<E>())
            names.append(toString(name));
        failJson(path, QStringLiteral("expected one of ") + names.join(QStringLiteral(", ")));
    }
    return *found;
}

template <typename T>
QList<T> readJson(const QJsonValue& value, const QString& path, std::type_identity<QList<T>>)
{
    if (!value.isArray())
        failJson(path, QStringLiteral("expected an array"));
    QList<T> list;
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i)
        list.append(readJson(array.at(i), path + QStringLiteral("[%1]").arg(i), std::type_identity<T> {}));
    return list;
}

template <typename T> std::optional<T> JsonObjectReader::optional(QLatin1StringView key) const
{
    const QJsonValue found = m_object.value(key);
    if (found.isUndefined() || found.isNull())
        return std::nullopt;
    return readJson(found, pathOf(key), std::type_identity<T> {});
}

} // namespace mv::detail
