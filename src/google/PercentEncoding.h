#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <utility>

namespace mv {

// Google's query strings and form bodies, written so that every value arrives as it was: each byte outside
// A-Z a-z 0-9 "-" "." "_" "~" is percent-encoded, "+" and "/" included (a server reads a literal "+" as a
// blank).
namespace PercentEncoding {

using Pairs = QList<std::pair<QString, QString>>;

QByteArray encode(const QString& value);
// "k1=v1&k2=v2" in the given order, every key and value encoded.
QByteArray join(const Pairs& pairs);
// `base` with `pairs` as its whole query, kept byte for byte as encoded here.
QUrl withQuery(const QUrl& base, const Pairs& pairs);

} // namespace PercentEncoding

} // namespace mv
