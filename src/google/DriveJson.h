#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace mv::DriveJson {

// Strict readers for the Drive API's answers: required keys must be there, every value must have the
// expected JSON type, and null counts as absent. Each failure throws GoogleDecodingError naming the key.

QJsonObject document(const QByteArray& json);
QString requiredText(const QJsonObject& object, const QString& key);
QJsonArray requiredArray(const QJsonObject& object, const QString& key);
std::optional<QString> optionalText(const QJsonObject& object, const QString& key);
std::optional<bool> optionalBool(const QJsonObject& object, const QString& key);
std::optional<QStringList> optionalTextList(const QJsonObject& object, const QString& key);
std::optional<QJsonObject> optionalObject(const QJsonObject& object, const QString& key);

// A signed 64-bit decimal with at most one leading "+" or "-" and nothing but ASCII digits after it; none
// for anything else, an overflow included.
std::optional<qint64> decimalInteger(const QString& text);

} // namespace mv::DriveJson
