#include "drive/GoogleRunLog.h"
#include "model/AppPaths.h"
#include "support/FileMode.h"
#include "support/TempDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using namespace mv;

namespace {

// Appends lines of filler until exactly `bytes` bytes (line feeds included) were accepted.
void fill(GoogleRunLog& log, qint64 bytes)
{
    const QString hundred(99, u'x');
    for (; bytes >= 200; bytes -= 100)
        log.append(hundred);
    if (bytes > 100) {
        log.append(QString(49, u'x'));
        bytes -= 50;
    }
    log.append(QString(int(bytes - 1), u'y'));
}

} // namespace

class tst_GoogleRunLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cap_data()
    {
        QTest::addColumn<qint64>("before");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("kept"); // the lines that reach the file, as written
        QTest::newRow("a line that fills the cap exactly, then not even an empty one")
            << qint64(1'999'990) << QStringList { "123456789", "" } << QStringList { "123456789" };
        QTest::newRow("a line too long, then a shorter one that fits")
            << qint64(1'999'995) << QStringList { "123456789", "abc" } << QStringList { "abc" };
        QTest::newRow("UTF-8 bytes are counted, not characters") // 4 characters, 9 bytes with the line feed
            << qint64(1'999'991) << QStringList { "éééé", "z" } << QStringList { "éééé" };
        QTest::newRow("redacted bytes are counted") // "token=•••" and a line feed: 16 bytes
            << qint64(1'999'984) << QStringList { "token=abc" } << QStringList { "token=•••" };
        QTest::newRow("a redacted line too long is dropped though the original would fit")
            << qint64(1'999'985) << QStringList { "token=abc" } << QStringList();
    }

    void cap()
    {
        QFETCH(qint64, before);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, kept);
        test::TempSupportDir support;
        GoogleRunLog log;
        fill(log, before);
        QCOMPARE(log.written(), before);
        for (const QString& line : lines)
            log.append(line);
        const QString path = log.finish();

        const QByteArray content = test::TempDir::read(path);
        QByteArray tail;
        for (const QString& line : kept)
            tail += line.toUtf8() + '\n';
        QCOMPARE(content.size(), before + tail.size());
        QCOMPARE(log.written(), content.size());
        QVERIFY(content.last(tail.size() + 1).startsWith('\n')); // the filler's last line came just before
        QCOMPARE(content.last(tail.size()), tail);
        QVERIFY(content.size() <= GoogleRunLog::limit);
    }

    void linesAreRedacted_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("written");
        QTest::newRow("token") << "ERROR refresh failed: token=abc"
                               << "ERROR refresh failed: token=•••";
        QTest::newRow("bearer") << "ERROR Authorization: Bearer ya29.xyz"
                                << "ERROR Authorization: Bearer •••";
        QTest::newRow("upload session URL")
            << "ERROR https://www.googleapis.com/upload/drive/v3/files?uploadType=resumable&upload_id=ADPyc-"
               "9xQ_z&x=1 answered 500"
            << "ERROR "
               "https://www.googleapis.com/upload/drive/v3/files?uploadType=resumable&upload_id=•••&x=1 "
               "answered 500";
        QTest::newRow("session identifier encoded") << "ERROR upload%3Fupload_id%3DADPyc9 gone"
                                                    << "ERROR upload%3Fupload_id%3D••• gone";
        QTest::newRow("nothing secret") << "UPLOAD a/b.txt (3 KB)"
                                        << "UPLOAD a/b.txt (3 KB)";
        // A name cannot make a line of its own, nor a false failure.
        QTest::newRow("line feed in a name") << "UPLOAD new\nline.txt (113 bytes)"
                                             << "UPLOAD new\\#012line.txt (113 bytes)";
        QTest::newRow("forged error") << "SKIP a\r\nERROR disk full"
                                      << "SKIP a\\#015\\#012ERROR disk full";
        QTest::newRow("tab, escape, next line, line separator") << QString(
            "SKIP \t\x1b\u0085\u2028.txt") << "SKIP \\#011\\#033\\#302\\#205\\#342\\#200\\#250.txt";
        QTest::newRow("a backslash starting an escape is escaped itself") << "SKIP a\\#012b \\n é"
                                                                          << "SKIP a\\#134#012b \\n é";
    }

    void linesAreRedacted()
    {
        QFETCH(QString, line);
        QFETCH(QString, written);
        test::TempSupportDir support;
        GoogleRunLog log;
        log.append(line);
        QCOMPARE(QString::fromUtf8(test::TempDir::read(log.finish())), written + u'\n');
    }

    void eachRunGetsItsOwnPrivateFile()
    {
        test::TempSupportDir support;
        GoogleRunLog first;
        GoogleRunLog second;
        first.append("INDEX reading the Drive folder tree");
        first.append("SKIP a.txt");
        const QString firstPath = first.finish();
        const QString secondPath = second.finish();
        first.append("after the end");

        QVERIFY(firstPath != secondPath);
        static const QRegularExpression name(
            QStringLiteral("^google-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.log$"));
        for (const QString& path : { firstPath, secondPath }) {
            QCOMPARE(QFileInfo(path).absolutePath(), AppPaths::logsDirectory());
            QVERIFY2(name.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
            QCOMPARE(test::permissionBits(path), 0600);
        }
        QCOMPARE(
            test::TempDir::read(firstPath), QByteArray("INDEX reading the Drive folder tree\nSKIP a.txt\n"));
        QCOMPARE(test::TempDir::read(secondPath), QByteArray());
    }

    void aLogThatCannotBeMadeDropsItsLines()
    {
        test::TempSupportDir support;
        support.write("Logs", "a file where the folder should be");
        GoogleRunLog log;
        log.append("UPLOAD a.txt");
        const QString path = log.finish();
        QCOMPARE(QFileInfo(path).absolutePath(), AppPaths::logsDirectory());
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(log.written(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleRunLog)
#include "tst_GoogleRunLog.moc"
