#pragma once

#include "google/GoogleResumeStore.h"

#include <QByteArray>
#include <QHash>

#include <optional>

namespace mv::ResumeStoreJson {

// The two resume files: {"files":{"<key>":{record}}}, compact, members in any order, unknown members
// ignored. Decoding is all or nothing: any record that breaks the layout (a missing member, a wrong type, a
// fractional size) makes the whole document undecodable.
QByteArray encodeSessions(const QHash<QString, GoogleResumeStore::SessionRecord>& sessions);
QByteArray encodeRecords(const QHash<QString, GoogleResumeStore::FileRecord>& records);
std::optional<QHash<QString, GoogleResumeStore::SessionRecord>> decodeSessions(const QByteArray& bytes);
std::optional<QHash<QString, GoogleResumeStore::FileRecord>> decodeRecords(const QByteArray& bytes);

} // namespace mv::ResumeStoreJson
