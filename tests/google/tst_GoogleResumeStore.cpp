#include "google/GoogleResumeStore.h"
#include "support/FileMode.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TempDir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace mv;
using namespace mv::test;

namespace {

const QString key = QStringLiteral("folder1\x1f") + QStringLiteral("photos/a.jpg");

double secondsOf(const QDateTime& time)
{
    return time.toMSecsSinceEpoch() / 1000.0;
}

QStringList corruptCopies(const TempDir& dir)
{
    return QDir(dir.path()).entryList({ QStringLiteral("*.corrupt-*") }, QDir::Files);
}

QJsonObject filesOf(const QString& path)
{
    return QJsonDocument::fromJson(TempDir::read(path)).object().value(QStringLiteral("files")).toObject();
}

} // namespace

class tst_GoogleResumeStore : public QObject {
    Q_OBJECT

    ManualClock clock;
    RecordingSystemLog log;

    QString recordsPath(const TempDir& dir) const
    {
        return dir.filePath(QStringLiteral("google-resume.json"));
    }
    QString sessionsPath(const TempDir& dir) const
    {
        return dir.filePath(QStringLiteral("google-resume.sessions.json"));
    }

private Q_SLOTS:
    void undecodableFilesAreCopiedAsideAndStartEmpty_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<bool>("decodes");
        const QByteArray now = QByteArray::number(secondsOf(ManualClock().now()), 'f', 3);
        QTest::newRow("empty table") << QByteArray("{}") << true;
        QTest::newRow("modified null")
            << QByteArray("{\"size\":7,\"modified\":null,\"X\":\"A\",\"updated\":" + now + "}") << true;
        QTest::newRow("modified missing")
            << QByteArray("{\"size\":7,\"X\":\"A\",\"updated\":" + now + "}") << true;
        QTest::newRow("fractional size")
            << QByteArray("{\"size\":10.5,\"X\":\"A\",\"updated\":" + now + "}") << false;
        QTest::newRow("size as text")
            << QByteArray("{\"size\":\"7\",\"X\":\"A\",\"updated\":" + now + "}") << false;
        QTest::newRow("string member missing") << QByteArray("{\"size\":7,\"updated\":" + now + "}") << false;
        QTest::newRow("updated missing") << QByteArray("{\"size\":7,\"X\":\"A\"}") << false;
        QTest::newRow("no files member") << QByteArray() << false;
    }
    // Both files, each with its own corrupt-copy name; a record with no time matches only a file with none.
    void undecodableFilesAreCopiedAsideAndStartEmpty()
    {
        QFETCH(QByteArray, record);
        QFETCH(bool, decodes);
        const TempDir dir;
        const auto document = [&](const char* member, const char* value) {
            if (record.isEmpty())
                return QByteArray("{}");
            if (record == "{}")
                return QByteArray("{\"files\":{}}");
            QByteArray body = record;
            body.replace("\"X\":\"A\"", QByteArray("\"") + member + "\":\"" + value + "\"");
            return QByteArray("{\"files\":{\"k\":") + body + "}}";
        };
        const QByteArray records = document("md5", "0123456789abcdef0123456789abcdef");
        const QByteArray sessions = document("url", "http://127.0.0.1:1/upload?upload_id=x");
        dir.write(QStringLiteral("google-resume.json"), records);
        dir.write(QStringLiteral("google-resume.sessions.json"), sessions);

        GoogleResumeStore store(recordsPath(dir), clock, log);

        const bool hasRecord = decodes && record != "{}";
        QCOMPARE(store.md5(QStringLiteral("k"), 7, std::nullopt).has_value(), hasRecord);
        QCOMPARE(store.md5(QStringLiteral("k"), 7, clock.now()).has_value(), false);
        QCOMPARE(store.sessionURL(QStringLiteral("k"), 7, std::nullopt).has_value(), hasRecord);
        const QString stamp = QString::number(clock.now().toSecsSinceEpoch());
        if (decodes) {
            QVERIFY(corruptCopies(dir).isEmpty());
        } else {
            QCOMPARE(corruptCopies(dir),
                QStringList({ "google-resume-sessions.corrupt-" + stamp + ".json",
                    "google-resume.corrupt-" + stamp + ".json" }));
            QCOMPARE(TempDir::read(dir.filePath("google-resume.corrupt-" + stamp + ".json")), records);
            QCOMPARE(
                TempDir::read(dir.filePath("google-resume-sessions.corrupt-" + stamp + ".json")), sessions);
            QCOMPARE(permissionBits(dir.filePath("google-resume.corrupt-" + stamp + ".json")), 0600);
            // Left in place until the next save replaces it.
            QCOMPARE(TempDir::read(recordsPath(dir)), records);
        }
        QVERIFY(log.lines().isEmpty());
    }

    void sessionLookupMatchesSizeAndTime_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("shiftMs");
        QTest::addColumn<bool>("noTime");
        QTest::addColumn<bool>("returned");
        QTest::newRow("same") << qint64(100) << 0 << false << true;
        QTest::newRow("0.25 s later") << qint64(100) << 250 << false << true;
        QTest::newRow("0.25 s earlier") << qint64(100) << -250 << false << true;
        QTest::newRow("0.5 s later") << qint64(100) << 500 << false << false;
        QTest::newRow("other size") << qint64(101) << 0 << false << false;
        QTest::newRow("no time against a time") << qint64(100) << 0 << true << false;
    }
    void sessionLookupMatchesSizeAndTime()
    {
        QFETCH(qint64, size);
        QFETCH(int, shiftMs);
        QFETCH(bool, noTime);
        QFETCH(bool, returned);
        const TempDir dir;
        const QDateTime modified = QDateTime(QDate(2026, 11, 2), QTime(10, 0, 0, 120), Qt::UTC);
        const QString url = QStringLiteral("http://127.0.0.1:9/upload/drive/v3/files?upload_id=abc");
        {
            GoogleResumeStore store(recordsPath(dir), clock, log);
            store.storeSessionURL(url, key, 100, modified);
        }
        QCOMPARE(permissionBits(sessionsPath(dir)), 0600);
        GoogleResumeStore store(recordsPath(dir), clock, log);
        const auto lookedUp = noTime ? std::optional<QDateTime>() : std::optional(modified.addMSecs(shiftMs));

        QCOMPARE(store.sessionURL(key, size, lookedUp), returned ? std::optional(url) : std::nullopt);
        // A refused session is forgotten, on disk too; a returned one stays.
        QCOMPARE(filesOf(sessionsPath(dir)).contains(key), returned);
        QCOMPARE(store.sessionURL(key, 100, modified).has_value(), returned);
    }

    void agesAreBoundedForLookupAndPrune_data()
    {
        QTest::addColumn<int>("ageAdjust");
        QTest::addColumn<bool>("sessionSurvivesLoad");
        QTest::addColumn<bool>("sessionReturned");
        QTest::addColumn<bool>("recordKept");
        QTest::newRow("exactly the limit") << 0 << true << false << true;
        QTest::newRow("a second younger") << -1 << true << true << true;
        QTest::newRow("a second older") << 1 << false << false << false;
    }
    // A session exactly 6 days old survives pruning but is no longer handed out; a record exactly 45 days
    // old is kept.
    void agesAreBoundedForLookupAndPrune()
    {
        QFETCH(int, ageAdjust);
        QFETCH(bool, sessionSurvivesLoad);
        QFETCH(bool, sessionReturned);
        QFETCH(bool, recordKept);
        const TempDir dir;
        const double now = secondsOf(clock.now());
        const auto document = [](const char* member, double updated) {
            return QByteArray("{\"files\":{\"k\":{\"size\":5,\"") + member
                + "\":\"v\",\"updated\":" + QByteArray::number(updated, 'f', 3) + "}}}";
        };
        dir.write(QStringLiteral("google-resume.sessions.json"),
            document("url", now - GoogleResumeStore::sessionLifetime - ageAdjust));
        dir.write(QStringLiteral("google-resume.json"),
            document("md5", now - GoogleResumeStore::recordLifetime - ageAdjust));

        GoogleResumeStore store(recordsPath(dir), clock, log);

        QCOMPARE(store.md5(QStringLiteral("k"), 5, std::nullopt).has_value(), recordKept);
        store.storeSessionURL(
            QStringLiteral("http://127.0.0.1:9/other"), QStringLiteral("other"), 1, std::nullopt);
        QCOMPARE(filesOf(sessionsPath(dir)).contains("k"), sessionSurvivesLoad);
        QCOMPARE(store.sessionURL(QStringLiteral("k"), 5, std::nullopt).has_value(), sessionReturned);
    }

    void recordsAreCappedDroppingTheOldest()
    {
        const TempDir dir;
        const double now = secondsOf(clock.now());
        // Written by hand: a QJsonObject this large takes minutes to build.
        QByteArray document = "{\"files\":{";
        for (int i = 0; i <= GoogleResumeStore::recordCap; ++i)
            document += (i ? ",\"" : "\"") + QByteArray::number(i)
                + "\":{\"size\":1,\"md5\":\"d41d8cd98f00b204e9800998ecf8427e\",\"updated\":"
                + QByteArray::number(now - i, 'f', 3) + "}";
        dir.write(QStringLiteral("google-resume.json"), document + "}}");

        GoogleResumeStore store(recordsPath(dir), clock, log);
        store.storeMD5(
            QStringLiteral("0123456789abcdef0123456789abcdef"), QStringLiteral("0"), 1, std::nullopt);

        const QJsonObject saved = filesOf(recordsPath(dir));
        QCOMPARE(saved.size(), GoogleResumeStore::recordCap);
        QVERIFY(!saved.contains(QString::number(GoogleResumeStore::recordCap)));
        QVERIFY(saved.contains(QString::number(GoogleResumeStore::recordCap - 1)));
    }

    // The first digest of a process is saved at once, later ones within 10 s only at the flush.
    void recordSavesAreThrottledAndFlushed()
    {
        const TempDir dir;
        const QDateTime modified = QDateTime(QDate(2026, 10, 1), QTime(9, 0, 0, 500), Qt::UTC);
        GoogleResumeStore store(recordsPath(dir), clock, log);

        store.storeMD5(QString(), key, 10, modified);
        store.flushRecords();
        QVERIFY(!QFile::exists(recordsPath(dir)));

        store.storeMD5(QStringLiteral("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"), key, 10, modified);
        QCOMPARE(filesOf(recordsPath(dir)).size(), 1);
        QCOMPARE(permissionBits(recordsPath(dir)), 0600);

        clock.advance(std::chrono::seconds(3));
        store.storeMD5(
            QStringLiteral("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"), QStringLiteral("second"), 20, std::nullopt);
        QCOMPARE(filesOf(recordsPath(dir)).size(), 1);
        store.flushRecords();
        const QJsonObject saved = filesOf(recordsPath(dir));
        QCOMPARE(saved.size(), 2);
        QVERIFY(!saved.value("second").toObject().contains("modified"));

        GoogleResumeStore reloaded(recordsPath(dir), clock, log);
        QCOMPARE(reloaded.md5(key, 10, modified), std::optional<QString>("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
        QCOMPARE(reloaded.md5(key, 11, modified), std::nullopt);
        QCOMPARE(reloaded.md5(QStringLiteral("second"), 20, std::nullopt),
            std::optional<QString>("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"));
        QVERIFY(log.lines().isEmpty());
    }

    void removingAMissingSessionWritesNothing()
    {
        const TempDir dir;
        GoogleResumeStore store(recordsPath(dir), clock, log);
        store.storeSessionURL(QStringLiteral("http://127.0.0.1:9/s"), key, 1, std::nullopt);
        QFile::remove(sessionsPath(dir));

        store.removeSession(QStringLiteral("other"));
        QVERIFY(!QFile::exists(sessionsPath(dir)));
        store.removeSession(key);
        QCOMPARE(filesOf(sessionsPath(dir)).size(), 0);
    }

    void memoryOnlyStoreNeverWrites()
    {
        const TempDir dir;
        GoogleResumeStore store(QString(), clock, log);
        store.storeSessionURL(QStringLiteral("http://127.0.0.1:9/s"), key, 1, std::nullopt);
        store.storeMD5(QStringLiteral("cccccccccccccccccccccccccccccccc"), key, 1, std::nullopt);
        store.flushRecords();

        QCOMPARE(store.sessionURL(key, 1, std::nullopt), std::optional<QString>("http://127.0.0.1:9/s"));
        QCOMPARE(store.md5(key, 1, std::nullopt), std::optional<QString>("cccccccccccccccccccccccccccccccc"));
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(log.lines().isEmpty());
    }

    // A failed save is one log line; the tables stay in memory and the next digest tries again.
    void saveFailuresAreLoggedAndRetried()
    {
        const TempDir dir;
        const QString blocker = dir.write(QStringLiteral("blocker"), "a file where a folder should be");
        GoogleResumeStore store(QDir(blocker).filePath(QStringLiteral("google-resume.json")), clock, log);

        store.storeSessionURL(QStringLiteral("http://127.0.0.1:9/s"), key, 1, std::nullopt);
        store.storeMD5(QStringLiteral("dddddddddddddddddddddddddddddddd"), key, 1, std::nullopt);
        clock.advance(std::chrono::seconds(1));
        store.storeMD5(QStringLiteral("eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee"), key, 1, std::nullopt);

        const QStringList lines = log.lines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("Google Drive upload sessions could not be saved: "));
        QVERIFY(lines[1].startsWith("Google Drive resume records could not be saved: "));
        QCOMPARE(lines[2], lines[1]);
        QCOMPARE(store.sessionURL(key, 1, std::nullopt), std::optional<QString>("http://127.0.0.1:9/s"));
        QCOMPARE(store.md5(key, 1, std::nullopt), std::optional<QString>("eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee"));
    }
};

QTEST_GUILESS_MAIN(tst_GoogleResumeStore)
#include "tst_GoogleResumeStore.moc"
