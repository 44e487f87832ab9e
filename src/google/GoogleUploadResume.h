#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

class GoogleResumeStore;

// How one file's upload finds and keeps its resumable session: where session records live, the file's key
// there, and the session URL the caller found for it, if any.
struct GoogleUploadResume {
    GoogleResumeStore* store = nullptr;
    QString key;
    qint64 size = 0; // the size the caller looked the session up with; the uploader does not read it
    std::optional<QDateTime> modified; // written into a new session record
    std::optional<QString> sessionURL;
};

} // namespace mv
