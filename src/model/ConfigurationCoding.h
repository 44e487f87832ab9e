#pragma once

#include "model/AppConfiguration.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

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

    // A document as read, and what reading repaired so that it could be used: a number outside the range of
    // ValueBounds is brought into it, and a job or a job's destination whose id repeats an earlier one of
    // its list is given a fresh id. Each repair is one line naming where ("settings.retryAttempts was 9 and
    // is now 5"). A repaired document is the one to save.
    struct ReadDocument {
        AppConfiguration configuration;
        QStringList repairs;
    };
    static std::expected<ReadDocument, QString> read(const QByteArray& bytes, const QDateTime& readingTime);

    static QByteArray encode(const AppConfiguration& configuration);
};

} // namespace mv
