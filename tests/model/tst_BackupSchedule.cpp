#include "model/BackupSchedule.h"
#include "model/IsoDate.h"

#include <QtTest>

using mv::BackupSchedule;
using mv::ScheduleKind;

namespace {

BackupSchedule schedule(
    ScheduleKind kind, qint64 hour = 2, qint64 minute = 0, qint64 weekday = 2, qint64 customMinutes = 60)
{
    return { kind, hour, minute, weekday, customMinutes };
}

QDateTime at(const char* text)
{
    return mv::parseIsoDate(QString::fromLatin1(text)).value();
}

} // namespace

Q_DECLARE_METATYPE(mv::BackupSchedule)

class tst_BackupSchedule : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nextRun_data()
    {
        QTest::addColumn<BackupSchedule>("schedule");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QDateTime>("expected"); // invalid: no next run

        const QString ny = QStringLiteral("America/New_York");
        const QString berlin = QStringLiteral("Europe/Berlin");
        const auto quarter = schedule(ScheduleKind::everyFifteenMinutes);
        const auto hourly = schedule(ScheduleKind::hourly);
        const auto daily2 = schedule(ScheduleKind::daily);
        const auto mondays2 = schedule(ScheduleKind::weekly, 2, 0, 2);
        // 2026 in New York: clocks go forward on 8 March at 02:00 and back on 1 November at 02:00
        // (01:00-02:00 happens twice). In Berlin: forward on 29 March at 02:00, back on 25 October at 03:00.

        QTest::newRow("manual") << schedule(ScheduleKind::manual, 9, 9, 9, 9) << ny
                                << at("2026-06-10T10:00:00Z") << QDateTime();
        QTest::newRow("onMount") << schedule(ScheduleKind::onMount) << ny << at("2026-06-10T10:00:00Z")
                                 << QDateTime();

        QTest::newRow("quarter: mid-quarter")
            << quarter << ny << at("2026-06-10T10:07:30-04:00") << at("2026-06-10T10:15:00-04:00");
        QTest::newRow("quarter: on the quarter")
            << quarter << ny << at("2026-06-10T10:15:00-04:00") << at("2026-06-10T10:30:00-04:00");
        QTest::newRow("quarter: to the hour")
            << quarter << ny << at("2026-06-10T10:52:00-04:00") << at("2026-06-10T11:00:00-04:00");
        QTest::newRow("quarter: to midnight")
            << quarter << berlin << at("2026-06-10T23:50:00+02:00") << at("2026-06-11T00:00:00+02:00");
        QTest::newRow("quarter: repeated hour, first pass")
            << quarter << ny << at("2026-11-01T01:20:00-04:00") << at("2026-11-01T01:30:00-04:00");
        QTest::newRow("quarter: end of first pass")
            << quarter << ny << at("2026-11-01T01:50:00-04:00") << at("2026-11-01T01:00:00-05:00");
        QTest::newRow("quarter: repeated hour, second pass")
            << quarter << ny << at("2026-11-01T01:20:00-05:00") << at("2026-11-01T01:30:00-05:00");
        QTest::newRow("quarter: second pass, Berlin")
            << quarter << berlin << at("2026-10-25T02:40:00+01:00") << at("2026-10-25T02:45:00+01:00");
        QTest::newRow("quarter: into the missing hour")
            << quarter << ny << at("2026-03-08T01:50:00-05:00") << at("2026-03-08T03:00:00-04:00");

        QTest::newRow("hourly: on the hour")
            << hourly << ny << at("2026-06-10T10:00:00-04:00") << at("2026-06-10T11:00:00-04:00");
        QTest::newRow("hourly: a second before")
            << hourly << ny << at("2026-06-10T10:59:59-04:00") << at("2026-06-10T11:00:00-04:00");
        QTest::newRow("hourly: repeated hour, first pass")
            << hourly << ny << at("2026-11-01T01:20:00-04:00") << at("2026-11-01T01:00:00-05:00");
        QTest::newRow("hourly: repeated hour, second pass")
            << hourly << ny << at("2026-11-01T01:20:00-05:00") << at("2026-11-01T02:00:00-05:00");
        QTest::newRow("hourly: second pass, Berlin")
            << hourly << berlin << at("2026-10-25T02:05:00+01:00") << at("2026-10-25T03:00:00+01:00");
        QTest::newRow("hourly: over the missing hour")
            << hourly << berlin << at("2026-03-29T01:30:00+01:00") << at("2026-03-29T03:00:00+02:00");

        QTest::newRow("daily: before the time")
            << daily2 << ny << at("2026-06-10T01:59:00-04:00") << at("2026-06-10T02:00:00-04:00");
        QTest::newRow("daily: at the time")
            << daily2 << ny << at("2026-06-10T02:00:00-04:00") << at("2026-06-11T02:00:00-04:00");
        QTest::newRow("daily: repeated time, first occurrence") << schedule(ScheduleKind::daily, 1,
            30) << ny << at("2026-10-31T12:00:00-04:00") << at("2026-11-01T01:30:00-04:00");
        QTest::newRow("daily: repeated time runs once") << schedule(ScheduleKind::daily, 1,
            30) << ny << at("2026-11-01T01:10:00-05:00") << at("2026-11-02T01:30:00-05:00");
        QTest::newRow("daily: missing time moves on by the gap") << schedule(ScheduleKind::daily, 2,
            30) << ny << at("2026-03-08T00:00:00-05:00") << at("2026-03-08T03:30:00-04:00");
        QTest::newRow("daily: the day after a missing time keeps the time") << schedule(ScheduleKind::daily,
            2, 30) << ny << at("2026-03-08T04:00:00-04:00") << at("2026-03-09T02:30:00-04:00");
        QTest::newRow("daily: Berlin, repeated time")
            << schedule(ScheduleKind::daily, 2, 30) << berlin << at("2026-10-25T00:00:00+02:00")
            << at("2026-10-25T02:30:00+02:00");

        QTest::newRow("daily: hour taken as stored")
            << schedule(ScheduleKind::daily, 25, 0) << ny << at("2026-06-10T12:00:00-04:00")
            << at("2026-06-11T01:00:00-04:00");
        QTest::newRow("weekly: values beyond any date") << schedule(
            ScheduleKind::weekly, std::numeric_limits<qint64>::max(), 0, std::numeric_limits<qint64>::max())
                                                        << ny << at("2026-06-10T12:00:00-04:00")
                                                        << at("2026-06-11T12:00:00-04:00");

        // 7 June 2026 is a Sunday.
        QTest::newRow("weekly: Sunday night")
            << mondays2 << ny << at("2026-06-07T23:00:00-04:00") << at("2026-06-08T02:00:00-04:00");
        QTest::newRow("weekly: Monday before")
            << mondays2 << ny << at("2026-06-08T01:59:00-04:00") << at("2026-06-08T02:00:00-04:00");
        QTest::newRow("weekly: Monday at the time")
            << mondays2 << ny << at("2026-06-08T02:00:00-04:00") << at("2026-06-15T02:00:00-04:00");
        QTest::newRow("weekly: Tuesday")
            << mondays2 << berlin << at("2026-06-09T12:00:00+02:00") << at("2026-06-15T02:00:00+02:00");
        QTest::newRow("weekly: across clocks going back")
            << mondays2 << ny << at("2026-10-30T12:00:00-04:00") << at("2026-11-02T02:00:00-05:00");
        QTest::newRow("weekly: repeated time, second pass") << schedule(ScheduleKind::weekly, 1, 30,
            1) << ny << at("2026-11-01T01:10:00-05:00") << at("2026-11-08T01:30:00-05:00");
        QTest::newRow("weekly: missing time")
            << schedule(ScheduleKind::weekly, 2, 30, 1) << berlin << at("2026-03-22T12:00:00+01:00")
            << at("2026-03-29T03:30:00+02:00");
        QTest::newRow("weekly: the week after a missing time keeps the time")
            << schedule(ScheduleKind::weekly, 2, 30, 1) << berlin << at("2026-03-29T04:00:00+02:00")
            << at("2026-04-05T02:30:00+02:00");

        QTest::newRow("custom: keeps seconds")
            << schedule(ScheduleKind::custom, 2, 0, 2, 90) << ny << at("2026-06-10T10:07:30.250Z")
            << at("2026-06-10T11:37:30.250Z");
        QTest::newRow("custom: zero is a minute") << schedule(ScheduleKind::custom, 2, 0, 2, 0) << ny
                                                  << at("2026-06-10T10:07:30Z") << at("2026-06-10T10:08:30Z");
        QTest::newRow("custom: negative is a minute") << schedule(ScheduleKind::custom, 2, 0, 2,
            -5) << ny << at("2026-06-10T10:07:30Z") << at("2026-06-10T10:08:30Z");
        QTest::newRow("custom: absolute time over clocks going back") << schedule(ScheduleKind::custom, 2, 0,
            2, 60) << ny << at("2026-11-01T01:30:00-04:00") << at("2026-11-01T01:30:00-05:00");
    }

    void nextRun()
    {
        QFETCH(BackupSchedule, schedule);
        QFETCH(QString, zone);
        QFETCH(QDateTime, after);
        QFETCH(QDateTime, expected);

        const std::optional<QDateTime> next = schedule.nextRun(after, QTimeZone(zone.toLatin1()));
        QCOMPARE(next.has_value(), expected.isValid());
        if (next) {
            QCOMPARE(next->toString(Qt::ISODateWithMs), expected.toString(Qt::ISODateWithMs));
            QVERIFY(*next > after);
        }
    }

    void nextRunIsAlwaysLaterAcrossTheNightClocksGoBack()
    {
        const QTimeZone zone("America/New_York");
        for (const ScheduleKind kind : { ScheduleKind::everyFifteenMinutes, ScheduleKind::hourly,
                 ScheduleKind::daily, ScheduleKind::weekly }) {
            const BackupSchedule rule = schedule(kind, 1, 30, 1);
            for (QDateTime after = at("2026-10-31T22:00:00-04:00"); after < at("2026-11-01T04:00:00-05:00");
                 after = after.addSecs(7 * 60))
                QVERIFY2(*rule.nextRun(after, zone) > after,
                    qPrintable(rule.summary() + after.toString(Qt::ISODate)));
        }
    }

    void summary_data()
    {
        QTest::addColumn<BackupSchedule>("schedule");
        QTest::addColumn<QString>("expected");
        QTest::newRow("manual") << schedule(ScheduleKind::manual) << "Manual";
        QTest::newRow("quarter") << schedule(ScheduleKind::everyFifteenMinutes) << "Every 15 min";
        QTest::newRow("hourly") << schedule(ScheduleKind::hourly) << "Hourly";
        QTest::newRow("daily") << schedule(ScheduleKind::daily, 7, 5) << "Daily at 07:05";
        QTest::newRow("weekly") << schedule(ScheduleKind::weekly, 23, 45, 4) << "Wednesday at 23:45";
        QTest::newRow("weekday 0") << schedule(ScheduleKind::weekly, 2, 0, 0) << "Sunday at 02:00";
        QTest::newRow("weekday 9") << schedule(ScheduleKind::weekly, 2, 0, 9) << "Saturday at 02:00";
        QTest::newRow("custom") << schedule(ScheduleKind::custom, 2, 0, 2, 90) << "Every 90 min";
        QTest::newRow("custom 0") << schedule(ScheduleKind::custom, 2, 0, 2, 0) << "Every 0 min";
        QTest::newRow("custom negative") << schedule(ScheduleKind::custom, 2, 0, 2, -5) << "Every -5 min";
        QTest::newRow("on mount") << schedule(ScheduleKind::onMount) << "When destination appears";
    }

    void summary()
    {
        QFETCH(BackupSchedule, schedule);
        QFETCH(QString, expected);
        QCOMPARE(schedule.summary(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_BackupSchedule)
#include "tst_BackupSchedule.moc"
