#include "model/Format.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace mv;

class tst_Format : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        // Local times, as the user sees them: Wednesday 9 December 2026, 08:21.
        const QDateTime now(QDate(2026, 12, 9), QTime(8, 21));

        QTest::newRow("grouped millions") << Format::grouped(1'234'567) << "1,234,567";
        QTest::newRow("grouped negative") << Format::grouped(-1'234) << "-1,234";
        QTest::newRow("grouped zero") << Format::grouped(0) << "0";

        QTest::newRow("relative absent") << Format::relative(std::nullopt, now) << "Never";
        QTest::newRow("relative same moment") << Format::relative(now, now) << "now";
        QTest::newRow("relative seconds") << Format::relative(now.addSecs(-30), now) << "30 sec. ago";
        QTest::newRow("relative minutes") << Format::relative(now.addSecs(-5 * 60 - 10), now) << "5 min. ago";
        QTest::newRow("relative hours ahead") << Format::relative(now.addSecs(90 * 60), now) << "in 1 hr.";
        QTest::newRow("relative last night")
            << Format::relative(now.addSecs(-12 * 3600), now) << "12 hr. ago";
        QTest::newRow("relative one day") << Format::relative(now.addSecs(-26 * 3600), now) << "yesterday";
        QTest::newRow("relative days") << Format::relative(now.addDays(-3), now) << "3 days ago";
        QTest::newRow("relative days ahead") << Format::relative(now.addDays(2), now) << "in 2 days";
        QTest::newRow("relative one week") << Format::relative(now.addDays(-8), now) << "last wk.";
        QTest::newRow("relative weeks") << Format::relative(now.addDays(-20), now) << "2 wk. ago";
        QTest::newRow("relative one month") << Format::relative(now.addDays(-40), now) << "last mo.";
        QTest::newRow("relative months") << Format::relative(now.addMonths(-5), now) << "5 mo. ago";
        QTest::newRow("relative years") << Format::relative(now.addYears(-2).addDays(-3), now) << "2 yr. ago";

        QTest::newRow("eta absent") << Format::eta(std::nullopt) << "Estimating time";
        QTest::newRow("eta negative") << Format::eta(-1) << "Estimating time";
        QTest::newRow("eta not a number") << Format::eta(nan) << "Estimating time";
        QTest::newRow("eta infinite") << Format::eta(infinity) << "Estimating time";
        QTest::newRow("eta under a second") << Format::eta(0.4) << "1s left";
        QTest::newRow("eta seconds") << Format::eta(59.4) << "59s left";
        QTest::newRow("eta rounds to a minute") << Format::eta(59.6) << "1m left";
        QTest::newRow("eta minutes") << Format::eta(3'599) << "59m left";
        QTest::newRow("eta one hour") << Format::eta(3'600) << "1h left";
        QTest::newRow("eta hour and minute") << Format::eta(3'660) << "1h 1m left";
        QTest::newRow("eta beyond 64 bits") << Format::eta(1e300) << "1281023894007607h 45m left";

        QTest::newRow("duration seconds") << Format::duration(59) << "59s";
        QTest::newRow("duration one minute") << Format::duration(60) << "1m";
        QTest::newRow("duration minute and second") << Format::duration(61) << "1m 1s";
        QTest::newRow("duration rounds") << Format::duration(59.5) << "1m";
        QTest::newRow("duration hours keep minutes") << Format::duration(7'200) << "2h 0m";
        QTest::newRow("duration hours") << Format::duration(3'661) << "1h 1m";
        QTest::newRow("duration negative") << Format::duration(-5) << "0s";
        QTest::newRow("duration not a number") << Format::duration(nan) << "0s";

        QTest::newRow("day today") << Format::dayHeader(QDateTime(QDate(2026, 12, 9), QTime(0, 0)), now)
                                   << "Today";
        QTest::newRow("day yesterday")
            << Format::dayHeader(QDateTime(QDate(2026, 12, 8), QTime(23, 59)), now) << "Yesterday";
        QTest::newRow("day this year")
            << Format::dayHeader(QDateTime(QDate(2026, 12, 7), QTime(12, 0)), now) << "Monday 7 December";
        QTest::newRow("day ahead") << Format::dayHeader(QDateTime(QDate(2026, 12, 10), QTime(1, 0)), now)
                                   << "Thursday 10 December";
        QTest::newRow("day other year") << Format::dayHeader(QDateTime(QDate(2025, 12, 9), QTime(12, 0)), now)
                                        << "Tuesday, December 9, 2025";

        QTest::newRow("percent capped") << Format::percent(1.7) << "100%";
        QTest::newRow("percent rounds down") << Format::percent(0.004) << "0%";
        QTest::newRow("percent rounds up") << Format::percent(0.006) << "1%";
        QTest::newRow("percent half") << Format::percent(0.5) << "50%";
        QTest::newRow("percent negative") << Format::percent(-0.5) << "0%";
        QTest::newRow("percent not a number") << Format::percent(nan) << "0%";

        QTest::newRow("bytes zero") << Format::bytes(0) << "Zero bytes";
        QTest::newRow("bytes negative") << Format::bytes(-5) << "Zero bytes";
        QTest::newRow("bytes one") << Format::bytes(1) << "1 byte";
        QTest::newRow("bytes plain") << Format::bytes(999) << "999 bytes";
        QTest::newRow("bytes kilo") << Format::bytes(1'000) << "1 KB";
        QTest::newRow("bytes kilo no decimals") << Format::bytes(12'499) << "12 KB";
        QTest::newRow("bytes mega") << Format::bytes(1'000'000) << "1 MB";
        QTest::newRow("bytes mega one decimal") << Format::bytes(4'540'000) << "4.5 MB";
        QTest::newRow("bytes just below giga") << Format::bytes(999'999'999) << "1,000 MB";
        QTest::newRow("bytes giga") << Format::bytes(1'000'000'000) << "1 GB";
        QTest::newRow("bytes giga two decimals") << Format::bytes(1'254'000'000) << "1.25 GB";
        QTest::newRow("bytes giga trailing zero") << Format::bytes(1'500'000'000) << "1.5 GB";
        QTest::newRow("bytes tera in giga") << Format::bytes(2'500'000'000'000) << "2,500 GB";
    }

    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(tst_Format)
#include "tst_Format.moc"
