#include "google/GoogleResumeStore.h"

#include "google/ResumeStoreJson.h"
#include "model/AppPaths.h"
#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "platform/Clock.h"
#include "platform/SystemLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace mv {

namespace {

std::optional<double> seconds(const std::optional<QDateTime>& date)
{
    if (!date || !date->isValid())
        return std::nullopt;
    return date->toMSecsSinceEpoch() / 1000.0;
}

// Same size, and either no time on both sides or times less than half a second apart.
bool matches(qint64 recordSize, const std::optional<double>& recordModified, qint64 size,
    const std::optional<QDateTime>& modified)
{
    const auto fileModified = seconds(modified);
    if (recordSize != size || recordModified.has_value() != fileModified.has_value())
        return false;
    return !recordModified || std::abs(*recordModified - *fileModified) < 0.5;
}

// "google-resume.json" gives "google-resume.sessions.json".
QString sessionPathFor(const QString& recordPath)
{
    if (recordPath.isEmpty())
        return {};
    const QFileInfo info(recordPath);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? recordPath : recordPath.chopped(suffix.size() + 1);
    return base + QStringLiteral(".sessions.json");
}

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// A plain, owner-only copy of an undecodable file, kept for whoever looks into it; failures are ignored.
void keepCorruptCopy(const QString& folder, const QString& stem, const QByteArray& bytes, double now)
{
    const QString name = stem + QStringLiteral(".corrupt-") + QString::number(static_cast<qint64>(now))
        + QStringLiteral(".json");
    QFile copy(QDir(folder).filePath(name));
    if (copy.open(
            QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        copy.write(bytes);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    AppPaths::ensureDirectories(QFileInfo(path).absolutePath());
    AtomicFile::write(path, bytes);
}

} // namespace

GoogleResumeStore::GoogleResumeStore(const QString& recordPath, Clock& clock, SystemLog& log)
    : m_clock(&clock)
    , m_log(&log)
    , m_recordPath(recordPath)
    , m_sessionPath(sessionPathFor(recordPath))
{
    load();
}

GoogleResumeStore::GoogleResumeStore(const QString& recordPath)
    : GoogleResumeStore(recordPath, Clock::system(), SystemLog::system())
{
}

double GoogleResumeStore::nowSeconds() const
{
    return m_clock->now().toMSecsSinceEpoch() / 1000.0;
}

void GoogleResumeStore::load()
{
    const QMutexLocker lock(&m_lock);
    if (!m_sessionPath.isEmpty()) {
        if (const auto bytes = readAll(m_sessionPath)) {
            if (auto sessions = ResumeStoreJson::decodeSessions(*bytes))
                m_sessions = std::move(*sessions);
            else
                keepCorruptCopy(QFileInfo(m_sessionPath).absolutePath(),
                    QStringLiteral("google-resume-sessions"), *bytes, nowSeconds());
        }
    }
    if (!m_recordPath.isEmpty()) {
        if (const auto bytes = readAll(m_recordPath)) {
            if (auto records = ResumeStoreJson::decodeRecords(*bytes))
                m_records = std::move(*records);
            else
                keepCorruptCopy(QFileInfo(m_recordPath).absolutePath(), QStringLiteral("google-resume"),
                    *bytes, nowSeconds());
        }
    }
    pruneSessionsLocked();
    pruneRecordsLocked();
}

void GoogleResumeStore::pruneSessionsLocked()
{
    const double oldest = nowSeconds() - sessionLifetime;
    m_sessions.removeIf([oldest](const auto& entry) { return entry.value().updated < oldest; });
}

void GoogleResumeStore::pruneRecordsLocked()
{
    const double oldest = nowSeconds() - recordLifetime;
    m_records.removeIf([oldest](const auto& entry) { return entry.value().updated < oldest; });
    if (m_records.size() <= recordCap)
        return;
    std::vector<std::pair<double, QString>> byAge;
    byAge.reserve(m_records.size());
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it)
        byAge.emplace_back(it->updated, it.key());
    const auto keep = byAge.begin() + recordCap;
    std::nth_element(
        byAge.begin(), keep, byAge.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto it = keep; it != byAge.end(); ++it)
        m_records.remove(it->second);
}

void GoogleResumeStore::saveSessionsLocked()
{
    if (m_sessionPath.isEmpty())
        return;
    pruneSessionsLocked();
    try {
        writeFile(m_sessionPath, ResumeStoreJson::encodeSessions(m_sessions));
    } catch (const FileSystemError& error) {
        m_log->write(
            QStringLiteral("Google Drive upload sessions could not be saved: %1").arg(error.description()));
    }
}

void GoogleResumeStore::saveRecordsLocked()
{
    if (m_recordPath.isEmpty())
        return;
    pruneRecordsLocked();
    try {
        writeFile(m_recordPath, ResumeStoreJson::encodeRecords(m_records));
        m_recordsDirty = false;
        m_lastRecordSave = nowSeconds();
    } catch (const FileSystemError& error) {
        m_log->write(
            QStringLiteral("Google Drive resume records could not be saved: %1").arg(error.description()));
    }
}

std::optional<QString> GoogleResumeStore::sessionURL(
    const QString& key, qint64 size, const std::optional<QDateTime>& modified)
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_sessions.constFind(key);
    if (it == m_sessions.cend())
        return std::nullopt;
    if (matches(it->size, it->modified, size, modified) && nowSeconds() - it->updated < sessionLifetime)
        return it->url;
    m_sessions.erase(it);
    saveSessionsLocked();
    return std::nullopt;
}

void GoogleResumeStore::storeSessionURL(
    const QString& url, const QString& key, qint64 size, const std::optional<QDateTime>& modified)
{
    const QMutexLocker lock(&m_lock);
    m_sessions.insert(key, SessionRecord { size, seconds(modified), url, nowSeconds() });
    saveSessionsLocked();
}

void GoogleResumeStore::removeSession(const QString& key)
{
    const QMutexLocker lock(&m_lock);
    if (m_sessions.remove(key) > 0)
        saveSessionsLocked();
}

std::optional<QString> GoogleResumeStore::md5(
    const QString& key, qint64 size, const std::optional<QDateTime>& modified) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_records.constFind(key);
    if (it == m_records.cend() || !matches(it->size, it->modified, size, modified))
        return std::nullopt;
    return it->md5;
}

void GoogleResumeStore::storeMD5(
    const QString& md5, const QString& key, qint64 size, const std::optional<QDateTime>& modified)
{
    if (md5.isEmpty())
        return;
    const QMutexLocker lock(&m_lock);
    m_records.insert(key, FileRecord { size, seconds(modified), md5, nowSeconds() });
    m_recordsDirty = true;
    if (nowSeconds() - m_lastRecordSave >= recordSaveInterval)
        saveRecordsLocked();
}

void GoogleResumeStore::flushRecords()
{
    const QMutexLocker lock(&m_lock);
    if (m_recordsDirty)
        saveRecordsLocked();
}

} // namespace mv
