#include "drive/FileDigest.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace mv;

namespace {

// What md5sum answers for the file: the reference the digest must equal.
QString md5sum(const QString& path)
{
    QProcess process;
    process.start("md5sum", { path });
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("md5sum failed");
    return QString::fromLatin1(process.readAllStandardOutput().left(32));
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.generate() & 0xff);
    return bytes;
}

} // namespace

class tst_FileDigest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Around the 1 MiB chunk: empty, one byte, exactly one chunk, one byte more, many chunks.
    void equalsMd5sum_data()
    {
        QTest::addColumn<qsizetype>("size");

        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one byte") << qsizetype(1);
        QTest::newRow("one chunk") << qsizetype(1'048'576);
        QTest::newRow("one chunk and a byte") << qsizetype(1'048'577);
        QTest::newRow("50 MB") << qsizetype(50'000'000);
    }

    void equalsMd5sum()
    {
        QFETCH(qsizetype, size);
        test::TempDir dir;
        const QString path = dir.write("file.bin", randomBytes(size));
        const std::optional<QString> digest = GoogleDriveEngine::md5(QFile::encodeName(path));
        QVERIFY(digest.has_value());
        QCOMPARE(*digest, md5sum(path));
        if (size == 0)
            QCOMPARE(*digest, "d41d8cd98f00b204e9800998ecf8427e");
    }

    // What stands in a file's place after the scan gives no digest, and nothing is followed or waited on: a
    // FIFO without a writer would block an ordinary open for ever.
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");

        QTest::newRow("missing") << "missing";
        QTest::newRow("link to a file") << "link";
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, kind);
        test::TempDir dir;
        const QString target = dir.write("target.txt", "content");
        const QByteArray path = QFile::encodeName(dir.filePath("entry"));
        if (kind == "link")
            QCOMPARE(::symlink(QFile::encodeName(target).constData(), path.constData()), 0);
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == "folder")
            dir.mkdir("entry");
        QCOMPARE(GoogleDriveEngine::md5(path), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_FileDigest)
#include "tst_FileDigest.moc"
