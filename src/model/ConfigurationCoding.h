#pragma once

#include "model/AppConfiguration.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <expected>

namespace mv {

// The exact JSON form of config.json and of the configuration export: pretty-printed, keys sorted at every
// level, "/" written as "\/", optional values left out (never null), dates in whole-second UTC, UUIDs in
// upper case, bookmarks in Base64.
struct ConfigurationCoding {
    // Reads a whole document. Absent or null keys take their defaults; `readingTime` is what an absent
    // createdAt or updatedAt becomes. Any bad value anywhere fails the whole document, with a message
    // naming where (e.g. "jobs[0].destinations[1].port: expected an integer").
    static std::expected<AppConfiguration, QString> decode(
        const QByteArray& bytes, const QDateTime& readingTime);

    static QByteArray encode(const AppConfiguration& configuration);
};

} // namespace mv
