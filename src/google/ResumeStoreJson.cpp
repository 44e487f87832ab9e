#include "google/ResumeStoreJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace mv::ResumeStoreJson {

namespace {

// Exact integers only: a size written as 10.5 (or beyond what a double holds exactly) is refused.
std::optional<qint64> integer(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<qint64>(number);
}

// Missing and null both mean no time; anything else must be a number.
bool optionalNumber(const QJsonObject& object, const QString& name, std::optional<double>& out)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    if (!value.isDouble())
        return false;
    out = value.toDouble();
    return true;
}

// The shared members; `text` names the record's string member ("url" or "md5").
template <typename Record>
std::optional<Record> decodeRecord(const QJsonValue& value, const QString& text, QString Record::*field)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto size = integer(object.value(QStringLiteral("size")));
    const QJsonValue string = object.value(text);
    const QJsonValue updated = object.value(QStringLiteral("updated"));
    Record record;
    if (!size || !string.isString() || !updated.isDouble()
        || !optionalNumber(object, QStringLiteral("modified"), record.modified))
        return std::nullopt;
    record.size = *size;
    record.*field = string.toString();
    record.updated = updated.toDouble();
    return record;
}

template <typename Record>
std::optional<QHash<QString, Record>> decode(
    const QByteArray& bytes, const QString& text, QString Record::*field)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue files = document.object().value(QStringLiteral("files"));
    if (!files.isObject())
        return std::nullopt;
    QHash<QString, Record> table;
    const QJsonObject members = files.toObject();
    for (auto it = members.begin(); it != members.end(); ++it) {
        auto record = decodeRecord<Record>(it.value(), text, field);
        if (!record)
            return std::nullopt;
        table.insert(it.key(), *record);
    }
    return table;
}

// A JSON string, escapes included (U+001F becomes "\u001f").
QByteArray quoted(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// Written member by member: a QJsonObject of 200,000 keys costs quadratic time to build.
template <typename Record>
QByteArray encode(const QHash<QString, Record>& table, const QString& text, QString Record::*field)
{
    QByteArray out = "{\"files\":{";
    bool first = true;
    for (auto it = table.begin(); it != table.end(); ++it) {
        QJsonObject object { { QStringLiteral("size"), it->size }, { text, it.value().*field },
            { QStringLiteral("updated"), it->updated } };
        if (it->modified)
            object.insert(QStringLiteral("modified"), *it->modified);
        if (!first)
            out += ',';
        first = false;
        out += quoted(it.key()) + ':' + QJsonDocument(object).toJson(QJsonDocument::Compact);
    }
    return out + "}}";
}

} // namespace

QByteArray encodeSessions(const QHash<QString, GoogleResumeStore::SessionRecord>& sessions)
{
    return encode(sessions, QStringLiteral("url"), &GoogleResumeStore::SessionRecord::url);
}

QByteArray encodeRecords(const QHash<QString, GoogleResumeStore::FileRecord>& records)
{
    return encode(records, QStringLiteral("md5"), &GoogleResumeStore::FileRecord::md5);
}

std::optional<QHash<QString, GoogleResumeStore::SessionRecord>> decodeSessions(const QByteArray& bytes)
{
    return decode(bytes, QStringLiteral("url"), &GoogleResumeStore::SessionRecord::url);
}

std::optional<QHash<QString, GoogleResumeStore::FileRecord>> decodeRecords(const QByteArray& bytes)
{
    return decode(bytes, QStringLiteral("md5"), &GoogleResumeStore::FileRecord::md5);
}

} // namespace mv::ResumeStoreJson
