#include "model/ConfigurationCoding.h"
#include "model/IsoDate.h"
#include "model/UuidText.h"

#include <QtTest>

using namespace mv;

namespace {

QDateTime at(const char* text)
{
    return parseIsoDate(QString::fromLatin1(text)).value();
}

const QDateTime readingTime = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

QByteArray fixture(const QString& name)
{
    QFile file(qEnvironmentVariable("MV_SOURCE_DIR") + QStringLiteral("/tests/model/fixtures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(file.fileName()));
    return file.readAll();
}

// Every record, every optional value present somewhere and absent somewhere else, text that needs escaping,
// and Base64 holding "+" and "/".
AppConfiguration fullDocument()
{
    AppConfiguration document;
    document.updatedAt = at("2026-12-09T08:21:00Z");
    document.settings.appearance = AppearancePreference::dark;
    document.settings.defaultMode = BackupMode::versioned;
    document.settings.maxConcurrentJobs = 3;
    document.settings.bandwidthLimitKBps = 2048;
    document.settings.notifySuccess = false;
    document.settings.rsyncPath = QStringLiteral("/usr/local/bin/rsync");
    document.settings.googleClientID = QStringLiteral("1234-abc.apps.googleusercontent.com");

    BackupJob photos;
    photos.id = QUuid("6a1f0c6e-3b7d-4f0e-9a55-0d9e3c2b1a10");
    photos.name = QStringLiteral("Fotos \u2013 Sommer");
    photos.source = { QStringLiteral("/home/ana/Pictures"), QStringLiteral("Pictures"),
        QByteArray::fromHex("fbffbf0001"), QStringLiteral("fsid:1a2b:3c4d") };
    photos.mode = BackupMode::incremental;
    photos.schedule = { ScheduleKind::daily, 21, 30, 2, 60 };
    photos.options.bandwidthLimitKBps = 500;
    photos.options.preserveOwnership = true;
    photos.options.builtInExclusions = { BuiltInExclusion::git, BuiltInExclusion::trash };
    photos.options.customExclusions = { QStringLiteral("*.raw"), QStringLiteral("Exports/") };
    photos.createdAt = at("2026-01-02T03:04:05Z");

    BackupDestination server;
    server.id = QUuid("b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f");
    server.name = QStringLiteral("Server");
    server.kind = DestinationKind::ssh;
    server.path = QStringLiteral("/srv/backup/ana");
    server.host = QStringLiteral("nas.local");
    server.user = QStringLiteral("ana");
    server.port = 2222;
    server.identityFile = QStringLiteral("/home/ana/.ssh/id_ed25519");
    server.bookmark = QByteArray("bookmark");
    server.usesJobSchedule = true;
    server.modeOverride = BackupMode::mirror;
    server.retention = 7;
    server.retryLimit = 4;
    server.retryDelaySeconds = 120;
    server.isEnabled = false;
    server.volumeIdentity = QStringLiteral("uuid:0f0e-0d0c");
    server.volumeName = QStringLiteral("Backups");
    server.lastAttempt = at("2026-12-08T22:00:00Z");
    server.lastSuccess = at("2026-12-07T22:00:00Z");
    server.lastResult = RunResult::failed;
    server.lastError = QStringLiteral("rsync said \"Permission denied\"\n\tand stopped \\ here");
    server.nextRun = at("2026-12-09T22:00:00Z");
    server.createdAt = at("2026-01-02T03:05:00Z");

    BackupDestination drive;
    drive.id = QUuid("00000000-0000-4000-8000-00000000000a");
    drive.name = QStringLiteral("Drive");
    drive.kind = DestinationKind::googleDrive;
    drive.schedule = { ScheduleKind::weekly, 3, 15, 1, 60 };
    drive.googleFolderName = QStringLiteral("Marrowvale");
    drive.googleFolderID = QStringLiteral("1AbC-dEf");
    drive.googleAccount = QStringLiteral("ana@example.com");
    drive.createdAt = at("2026-02-03T04:05:06Z");
    photos.destinations = { server, drive };

    BackupJob empty;
    empty.id = QUuid("c0ffee00-1234-4abc-8def-0123456789ab");
    empty.name = QStringLiteral("Empty");
    empty.source = { QStringLiteral("/"), QStringLiteral("Root"), std::nullopt, std::nullopt };
    empty.isEnabled = false;
    empty.options.builtInExclusions = {};
    empty.createdAt = at("2026-03-04T05:06:07Z");

    document.jobs = { photos, empty };
    return document;
}

const QByteArray source = R"("source": {"path": "/home/ana", "displayName": "ana"})";
const QByteArray options = R"("options": {"preservePermissions": true, "preserveExtendedAttributes": true,
    "preserveOwnership": false, "copySymlinks": true, "builtInExclusions": [], "customExclusions": []})";

QByteArray withJob(const QByteArray& members, const QByteArray& documentMembers = {})
{
    return R"({"jobs": [{)" + source + (members.isEmpty() ? "" : ", " + members) + "}]"
        + (documentMembers.isEmpty() ? "" : ", " + documentMembers) + "}";
}

QByteArray withDestination(const QByteArray& members)
{
    return withJob(R"("destinations": [{)" + members + "}]");
}

// The document `{}` reads as, plus one job as a job object holding only its source reads.
AppConfiguration withDefaultJob()
{
    AppConfiguration document = AppConfiguration::create(readingTime);
    BackupJob job;
    job.source = { QStringLiteral("/home/ana"), QStringLiteral("ana"), std::nullopt, std::nullopt };
    job.createdAt = readingTime;
    document.jobs = { job };
    return document;
}

AppConfiguration withDefaultDestination()
{
    AppConfiguration document = withDefaultJob();
    BackupDestination destination;
    destination.createdAt = readingTime;
    document.jobs[0].destinations = { destination };
    return document;
}

// Records read without an id get a fresh one each time: check it is there, then blank it for comparison.
void blankFreshIds(AppConfiguration& read, const AppConfiguration& expected)
{
    for (qsizetype j = 0; j < qMin(read.jobs.size(), expected.jobs.size()); ++j) {
        if (expected.jobs[j].id.isNull() && !read.jobs[j].id.isNull())
            read.jobs[j].id = QUuid();
        auto& destinations = read.jobs[j].destinations;
        for (qsizetype d = 0; d < qMin(destinations.size(), expected.jobs[j].destinations.size()); ++d) {
            if (expected.jobs[j].destinations[d].id.isNull() && !destinations[d].id.isNull())
                destinations[d].id = QUuid();
        }
    }
}

// The failure message of a reading, for QVERIFY2 (which evaluates its message even when the check passes).
QString failure(const std::expected<AppConfiguration, QString>& read)
{
    return read ? QString() : read.error();
}

} // namespace

Q_DECLARE_METATYPE(mv::AppConfiguration)

class tst_ConfigurationCoding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesTheFixtureByteForByteAndReadsItBack()
    {
        const QByteArray expected = fixture(QStringLiteral("full-document.json"));
        QCOMPARE(ConfigurationCoding::encode(fullDocument()), expected);

        const auto read = ConfigurationCoding::decode(expected, readingTime);
        QVERIFY2(read, qPrintable(failure(read)));
        QVERIFY(*read == fullDocument());
    }

    // The raw strings are stored in config.json and the history, so every one is part of a file format.
    void enumerationsKeepTheirStoredNamesAndOrder()
    {
        const auto names = [](auto cases) {
            QStringList list;
            for (const auto value : cases) {
                list.append(toString(value));
                if (enumFromString<std::remove_const_t<decltype(value)>>(list.last()) != value)
                    list.last() += QStringLiteral("(does not read back)");
            }
            return list.join(QLatin1Char(' '));
        };
        QCOMPARE(names(allCases<BackupMode>()), "incremental mirror versioned");
        QCOMPARE(names(allCases<DestinationKind>()), "local network ssh googleDrive");
        QCOMPARE(
            names(allCases<ScheduleKind>()), "manual everyFifteenMinutes hourly daily weekly custom onMount");
        QCOMPARE(names(allCases<RunTrigger>()), "manual schedule onMount retry restore");
        QCOMPARE(names(allCases<RunPhase>()),
            "queued preparing running paused cancelling waiting completed failed cancelled");
        QCOMPARE(names(allCases<RunResult>()), "running success failed cancelled interrupted missed skipped");
        QCOMPARE(names(allCases<BuiltInExclusion>()),
            "finderMetadata git nodeModules temporaryFiles trash caches");
        QCOMPARE(names(allCases<AppearancePreference>()), "system light dark");

        for (const char* text : { "Mirror", " mirror", "mirror ", "" })
            QVERIFY2(!enumFromString<BackupMode>(QString::fromLatin1(text)), text);

        QStringList patterns;
        for (const BuiltInExclusion exclusion : allCases<BuiltInExclusion>())
            patterns.append(pattern(exclusion));
        QCOMPARE(
            patterns.join(QLatin1Char(' ')), ".DS_Store .git/ node_modules/ *.tmp .Trash/ Library/Caches/");
        QVERIFY((defaultBuiltInExclusions()
            == BuiltInExclusionSet { BuiltInExclusion::finderMetadata, BuiltInExclusion::git,
                BuiltInExclusion::nodeModules, BuiltInExclusion::temporaryFiles }));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<AppConfiguration>("expected");
        QTest::addColumn<QString>("error"); // empty: the document reads

        const AppConfiguration none;
        QTest::newRow("empty document") << QByteArray("{}") << AppConfiguration::create(readingTime) << "";
        QTest::newRow("job with only source") << withJob({}) << withDefaultJob() << "";
        QTest::newRow("empty destination") << withDestination({}) << withDefaultDestination() << "";

        AppConfiguration nulls = withDefaultDestination();
        nulls.jobs[0].options.builtInExclusions = {};
        QTest::newRow("nulls read as none") << withJob(options.chopped(1)
            + R"(, "bandwidthLimitKBps": null}, "schedule": null, "name": null,)"
            + R"("destinations": [{"modeOverride": null, "lastError": null, "nextRun": null}])")
                                            << nulls << "";

        AppConfiguration settings = AppConfiguration::create(readingTime);
        settings.settings.maxConcurrentJobs = 4;
        QTest::newRow("settings, unknown key ignored")
            << QByteArray(R"({"settings": {"maxConcurrentJobs": 4, "bandwidthLimitKBps": null,)"
                          R"( "someFutureSetting": "ignored"}})")
            << settings << "";

        AppConfiguration dates = withDefaultDestination();
        dates.updatedAt = at("2026-12-09T08:21:00.750Z");
        dates.jobs[0].createdAt = at("2026-12-09T07:21:00Z");
        dates.jobs[0].destinations[0].createdAt = at("2026-12-09T13:21:00Z");
        dates.jobs[0].destinations[0].id = QUuid("b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f");
        QTest::newRow("fractions, offsets, lower-case UUIDs")
            << withJob(R"("createdAt": "2026-12-09T08:21:00+01:00", "destinations": [{"createdAt":)"
                       R"( "2026-12-09T08:21:00-0500", "id": "b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f"}])",
                   R"("updatedAt": "2026-12-09T08:21:00.750Z")")
            << dates << "";

        AppConfiguration twice = withDefaultJob();
        twice.jobs[0].options.builtInExclusions = { BuiltInExclusion::git };
        QTest::newRow("exclusion named twice, escaped slash")
            << withJob(options)
                   .replace("[], \"custom", "[\"git\", \"git\"], \"custom")
                   .replace("/home", "\\/home")
            << twice << "";

        QTest::newRow("port as text")
            << withDestination(R"("port": "22")") << none << "jobs[0].destinations[0].port";
        QTest::newRow("port with a fraction")
            << withDestination(R"("port": 22.5)") << none << "jobs[0].destinations[0].port";
        QTest::newRow("unknown destination kind")
            << withDestination(R"("kind": "ftp")") << none << "jobs[0].destinations[0].kind";
        QTest::newRow("mode with a capital") << withJob(R"("mode": "Mirror")") << none << "jobs[0].mode";
        QTest::newRow("mode with a leading blank")
            << withJob(R"("mode": " mirror")") << none << "jobs[0].mode";
        QTest::newRow("empty result")
            << withDestination(R"("lastResult": "")") << none << "jobs[0].destinations[0].lastResult";
        QTest::newRow("name as number") << withJob(R"("name": 5)") << none << "jobs[0].name";
        QTest::newRow("schedule without customMinutes")
            << withJob(R"("schedule": {"kind": "daily", "hour": 2, "minute": 0, "weekday": 2})") << none
            << "jobs[0].schedule.customMinutes";
        QTest::newRow("schedule with a null") << withDestination(
            R"("schedule": {"kind": "daily", "hour": null, "minute": 0, "weekday": 2, "customMinutes": 5})")
                                              << none << "jobs[0].destinations[0].schedule.hour";
        QTest::newRow("source without displayName")
            << QByteArray(R"({"jobs": [{"source": {"path": "/home/ana"}}]})") << none
            << "jobs[0].source.displayName";
        QTest::newRow("job without source")
            << QByteArray(R"({"jobs": [{"name": "x"}], "settings": {}})") << none << "jobs[0].source";
        QTest::newRow("options without customExclusions")
            << withJob(QByteArray(options).replace(R"(, "customExclusions": [])", "")) << none
            << "jobs[0].options.customExclusions";
        QTest::newRow("exclusion with a capital")
            << withJob(QByteArray(options).replace("[], \"custom", "[\"Git\"], \"custom")) << none
            << "jobs[0].options.builtInExclusions[0]";
        QTest::newRow("bookmark not Base64") << QByteArray(
            R"({"jobs": [{"source": {"path": "/", "displayName": "r", "bookmark": "no*base64"}}]})")
                                             << none << "jobs[0].source.bookmark";
        QTest::newRow("bad UUID") << withJob(R"("id": "6a1f0c6e-3b7d-4f0e-9a55")") << none << "jobs[0].id";
        QTest::newRow("date without time")
            << QByteArray(R"({"updatedAt": "2026-12-09"})") << none << "updatedAt";
        // No text could write these back: the next save would lose them, and the launch after it every job.
        QTest::newRow("offset moves the date before year 1")
            << QByteArray(R"({"updatedAt": "0001-01-01T00:00:00+01:00"})") << none << "updatedAt";
        QTest::newRow("offset moves the date past year 9999")
            << withJob(R"("createdAt": "9999-12-31T23:30:00-01:00")") << none << "jobs[0].createdAt";
        QTest::newRow("one bad setting") << QByteArray(R"({"settings": {"maxConcurrentJobs": "2"}})") << none
                                         << "settings.maxConcurrentJobs";
        QTest::newRow("jobs not an array")
            << QByteArray(R"({"jobs": {}})") << none << "jobs: expected an array";
        QTest::newRow("not JSON") << QByteArray("{\"jobs\": [") << none << "not valid JSON";
        QTest::newRow("not an object") << QByteArray("[]") << none << "does not hold a JSON object";
    }

    void reading()
    {
        QFETCH(QByteArray, json);
        QFETCH(AppConfiguration, expected);
        QFETCH(QString, error);

        auto read = ConfigurationCoding::decode(json, readingTime);
        if (!error.isEmpty()) {
            QVERIFY2(!read, "the document should not read");
            QVERIFY2(read.error().contains(error), qPrintable(failure(read)));
            return;
        }
        QVERIFY2(read, qPrintable(failure(read)));
        blankFreshIds(*read, expected);
        QCOMPARE(ConfigurationCoding::encode(*read), ConfigurationCoding::encode(expected));
        QVERIFY(*read == expected);
    }

    // Every number is held where it is read to the range its users act on, so none is narrowed where it is
    // used: a retention of 2^32 + 1 days once became 1 day and deleted the history.
    void numbersAreHeldToTheirRangeWhenRead_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("field");
        QTest::addColumn<qint64>("read");
        QTest::addColumn<QString>("repair"); // empty: the value reads as it stands

        const auto setting = [](const char* key, const char* value) {
            return QByteArray("{\"settings\": {\"") + key + "\": " + value + "}}";
        };
        const auto destination = [](const char* key, const char* value) {
            return withDestination(QByteArray("\"") + key + "\": " + value);
        };
        const auto transfer = [](const char* value) {
            return withJob(QByteArray(options).chopped(1) + R"(, "bandwidthLimitKBps": )" + value + "}");
        };

        QTest::newRow("retention days past 32 bits")
            << setting("historyRetentionDays", "4294967297") << "historyRetentionDays" << qint64(36500)
            << "settings.historyRetentionDays was 4294967297 and is now 36500";
        QTest::newRow("retention days at the top")
            << setting("historyRetentionDays", "36500") << "historyRetentionDays" << qint64(36500) << "";
        QTest::newRow("retention days negative")
            << setting("historyRetentionDays", "-4294967295") << "historyRetentionDays" << qint64(0)
            << "settings.historyRetentionDays was -4294967295 and is now 0";
        QTest::newRow("concurrent runs 0") << setting("maxConcurrentJobs", "0") << "maxConcurrentJobs"
                                           << qint64(1) << "settings.maxConcurrentJobs was 0 and is now 1";
        QTest::newRow("concurrent runs huge")
            << setting("maxConcurrentJobs", "9223372036854775807") << "maxConcurrentJobs" << qint64(4)
            << "settings.maxConcurrentJobs was 9223372036854775807 and is now 4";
        QTest::newRow("retries negative") << setting("retryAttempts", "-1") << "retryAttempts" << qint64(0)
                                          << "settings.retryAttempts was -1 and is now 0";
        QTest::newRow("retry delay past 32 bits")
            << setting("retryDelaySeconds", "4294967326") << "retryDelaySeconds" << qint64(86400)
            << "settings.retryDelaySeconds was 4294967326 and is now 86400";
        QTest::newRow("retry delay below 5 s")
            << setting("retryDelaySeconds", "2") << "retryDelaySeconds" << qint64(5)
            << "settings.retryDelaySeconds was 2 and is now 5";
        QTest::newRow("global bandwidth huge")
            << setting("bandwidthLimitKBps", "9223372036854775807") << "bandwidthLimitKBps"
            << qint64(1000000000)
            << "settings.bandwidthLimitKBps was 9223372036854775807 and is now 1000000000";
        QTest::newRow("global bandwidth negative")
            << setting("bandwidthLimitKBps", "-5") << "bandwidthLimitKBps" << qint64(0)
            << "settings.bandwidthLimitKBps was -5 and is now 0";
        QTest::newRow("job bandwidth huge")
            << transfer("4294967296") << "options.bandwidthLimitKBps" << qint64(1000000000)
            << "jobs[0].options.bandwidthLimitKBps was 4294967296 and is now 1000000000";
        QTest::newRow("snapshots kept past 32 bits")
            << destination("retention", "4294967298") << "retention" << qint64(10000)
            << "jobs[0].destinations[0].retention was 4294967298 and is now 10000";
        QTest::newRow("snapshots kept 0") << destination("retention", "0") << "retention" << qint64(1)
                                          << "jobs[0].destinations[0].retention was 0 and is now 1";
        QTest::newRow("destination retries") << destination("retryLimit", "9") << "retryLimit" << qint64(5)
                                             << "jobs[0].destinations[0].retryLimit was 9 and is now 5";
        QTest::newRow("destination retry delay")
            << destination("retryDelaySeconds", "-4294967296") << "destination retryDelaySeconds" << qint64(5)
            << "jobs[0].destinations[0].retryDelaySeconds was -4294967296 and is now 5";
        // Refused where it is used, with the path validation's message: a port brought into range would reach
        // another server.
        QTest::newRow("port out of range")
            << destination("port", "4294967318") << "port" << qint64(4294967318) << "";
        // Stored times of day wrap by design (25:00 is 01:00 the next day); schedules guard their own
        // arithmetic.
        QTest::newRow("hour past a day") << withJob(R"("schedule": {"kind": "daily", "hour": 4294967297,)"
                                                    R"( "minute": 0, "weekday": 2, "customMinutes": 60})")
                                         << "schedule.hour" << qint64(4294967297) << "";
    }

    void numbersAreHeldToTheirRangeWhenRead()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, field);
        QFETCH(qint64, read);
        QFETCH(QString, repair);

        const auto document = ConfigurationCoding::read(json, readingTime);
        QVERIFY2(document, qPrintable(document ? QString() : document.error()));
        const AppConfiguration& configuration = document->configuration;
        const AppSettings& settings = configuration.settings;
        const auto job = [&] { return configuration.jobs.value(0); };
        const auto destination = [&] { return job().destinations.value(0); };
        const QHash<QString, std::function<std::optional<qint64>()>> fields {
            { "historyRetentionDays", [&] { return settings.historyRetentionDays; } },
            { "maxConcurrentJobs", [&] { return settings.maxConcurrentJobs; } },
            { "retryAttempts", [&] { return settings.retryAttempts; } },
            { "retryDelaySeconds", [&] { return settings.retryDelaySeconds; } },
            { "bandwidthLimitKBps", [&] { return settings.bandwidthLimitKBps; } },
            { "options.bandwidthLimitKBps", [&] { return job().options.bandwidthLimitKBps; } },
            { "retention", [&] { return destination().retention; } },
            { "retryLimit", [&] { return destination().retryLimit; } },
            { "destination retryDelaySeconds", [&] { return destination().retryDelaySeconds; } },
            { "port", [&] { return destination().port; } },
            { "schedule.hour", [&] { return job().schedule.hour; } },
        };
        QVERIFY(fields.contains(field));
        QCOMPARE(fields.value(field)(), std::optional<qint64>(read));
        QCOMPARE(document->repairs, repair.isEmpty() ? QStringList() : QStringList { repair });

        // What is written back reads again unchanged, with nothing left to repair.
        const auto again = ConfigurationCoding::read(ConfigurationCoding::encode(configuration), readingTime);
        QVERIFY(again);
        QCOMPARE(again->repairs, QStringList());
    }

    // Two jobs with one id crashed every launch; a job's destinations are found by id as well. The later
    // records get fresh ids, nothing is dropped, and the order stays.
    void repeatedIdsAreGivenFreshOnes()
    {
        const QByteArray job = QByteArray("{") + source + R"(, "id": "6A1F0C6E-3B7D-4F0E-9A55-0D9E3C2B1A10",)"
            + R"( "destinations": [{"id": "B2C4E6F8-0A1B-4C3D-8E5F-7A9B1C2D3E4F", "name": "one"},)"
            + R"( {"id": "b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f", "name": "two"},)"
            + R"( {"id": "B2C4E6F8-0A1B-4C3D-8E5F-7A9B1C2D3E4F", "name": "three"}], "name": "%1"})";
        const QByteArray json = "{\"jobs\": [" + QByteArray(job).replace("%1", "first") + ", "
            + QByteArray(job).replace("%1", "second") + ", " + QByteArray(job).replace("%1", "third") + "]}";

        const auto document = ConfigurationCoding::read(json, readingTime);
        QVERIFY2(document, qPrintable(document ? QString() : document.error()));
        const QList<BackupJob>& jobs = document->configuration.jobs;
        QCOMPARE(jobs.size(), 3);
        const QUuid first("6a1f0c6e-3b7d-4f0e-9a55-0d9e3c2b1a10");
        const QUuid firstDestination("b2c4e6f8-0a1b-4c3d-8e5f-7a9b1c2d3e4f");
        QCOMPARE(jobs[0].id, first);
        QSet<QUuid> ids;
        for (const BackupJob& read : jobs) {
            ids.insert(read.id);
            QCOMPARE(read.destinations.size(), 3);
            QCOMPARE(read.destinations[0].id, firstDestination);
            QSet<QUuid> destinationIds;
            for (const BackupDestination& destination : read.destinations)
                destinationIds.insert(destination.id);
            QCOMPARE(destinationIds.size(), 3);
            QCOMPARE(read.destinations[2].name, QStringLiteral("three"));
        }
        QCOMPARE(ids.size(), 3);
        QCOMPARE(jobs[1].name, QStringLiteral("second"));
        QCOMPARE(jobs[2].name, QStringLiteral("third"));

        QStringList expected;
        for (int j = 0; j < 3; ++j) {
            for (int d = 1; d < 3; ++d)
                expected.append(
                    QStringLiteral("jobs[%1].destinations[%2].id repeated an earlier id and is now %3")
                        .arg(j)
                        .arg(d)
                        .arg(uuidText(jobs[j].destinations[d].id)));
        }
        for (int j = 1; j < 3; ++j)
            expected.append(QStringLiteral("jobs[%1].id repeated an earlier id and is now %2")
                                .arg(j)
                                .arg(uuidText(jobs[j].id)));
        QCOMPARE(document->repairs, expected);
    }

    void freshIdsDifferAtEachReading()
    {
        const auto first = ConfigurationCoding::decode(withDestination({}), readingTime);
        const auto second = ConfigurationCoding::decode(withDestination({}), readingTime);
        QVERIFY(first && second);
        QVERIFY(!first->jobs[0].id.isNull() && !first->jobs[0].destinations[0].id.isNull());
        QVERIFY(first->jobs[0].id != second->jobs[0].id);
        QVERIFY(first->jobs[0].destinations[0].id != second->jobs[0].destinations[0].id);
    }

    void rewritingLeavesOutNullsAndWritesWholeUtcSeconds()
    {
        const QByteArray json = withJob(
            R"("createdAt": "2026-12-09T08:21:00.999+01:00", "destinations": [{"modeOverride": null}])");
        const QByteArray written
            = ConfigurationCoding::encode(*ConfigurationCoding::decode(json, readingTime));
        QVERIFY(!written.contains("null"));
        QVERIFY(!written.contains("modeOverride"));
        QVERIFY(written.contains(R"("createdAt": "2026-12-09T07:21:00Z")"));
        QVERIFY(written.contains(R"("path": "\/home\/ana")"));
    }

    // What the writer writes, the reader reads as it was: dates at the ends of the years 1 to 9999, and a
    // date beyond them that did not come from a document, written as the nearest end.
    void datesAtTheEndsOfTheRangeReadBack()
    {
        AppConfiguration document = withDefaultDestination();
        document.updatedAt = at("0001-01-01T00:00:00Z");
        document.jobs[0].createdAt = at("9999-12-31T23:59:59Z");
        document.jobs[0].destinations[0].nextRun = QDateTime(QDate(-40, 3, 1), QTime(0, 0), Qt::UTC);
        document.jobs[0].destinations[0].lastSuccess = QDateTime(QDate(12000, 1, 1), QTime(0, 0), Qt::UTC);
        const auto read = ConfigurationCoding::decode(ConfigurationCoding::encode(document), readingTime);
        QVERIFY2(read, qPrintable(failure(read)));
        QCOMPARE(read->updatedAt, document.updatedAt);
        QCOMPARE(read->jobs[0].createdAt, document.jobs[0].createdAt);
        QCOMPARE(read->jobs[0].destinations[0].nextRun, at("0001-01-01T00:00:00Z"));
        QCOMPARE(read->jobs[0].destinations[0].lastSuccess, at("9999-12-31T23:59:59Z"));
    }

    void unsetDatesAreLeftOutSoTheDocumentStillReads()
    {
        AppConfiguration document = withDefaultDestination();
        document.jobs[0].createdAt = QDateTime();
        document.updatedAt = QDateTime();
        const auto read = ConfigurationCoding::decode(ConfigurationCoding::encode(document), readingTime);
        QVERIFY2(read, qPrintable(failure(read)));
        QCOMPARE(read->jobs[0].createdAt, readingTime);
        QCOMPARE(read->updatedAt, readingTime);
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationCoding)
#include "tst_ConfigurationCoding.moc"
