#include "google/GoogleAuthError.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleDriveItem.h"
#include "google/GoogleDriveList.h"
#include "google/GoogleQuota.h"

#include <QtTest>

using namespace mv;

namespace {

// JSON written with single quotes, to keep the cases readable.
QByteArray json(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

const QByteArray folderJson
    = json("{'id':'f1','name':'Photos','mimeType':'application/vnd.google-apps.folder'}");

// The item's fields as one text, "-" for an absent one, so that a table can name what it expects.
QString describe(const GoogleDriveItem& item)
{
    const auto text = [](const std::optional<QString>& value) { return value.value_or(QStringLiteral("-")); };
    return QStringList { item.id, item.name, item.mimeType, text(item.size), text(item.md5Checksum),
        text(item.modifiedTime), item.parents ? item.parents->join(QLatin1Char('+')) : QStringLiteral("-"),
        item.trashed ? QString::number(*item.trashed) : QStringLiteral("-") }
        .join(QLatin1Char('|'));
}

QString quotaText(const std::optional<qint64>& count)
{
    return count ? QString::number(*count) : QStringLiteral("-");
}

} // namespace

// The Drive API's records, decoded strictly, and the error every Drive operation throws.
class tst_GoogleDriveRecords : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizeBytes_data()
    {
        QTest::addColumn<std::optional<QString>>("size");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("plain") << std::optional<QString>("1024") << qint64(1024);
        QTest::newRow("plus sign") << std::optional<QString>("+7") << qint64(7);
        QTest::newRow("minus sign") << std::optional<QString>("-5") << qint64(-5);
        QTest::newRow("absent") << std::optional<QString>() << qint64(0);
        QTest::newRow("empty") << std::optional<QString>("") << qint64(0);
        QTest::newRow("lone sign") << std::optional<QString>("+") << qint64(0);
        QTest::newRow("two signs") << std::optional<QString>("+-3") << qint64(0);
        QTest::newRow("digit then letter") << std::optional<QString>("1a") << qint64(0);
        QTest::newRow("blank around") << std::optional<QString>(" 12") << qint64(0);
        QTest::newRow("fraction") << std::optional<QString>("1.5") << qint64(0);
        QTest::newRow("non-ASCII digits")
            << std::optional<QString>(QStringLiteral("\u0661\u0662")) << qint64(0);
        QTest::newRow("largest") << std::optional<QString>("9223372036854775807")
                                 << std::numeric_limits<qint64>::max();
        QTest::newRow("one more than the largest")
            << std::optional<QString>("9223372036854775808") << qint64(0);
        QTest::newRow("smallest") << std::optional<QString>("-9223372036854775808")
                                  << std::numeric_limits<qint64>::min();
        QTest::newRow("one less than the smallest")
            << std::optional<QString>("-9223372036854775809") << qint64(0);
    }

    void sizeBytes()
    {
        QFETCH(std::optional<QString>, size);
        QFETCH(qint64, expected);
        GoogleDriveItem item;
        item.size = size;
        QCOMPARE(item.sizeBytes(), expected);
    }

    void itemDecoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        // describe() of the item, or the decoding error's text.
        QTest::addColumn<QString>("expected");

        QTest::newRow("every field") << json(
            "{'id':'a','name':'n.txt','mimeType':'text/plain','size':'12','md5Checksum':'0cc1',"
            "'modifiedTime':'2026-12-09T08:21:00.000Z','parents':['p','q'],'trashed':false,'kind':'x'}")
                                     << "a|n.txt|text/plain|12|0cc1|2026-12-09T08:21:00.000Z|p+q|0";
        QTest::newRow("required only")
            << folderJson << "f1|Photos|application/vnd.google-apps.folder|-|-|-|-|-";
        QTest::newRow("nulls are absent")
            << json("{'id':'a','name':'n','mimeType':'m','size':null,'parents':null,'trashed':null}")
            << "a|n|m|-|-|-|-|-";
        QTest::newRow("empty parents stay a list")
            << json("{'id':'a','name':'n','mimeType':'m','parents':[]}") << "a|n|m|-|-|-||-";
        QTest::newRow("size as a number") << json("{'id':'a','name':'n','mimeType':'m','size':12}")
                                          << "Google Drive's answer could not be read: \"size\" is not text.";
        QTest::newRow("size as a fractional number")
            << json("{'id':'a','name':'n','mimeType':'m','size':1.5}")
            << "Google Drive's answer could not be read: \"size\" is not text.";
        QTest::newRow("trashed as text")
            << json("{'id':'a','name':'n','mimeType':'m','trashed':'false'}")
            << "Google Drive's answer could not be read: \"trashed\" is not true or "
               "false.";
        QTest::newRow("a parent that is a number")
            << json("{'id':'a','name':'n','mimeType':'m','parents':['p',3]}")
            << "Google Drive's answer could not be read: \"parents\" holds a value that is not text.";
        QTest::newRow("missing id") << json("{'name':'n','mimeType':'m'}")
                                    << "Google Drive's answer could not be read: \"id\" is missing.";
        QTest::newRow("null name") << json("{'id':'a','name':null,'mimeType':'m'}")
                                   << "Google Drive's answer could not be read: \"name\" is missing.";
        QTest::newRow("empty body") << QByteArray()
                                    << "Google Drive's answer could not be read: it is not a JSON object.";
        QTest::newRow("an array") << QByteArray("[]")
                                  << "Google Drive's answer could not be read: it is not a JSON object.";
    }

    void itemDecoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        try {
            QCOMPARE(describe(GoogleDriveItem::decode(json)), expected);
        } catch (const GoogleDecodingError& error) {
            QCOMPARE(error.description(), expected);
        }
    }

    void itemEqualityCoversEveryField()
    {
        const GoogleDriveItem item
            = GoogleDriveItem::decode(json("{'id':'a','name':'n','mimeType':'m','size':'1','md5Checksum':'c',"
                                           "'modifiedTime':'t','parents':['p'],"
                                           "'trashed':false}"));
        QCOMPARE(
            GoogleDriveItem::decode(json("{'id':'a','name':'n','mimeType':'m','size':'1','md5Checksum':'c',"
                                         "'modifiedTime':'t','parents':['p'],'trashed':false}")),
            item);
        QCOMPARE(qHash(item, 7), qHash(GoogleDriveItem(item), 7));

        const std::vector<std::function<void(GoogleDriveItem&)>> changes {
            [](GoogleDriveItem& other) { other.modifiedTime = QStringLiteral("t2"); },
            [](GoogleDriveItem& other) { other.parents = QStringList(); },
            [](GoogleDriveItem& other) { other.parents.reset(); },
            [](GoogleDriveItem& other) { other.trashed.reset(); },
            [](GoogleDriveItem& other) { other.size.reset(); },
        };
        for (const auto& change : changes) {
            GoogleDriveItem other = item;
            change(other);
            QVERIFY(other != item);
        }
        GoogleDriveItem absent;
        GoogleDriveItem empty;
        empty.parents = QStringList();
        QVERIFY(absent != empty);
        QVERIFY(qHash(absent, 0) != qHash(empty, 0));
    }

    void listDecoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        // "<count>|<next page token or ->", or the decoding error's text.
        QTest::addColumn<QString>("expected");

        QTest::newRow("page with token")
            << json("{'files':[{'id':'a','name':'n','mimeType':'m'}],'nextPageToken':'t+/'}") << "1|t+/";
        QTest::newRow("empty token still means more") << json("{'files':[],'nextPageToken':''}") << "0|";
        QTest::newRow("last page") << json("{'files':[]}") << "0|-";
        QTest::newRow("no files") << json("{'nextPageToken':'t'}")
                                  << "Google Drive's answer could not be read: \"files\" is missing.";
        QTest::newRow("a file that is not an object")
            << json("{'files':['a']}")
            << "Google Drive's answer could not be read: \"files\" holds a value that is not an object.";
        QTest::newRow("one unreadable file fails the page")
            << json("{'files':[{'id':'a','name':'n','mimeType':'m'},{'id':'b','name':'n'}]}")
            << "Google Drive's answer could not be read: \"mimeType\" is missing.";
    }

    void listDecoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        try {
            const GoogleDriveList page = GoogleDriveList::decode(json);
            QCOMPARE(QStringLiteral("%1|%2").arg(page.files.size()).arg(page.nextPageToken.value_or("-")),
                expected);
        } catch (const GoogleDecodingError& error) {
            QCOMPARE(error.description(), expected);
        }
    }

    void quotaDecoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        // "<limit>|<usage>" in bytes, "-" for absent, or the decoding error's text.
        QTest::addColumn<QString>("expected");

        QTest::newRow("both") << json("{'storageQuota':{'limit':'16106127360','usage':'+42'}}")
                              << "16106127360|42";
        QTest::newRow("usage only") << json("{'storageQuota':{'usage':'42'}}") << "-|42";
        QTest::newRow("empty object") << QByteArray("{}") << "-|-";
        QTest::newRow("empty storage quota") << json("{'storageQuota':{}}") << "-|-";
        QTest::newRow("unreadable texts are absent, not 0")
            << json("{'storageQuota':{'limit':'','usage':'99999999999999999999'}}") << "-|-";
        QTest::newRow("limit as a number")
            << json("{'storageQuota':{'limit':15}}")
            << "Google Drive's answer could not be read: \"limit\" is not text.";
        QTest::newRow("storage quota as text")
            << json("{'storageQuota':'15'}")
            << "Google Drive's answer could not be read: \"storageQuota\" is not an object.";
    }

    void quotaDecoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        try {
            const GoogleQuotaBytes bytes = GoogleQuota::decode(json).bytes();
            QCOMPARE(quotaText(bytes.limit) + QLatin1Char('|') + quotaText(bytes.usage), expected);
        } catch (const GoogleDecodingError& error) {
            QCOMPARE(error.description(), expected);
        }
    }

    void errorDescriptions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");

        QTest::newRow("auth") << 0 << "Google Drive authorization failed. Invalid Credentials";
        QTest::newRow("auth, empty message") << 1 << "Google Drive authorization failed. ";
        QTest::newRow("api") << 2 << "Google Drive returned HTTP 404. File not found: %1.";
        QTest::newRow("api without a status") << 3 << "No folder";
        QTest::newRow("api, empty message") << 4 << "Google Drive returned HTTP 500. ";
        QTest::newRow("invalid response") << 5 << "Google Drive returned an unreadable response.";
        QTest::newRow("cancelled") << 6 << "The Google Drive transfer was cancelled.";
        QTest::newRow("session expired") << 7 << "The saved Google Drive upload session expired.";
    }

    void errorDescriptions()
    {
        QFETCH(int, index);
        QFETCH(QString, expected);
        const GoogleDriveError errors[] = {
            GoogleDriveError::auth(QStringLiteral("Invalid Credentials")),
            GoogleDriveError::auth(QString()),
            GoogleDriveError::api(404, QStringLiteral("File not found: %1.")),
            GoogleDriveError::api(0, QStringLiteral("No folder")),
            GoogleDriveError::api(500, QString()),
            GoogleDriveError::invalidResponse(),
            GoogleDriveError::cancelled(),
            GoogleDriveError::sessionExpired(),
        };
        QCOMPARE(errors[index].description(), expected);
        QCOMPARE(QString::fromUtf8(errors[index].what()), expected);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveRecords)
#include "tst_GoogleDriveRecords.moc"
