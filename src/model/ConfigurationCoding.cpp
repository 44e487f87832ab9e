#include "model/ConfigurationCoding.h"

#include "model/IsoDate.h"
#include "model/JsonObjectReader.h"
#include "model/UuidText.h"
#include "model/ValueBounds.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace mv {

using detail::JsonObjectReader;

namespace {

using namespace Qt::StringLiterals;

// Reading. Jobs, destinations, settings and the document are tolerant (absent or null keys take defaults);
// schedules, options and sources require their keys.

// One reading of a document: its time, and what had to be repaired for the document to be used.
struct Reading {
    QDateTime time;
    QStringList repairs;
};

qint64 bounded(qint64 value, const QString& path, ValueRange range, Reading& reading)
{
    const qint64 held = std::clamp(value, range.minimum, range.maximum);
    if (held != value)
        reading.repairs.append(QStringLiteral("%1 was %2 and is now %3").arg(path).arg(value).arg(held));
    return held;
}

qint64 boundedValue(
    const JsonObjectReader& json, QLatin1StringView key, qint64 fallback, ValueRange range, Reading& reading)
{
    return bounded(json.value<qint64>(key, fallback), json.pathOf(key), range, reading);
}

std::optional<qint64> boundedOptional(
    const JsonObjectReader& json, QLatin1StringView key, ValueRange range, Reading& reading)
{
    const std::optional<qint64> value = json.optional<qint64>(key);
    if (!value)
        return std::nullopt;
    return bounded(*value, json.pathOf(key), range, reading);
}

BackupSchedule readSchedule(const JsonObjectReader& json)
{
    return {
        .kind = json.required<ScheduleKind>("kind"_L1),
        .hour = json.required<qint64>("hour"_L1),
        .minute = json.required<qint64>("minute"_L1),
        .weekday = json.required<qint64>("weekday"_L1),
        .customMinutes = json.required<qint64>("customMinutes"_L1),
    };
}

BackupSource readSource(const JsonObjectReader& json)
{
    return {
        .path = json.required<QString>("path"_L1),
        .displayName = json.required<QString>("displayName"_L1),
        .bookmark = json.optional<QByteArray>("bookmark"_L1),
        .volumeIdentity = json.optional<QString>("volumeIdentity"_L1),
    };
}

TransferOptions readOptions(const JsonObjectReader& json, Reading& reading)
{
    const QList<BuiltInExclusion> builtIn = json.required<QList<BuiltInExclusion>>("builtInExclusions"_L1);
    return {
        .bandwidthLimitKBps
        = boundedOptional(json, "bandwidthLimitKBps"_L1, ValueBounds::bandwidthLimitKBps, reading),
        .preservePermissions = json.required<bool>("preservePermissions"_L1),
        .preserveExtendedAttributes = json.required<bool>("preserveExtendedAttributes"_L1),
        .preserveOwnership = json.required<bool>("preserveOwnership"_L1),
        .copySymlinks = json.required<bool>("copySymlinks"_L1),
        .builtInExclusions = BuiltInExclusionSet(builtIn.begin(), builtIn.end()),
        .customExclusions = json.required<QStringList>("customExclusions"_L1),
    };
}

BackupSchedule readOptionalSchedule(const JsonObjectReader& json)
{
    const std::optional<JsonObjectReader> schedule = json.optional<JsonObjectReader>("schedule"_L1);
    return schedule ? readSchedule(*schedule) : BackupSchedule();
}

BackupDestination readDestination(const JsonObjectReader& json, Reading& reading)
{
    const BackupDestination defaults;
    return {
        .id = json.value<QUuid>("id"_L1, QUuid::createUuid()),
        .name = json.value<QString>("name"_L1, defaults.name),
        .kind = json.value<DestinationKind>("kind"_L1, defaults.kind),
        .path = json.value<QString>("path"_L1, {}),
        .host = json.value<QString>("host"_L1, {}),
        .user = json.value<QString>("user"_L1, {}),
        .port = json.value<qint64>("port"_L1, defaults.port),
        .identityFile = json.value<QString>("identityFile"_L1, {}),
        .bookmark = json.optional<QByteArray>("bookmark"_L1),
        .usesJobSchedule = json.value<bool>("usesJobSchedule"_L1, defaults.usesJobSchedule),
        .schedule = readOptionalSchedule(json),
        .modeOverride = json.optional<BackupMode>("modeOverride"_L1),
        .retention
        = boundedValue(json, "retention"_L1, defaults.retention, ValueBounds::snapshotRetention, reading),
        .retryLimit = boundedOptional(json, "retryLimit"_L1, ValueBounds::retryAttempts, reading),
        .retryDelaySeconds
        = boundedOptional(json, "retryDelaySeconds"_L1, ValueBounds::retryDelaySeconds, reading),
        .isEnabled = json.value<bool>("isEnabled"_L1, defaults.isEnabled),
        .volumeIdentity = json.optional<QString>("volumeIdentity"_L1),
        .volumeName = json.optional<QString>("volumeName"_L1),
        .googleFolderName = json.value<QString>("googleFolderName"_L1, {}),
        .googleFolderID = json.optional<QString>("googleFolderID"_L1),
        .googleAccount = json.optional<QString>("googleAccount"_L1),
        .lastAttempt = json.optional<QDateTime>("lastAttempt"_L1),
        .lastSuccess = json.optional<QDateTime>("lastSuccess"_L1),
        .lastResult = json.optional<RunResult>("lastResult"_L1),
        .lastError = json.optional<QString>("lastError"_L1),
        .nextRun = json.optional<QDateTime>("nextRun"_L1),
        .createdAt = json.value<QDateTime>("createdAt"_L1, reading.time),
    };
}

// Two records of one list with the same id would be one thing to every part that finds records by id: the
// later ones are given fresh ids, and nothing is dropped.
template <typename Record>
void giveRepeatedIdsFreshOnes(QList<Record>& records, const QString& listPath, Reading& reading)
{
    QSet<QUuid> seen;
    seen.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        Record& record = records[i];
        if (!seen.contains(record.id)) {
            seen.insert(record.id);
            continue;
        }
        do
            record.id = QUuid::createUuid();
        while (seen.contains(record.id));
        seen.insert(record.id);
        reading.repairs.append(QStringLiteral("%1[%2].id repeated an earlier id and is now %3")
                                   .arg(listPath)
                                   .arg(i)
                                   .arg(uuidText(record.id)));
    }
}

BackupJob readJob(const JsonObjectReader& json, Reading& reading)
{
    const BackupJob defaults;
    const std::optional<JsonObjectReader> options = json.optional<JsonObjectReader>("options"_L1);
    QList<BackupDestination> destinations;
    for (const JsonObjectReader& destination : json.value<QList<JsonObjectReader>>("destinations"_L1, {}))
        destinations.append(readDestination(destination, reading));
    giveRepeatedIdsFreshOnes(destinations, json.pathOf("destinations"_L1), reading);
    return {
        .id = json.value<QUuid>("id"_L1, QUuid::createUuid()),
        .name = json.value<QString>("name"_L1, defaults.name),
        .source = readSource(json.required<JsonObjectReader>("source"_L1)),
        .destinations = destinations,
        .mode = json.value<BackupMode>("mode"_L1, defaults.mode),
        .isEnabled = json.value<bool>("isEnabled"_L1, defaults.isEnabled),
        .schedule = readOptionalSchedule(json),
        .options = options ? readOptions(*options, reading) : TransferOptions(),
        .createdAt = json.value<QDateTime>("createdAt"_L1, reading.time),
    };
}

AppSettings readSettings(const JsonObjectReader& json, Reading& reading)
{
    const AppSettings d;
    return {
        .launchAtLogin = json.value<bool>("launchAtLogin"_L1, d.launchAtLogin),
        .showMenuBarIcon = json.value<bool>("showMenuBarIcon"_L1, d.showMenuBarIcon),
        .appearance = json.value<AppearancePreference>("appearance"_L1, d.appearance),
        .openDashboardAtLogin = json.value<bool>("openDashboardAtLogin"_L1, d.openDashboardAtLogin),
        .defaultMode = json.value<BackupMode>("defaultMode"_L1, d.defaultMode),
        .maxConcurrentJobs = boundedValue(
            json, "maxConcurrentJobs"_L1, d.maxConcurrentJobs, ValueBounds::maxConcurrentJobs, reading),
        .bandwidthLimitKBps
        = boundedOptional(json, "bandwidthLimitKBps"_L1, ValueBounds::bandwidthLimitKBps, reading),
        .retryAttempts
        = boundedValue(json, "retryAttempts"_L1, d.retryAttempts, ValueBounds::retryAttempts, reading),
        .retryDelaySeconds = boundedValue(
            json, "retryDelaySeconds"_L1, d.retryDelaySeconds, ValueBounds::retryDelaySeconds, reading),
        .historyRetentionDays = boundedValue(json, "historyRetentionDays"_L1, d.historyRetentionDays,
            ValueBounds::historyRetentionDays, reading),
        .notifySuccess = json.value<bool>("notifySuccess"_L1, d.notifySuccess),
        .notifyFailure = json.value<bool>("notifyFailure"_L1, d.notifyFailure),
        .notifyOffline = json.value<bool>("notifyOffline"_L1, d.notifyOffline),
        .notifyMissed = json.value<bool>("notifyMissed"_L1, d.notifyMissed),
        .rsyncPath = json.value<QString>("rsyncPath"_L1, d.rsyncPath),
        .googleClientID = json.value<QString>("googleClientID"_L1, d.googleClientID),
        .globalShortcutEnabled = json.value<bool>("globalShortcutEnabled"_L1, d.globalShortcutEnabled),
    };
}

AppConfiguration readConfiguration(const JsonObjectReader& json, Reading& reading)
{
    const std::optional<JsonObjectReader> settings = json.optional<JsonObjectReader>("settings"_L1);
    QList<BackupJob> jobs;
    for (const JsonObjectReader& job : json.value<QList<JsonObjectReader>>("jobs"_L1, {}))
        jobs.append(readJob(job, reading));
    giveRepeatedIdsFreshOnes(jobs, json.pathOf("jobs"_L1), reading);
    return {
        .schemaVersion = json.value<qint64>("schemaVersion"_L1, 1),
        .jobs = jobs,
        .settings = settings ? readSettings(*settings, reading) : AppSettings(),
        .updatedAt = json.value<QDateTime>("updatedAt"_L1, reading.time),
    };
}

// Writing. Optional values without a value are left out, never written as null.

QJsonValue jsonValue(const QString& text)
{
    return text;
}

QJsonValue jsonValue(qint64 number)
{
    return number;
}

QJsonValue jsonValue(const QUuid& id)
{
    return uuidText(id);
}

QJsonValue jsonValue(const QDateTime& date)
{
    return isoDateText(date);
}

QJsonValue jsonValue(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

template <typename E>
requires std::is_enum_v<E> QJsonValue jsonValue(E value)
{
    return toString(value);
}

template <typename T>
void putIfPresent(QJsonObject& object, QLatin1StringView key, const std::optional<T>& value)
{
    if (value)
        object.insert(key, jsonValue(*value));
}

// An unset date would be written as text no reader accepts, and the whole document would then fail to read;
// left out, it reads back as the time of reading.
void putDate(QJsonObject& object, QLatin1StringView key, const QDateTime& date)
{
    if (date.isValid())
        object.insert(key, jsonValue(date));
}

QJsonObject writeSchedule(const BackupSchedule& schedule)
{
    return {
        { "kind"_L1, jsonValue(schedule.kind) },
        { "hour"_L1, schedule.hour },
        { "minute"_L1, schedule.minute },
        { "weekday"_L1, schedule.weekday },
        { "customMinutes"_L1, schedule.customMinutes },
    };
}

QJsonObject writeSource(const BackupSource& source)
{
    QJsonObject object { { "path"_L1, source.path }, { "displayName"_L1, source.displayName } };
    putIfPresent(object, "bookmark"_L1, source.bookmark);
    putIfPresent(object, "volumeIdentity"_L1, source.volumeIdentity);
    return object;
}

QJsonObject writeOptions(const TransferOptions& options)
{
    QJsonArray builtIn;
    for (const BuiltInExclusion exclusion : options.builtInExclusions)
        builtIn.append(jsonValue(exclusion));
    QJsonObject object {
        { "preservePermissions"_L1, options.preservePermissions },
        { "preserveExtendedAttributes"_L1, options.preserveExtendedAttributes },
        { "preserveOwnership"_L1, options.preserveOwnership },
        { "copySymlinks"_L1, options.copySymlinks },
        { "builtInExclusions"_L1, builtIn },
        { "customExclusions"_L1, QJsonArray::fromStringList(options.customExclusions) },
    };
    putIfPresent(object, "bandwidthLimitKBps"_L1, options.bandwidthLimitKBps);
    return object;
}

QJsonObject writeDestination(const BackupDestination& destination)
{
    QJsonObject object {
        { "id"_L1, jsonValue(destination.id) },
        { "name"_L1, destination.name },
        { "kind"_L1, jsonValue(destination.kind) },
        { "path"_L1, destination.path },
        { "host"_L1, destination.host },
        { "user"_L1, destination.user },
        { "port"_L1, destination.port },
        { "identityFile"_L1, destination.identityFile },
        { "usesJobSchedule"_L1, destination.usesJobSchedule },
        { "schedule"_L1, writeSchedule(destination.schedule) },
        { "retention"_L1, destination.retention },
        { "isEnabled"_L1, destination.isEnabled },
        { "googleFolderName"_L1, destination.googleFolderName },
    };
    putDate(object, "createdAt"_L1, destination.createdAt);
    putIfPresent(object, "bookmark"_L1, destination.bookmark);
    putIfPresent(object, "modeOverride"_L1, destination.modeOverride);
    putIfPresent(object, "retryLimit"_L1, destination.retryLimit);
    putIfPresent(object, "retryDelaySeconds"_L1, destination.retryDelaySeconds);
    putIfPresent(object, "volumeIdentity"_L1, destination.volumeIdentity);
    putIfPresent(object, "volumeName"_L1, destination.volumeName);
    putIfPresent(object, "googleFolderID"_L1, destination.googleFolderID);
    putIfPresent(object, "googleAccount"_L1, destination.googleAccount);
    putIfPresent(object, "lastAttempt"_L1, destination.lastAttempt);
    putIfPresent(object, "lastSuccess"_L1, destination.lastSuccess);
    putIfPresent(object, "lastResult"_L1, destination.lastResult);
    putIfPresent(object, "lastError"_L1, destination.lastError);
    putIfPresent(object, "nextRun"_L1, destination.nextRun);
    return object;
}

QJsonObject writeJob(const BackupJob& job)
{
    QJsonArray destinations;
    for (const BackupDestination& destination : job.destinations)
        destinations.append(writeDestination(destination));
    QJsonObject object {
        { "id"_L1, jsonValue(job.id) },
        { "name"_L1, job.name },
        { "source"_L1, writeSource(job.source) },
        { "destinations"_L1, destinations },
        { "mode"_L1, jsonValue(job.mode) },
        { "isEnabled"_L1, job.isEnabled },
        { "schedule"_L1, writeSchedule(job.schedule) },
        { "options"_L1, writeOptions(job.options) },
    };
    putDate(object, "createdAt"_L1, job.createdAt);
    return object;
}

QJsonObject writeSettings(const AppSettings& settings)
{
    QJsonObject object {
        { "launchAtLogin"_L1, settings.launchAtLogin },
        { "showMenuBarIcon"_L1, settings.showMenuBarIcon },
        { "appearance"_L1, jsonValue(settings.appearance) },
        { "openDashboardAtLogin"_L1, settings.openDashboardAtLogin },
        { "defaultMode"_L1, jsonValue(settings.defaultMode) },
        { "maxConcurrentJobs"_L1, settings.maxConcurrentJobs },
        { "retryAttempts"_L1, settings.retryAttempts },
        { "retryDelaySeconds"_L1, settings.retryDelaySeconds },
        { "historyRetentionDays"_L1, settings.historyRetentionDays },
        { "notifySuccess"_L1, settings.notifySuccess },
        { "notifyFailure"_L1, settings.notifyFailure },
        { "notifyOffline"_L1, settings.notifyOffline },
        { "notifyMissed"_L1, settings.notifyMissed },
        { "rsyncPath"_L1, settings.rsyncPath },
        { "googleClientID"_L1, settings.googleClientID },
        { "globalShortcutEnabled"_L1, settings.globalShortcutEnabled },
    };
    putIfPresent(object, "bandwidthLimitKBps"_L1, settings.bandwidthLimitKBps);
    return object;
}

} // namespace

std::expected<AppConfiguration, QString> ConfigurationCoding::decode(
    const QByteArray& bytes, const QDateTime& readingTime)
{
    auto document = read(bytes, readingTime);
    if (!document)
        return std::unexpected(document.error());
    return std::move(document->configuration);
}

std::expected<ConfigurationCoding::ReadDocument, QString> ConfigurationCoding::read(
    const QByteArray& bytes, const QDateTime& readingTime)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::unexpected(QStringLiteral("The file is not valid JSON (%1 at byte %2).")
                                   .arg(error.errorString())
                                   .arg(error.offset));
    if (!document.isObject())
        return std::unexpected(QStringLiteral("The file does not hold a JSON object."));
    try {
        Reading reading { readingTime.toUTC(), {} };
        AppConfiguration configuration = readConfiguration(JsonObjectReader(document.object(), {}), reading);
        return ReadDocument { std::move(configuration), std::move(reading.repairs) };
    } catch (const detail::JsonReadError& failure) {
        return std::unexpected(failure.message);
    }
}

QByteArray ConfigurationCoding::encode(const AppConfiguration& configuration)
{
    QJsonArray jobs;
    for (const BackupJob& job : configuration.jobs)
        jobs.append(writeJob(job));
    QJsonObject document {
        { "jobs"_L1, jobs },
        { "schemaVersion"_L1, configuration.schemaVersion },
        { "settings"_L1, writeSettings(configuration.settings) },
    };
    putDate(document, "updatedAt"_L1, configuration.updatedAt);
    // QJsonObject keeps its keys sorted. A "/" can only occur inside a string, so escaping every one of them
    // in the written text gives the "\/" form.
    return QJsonDocument(document).toJson(QJsonDocument::Indented).replace('/', "\\/");
}

} // namespace mv
