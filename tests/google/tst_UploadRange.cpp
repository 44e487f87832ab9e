#include "google/UploadRange.h"

#include <QtTest>

using namespace mv;

class tst_UploadRange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rangeEndIsTheNextOffset_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("present");
        QTest::addColumn<qint64>("next");
        QTest::newRow("first chunk") << "bytes=0-1048575" << true << qint64(1048576);
        QTest::newRow("space form") << "bytes 0-99" << true << qint64(100);
        QTest::newRow("blanks and plus") << "bytes=0- +41 " << true << qint64(42);
        QTest::newRow("start above end") << "bytes=9-3" << true << qint64(4);
        QTest::newRow("largest end below the limit")
            << "bytes=0-9223372036854775806" << true << qint64(9223372036854775807LL);
        QTest::newRow("open end") << "bytes=0-" << false << qint64(0);
        QTest::newRow("suffix form") << "bytes=-5" << false << qint64(0);
        QTest::newRow("three pieces") << "bytes=0-1-2" << false << qint64(0);
        QTest::newRow("two signs") << "bytes=0-++5" << false << qint64(0);
        QTest::newRow("not a number") << "bytes=0-x" << false << qint64(0);
        QTest::newRow("largest end") << "bytes=0-9223372036854775807" << false << qint64(0);
        QTest::newRow("beyond 64 bits") << "bytes=0-99999999999999999999" << false << qint64(0);
    }
    void rangeEndIsTheNextOffset()
    {
        QFETCH(QString, header);
        QFETCH(bool, present);
        QFETCH(qint64, next);
        QCOMPARE(UploadRange::rangeEnd(header), present ? std::optional(next) : std::nullopt);
    }

    void absentHeaderGivesNothing() { QCOMPARE(UploadRange::rangeEnd(std::nullopt), std::nullopt); }
};

QTEST_GUILESS_MAIN(tst_UploadRange)
#include "tst_UploadRange.moc"
