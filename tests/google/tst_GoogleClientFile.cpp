#include "support/TempDir.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleClientFile.h"
#include "model/FileSystemError.h"

#include <QtTest>

#include <sys/stat.h>

using namespace mv;

namespace {

// JSON written with single quotes, to keep the cases readable.
QByteArray json(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

} // namespace

class tst_GoogleClientFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        // "id|secret" when decoded, "invalid" for invalidClientFile, "decoding" for a decoder error.
        QTest::addColumn<QString>("expected");

        QTest::newRow("desktop client") << json("{'installed':{'client_id':'a','client_secret':'b',"
                                                "'redirect_uris':['http://localhost'],'project_id':'p'}}")
                                        << "a|b";
        QTest::newRow("web client") << json("{'web':{'client_id':'a','client_secret':'b'}}") << "a|b";
        QTest::newRow("both: installed wins") << json("{'web':{'client_id':'w','client_secret':'ws'},'"
                                                      "installed':{'client_id':'i','client_secret':'is'}}")
                                              << "i|is";
        QTest::newRow("installed null: web")
            << json("{'installed':null,'web':{'client_id':'w','client_secret':'ws'}}") << "w|ws";
        QTest::newRow("blanks pass through")
            << json("{'installed':{'client_id':' a\\n','client_secret':'\\tb '}}") << " a\n|\tb ";
        QTest::newRow("empty object") << QByteArray("{}") << "invalid";
        QTest::newRow("other members only") << json("{'project_id':'p','other':{}}") << "invalid";
        QTest::newRow("installed without secret, web complete")
            << json("{'installed':{'client_id':'i'},'web':{'client_id':'w','client_secret':'ws'}}")
            << "decoding";
        QTest::newRow("client_id a number")
            << json("{'installed':{'client_id':5,'client_secret':'b'}}") << "decoding";
        QTest::newRow("secret null") << json("{'installed':{'client_id':'a','client_secret':null}}")
                                     << "decoding";
        QTest::newRow("section not an object") << json("{'installed':'a'}") << "decoding";
        QTest::newRow("an array") << json("[{'installed':{}}]") << "decoding";
        QTest::newRow("not JSON") << QByteArray("client_id=a") << "decoding";
    }

    void decoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        QString outcome;
        try {
            const GoogleClientFile file = GoogleClientFile::decode(json);
            outcome = file.details.client_id + "|" + file.details.client_secret;
        } catch (const GoogleAuthError& error) {
            QCOMPARE(error.kind(), GoogleAuthError::Kind::invalidClientFile);
            QCOMPARE(error.description(), QString("That file is not a Google OAuth client JSON file."));
            outcome = "invalid";
        } catch (const GoogleDecodingError& error) {
            QVERIFY(!error.description().isEmpty());
            outcome = "decoding";
        }
        QCOMPARE(outcome, expected);
    }

    void onlyASmallRegularFileIsRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("over 1 MiB") << "large"
                                    << "is larger than 1 MB";
        QTest::newRow("a FIFO") << "fifo"
                                << "is not a regular file";
        QTest::newRow("a folder") << "folder"
                                  << "is not a regular file";
        QTest::newRow("missing") << "missing"
                                 << "could not be opened";
    }

    void onlyASmallRegularFileIsRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        test::TempDir dir;
        const QByteArray good = json("{'installed':{'client_id':'a','client_secret':'b'}}");
        QString path = dir.filePath("client.json");
        if (kind == "large")
            dir.write("client.json", good + QByteArray(1024 * 1024, ' '));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            dir.mkdir("client.json");
        try {
            GoogleClientFile::read(path);
            QFAIL("read a file it should have refused");
        } catch (const FileSystemError& error) {
            QVERIFY2(error.description().contains(message), qPrintable(error.description()));
            QVERIFY(error.description().contains(path));
        }
        // Just under the limit is fine.
        dir.write("small.json", good + QByteArray(1024 * 1024 - good.size(), ' '));
        QCOMPARE(GoogleClientFile::read(dir.filePath("small.json")).details.client_secret, QString("b"));
    }
};

QTEST_GUILESS_MAIN(tst_GoogleClientFile)
#include "tst_GoogleClientFile.moc"
