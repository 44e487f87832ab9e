#include "drive/GoogleProgressMeter.h"
#include "drive/ProgressCounts.h"
#include "support/ManualClock.h"

#include <QtTest>

using namespace mv;

struct Sample {
    int afterMs; // since the previous sample (the first: since the meter was made)
    qint64 bytes;
    double speed; // expected
};
Q_DECLARE_METATYPE(QList<Sample>)

class tst_GoogleProgressMeter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void speed_data()
    {
        QTest::addColumn<QList<Sample>>("samples");
        QTest::newRow("the first accepted sample is the raw rate") << QList<Sample> { { 1000, 1000, 1000 } };
        QTest::newRow("later samples move 30 % toward the rate")
            << QList<Sample> { { 1000, 1000, 1000 }, { 1000, 4000, 1600 } };
        // 50 ms is not more than 0.05 s: nothing changes and the bytes count in the next accepted sample.
        QTest::newRow("samples 0.05 s apart count later")
            << QList<Sample> { { 1000, 1000, 1000 }, { 50, 2000, 1000 }, { 50, 2000, 3700 } };
        QTest::newRow("just over 0.05 s is accepted") << QList<Sample> { { 51, 51, 1000 } };
        QTest::newRow("a repeated count restarts the interval")
            << QList<Sample> { { 1000, 1000, 1000 }, { 1000, 1000, 1000 }, { 500, 2000, 1300 } };
        QTest::newRow("a count going back changes nothing but the time")
            << QList<Sample> { { 1000, 1000, 1000 }, { 1000, 500, 1000 }, { 1000, 3000, 1300 } };
        QTest::newRow("no bytes yet") << QList<Sample> { { 1000, 0, 0 }, { 10, 0, 0 } };
        QTest::newRow("the speed never decays by itself")
            << QList<Sample> { { 1000, 1000, 1000 }, { 60'000, 1000, 1000 }, { 60'000, 1000, 1000 } };
    }

    void speed()
    {
        QFETCH(QList<Sample>, samples);
        test::ManualClock clock;
        GoogleProgressMeter meter(clock);
        for (const Sample& sample : samples) {
            clock.advance(std::chrono::milliseconds(sample.afterMs));
            QCOMPARE(meter.speed(sample.bytes), sample.speed);
        }
    }

    void snapshot_data()
    {
        QTest::addColumn<qint64>("doneBytes");
        QTest::addColumn<qint64>("totalBytes");
        QTest::addColumn<int>("filesDone");
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<double>("rate");
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<std::optional<double>>("eta");
        const std::optional<double> none;
        for (int done = 0; done <= 3; ++done)
            QTest::addRow("0 bytes, %d of 3 files", done)
                << qint64(0) << qint64(0) << done << 3 << 100.0 << std::optional(done / 3.0) << none;
        QTest::newRow("no files") << qint64(0) << qint64(0) << 0 << 0 << 100.0 << none << none;
        QTest::newRow("by bytes, not files")
            << qint64(250) << qint64(1000) << 3 << 4 << 10.0 << std::optional(0.25) << std::optional(75.0);
        QTest::newRow("nothing done")
            << qint64(0) << qint64(1000) << 0 << 4 << 10.0 << std::optional(0.0) << std::optional(100.0);
        QTest::newRow("more done than planned")
            << qint64(1200) << qint64(1000) << 4 << 4 << 10.0 << std::optional(1.0) << none;
        QTest::newRow("all done") << qint64(1000) << qint64(1000) << 4 << 4 << 10.0 << std::optional(1.0)
                                  << none;
        QTest::newRow("rate 0") << qint64(10) << qint64(1000) << 0 << 4 << 0.0 << std::optional(0.01) << none;
        QTest::newRow("one day left is shown")
            << qint64(0) << qint64(86'400) << 0 << 1 << 1.0 << std::optional(0.0) << std::optional(86'400.0);
        QTest::newRow("a second more is not")
            << qint64(0) << qint64(86'401) << 0 << 1 << 1.0 << std::optional(0.0) << none;
    }

    void snapshot()
    {
        QFETCH(qint64, doneBytes);
        QFETCH(qint64, totalBytes);
        QFETCH(int, filesDone);
        QFETCH(int, fileCount);
        QFETCH(double, rate);
        QFETCH(std::optional<double>, fraction);
        QFETCH(std::optional<double>, eta);
        const ProgressCounts counts { doneBytes, totalBytes, filesDone, fileCount,
            QStringLiteral("a/b.txt") };
        const GoogleProgressSnapshot expected { fraction, doneBytes, rate, filesDone, fileCount,
            QStringLiteral("a/b.txt"), eta };
        QCOMPARE(counts.snapshot(rate), expected);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleProgressMeter)
#include "tst_GoogleProgressMeter.moc"
