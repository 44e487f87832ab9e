#include "support/EnumCompare.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/editors/MinuteStepper.h"
#include "ui/editors/ScheduleFrequencyRows.h"
#include "ui/kit/CardSurface.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

using namespace mv;

Q_DECLARE_METATYPE(mv::ScheduleKind)

namespace {

const QString manualText = QStringLiteral("This destination only runs when you press Run Now.");
const QString mountText
    = QStringLiteral("Runs when the destination volume appears. Useful for USB drives and network shares.");

struct Rows {
    QWidget frame;
    ScheduleFrequencyRows* rows;
    QList<BackupSchedule> announced;

    explicit Rows(const BackupSchedule& schedule)
        : rows(new ScheduleFrequencyRows(schedule, manualText, mountText))
    {
        auto* card = cardSurface(rows, 10);
        card->setParent(&frame);
        card->resize(520, card->sizeHint().height());
        QObject::connect(rows, &ScheduleFrequencyRows::scheduleChanged,
            [this](const BackupSchedule& changed) { announced << changed; });
        frame.resize(520, 300);
        frame.show();
    }

    void pick(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
};

} // namespace

class tst_ScheduleFrequencyRows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsByKind_data()
    {
        QTest::addColumn<ScheduleKind>("kind");
        QTest::addColumn<QStringList>("texts");
        using enum ScheduleKind;
        QTest::newRow("manual") << manual << QStringList { "Frequency", "Manual", manualText };
        QTest::newRow("every 15 minutes") << everyFifteenMinutes << QStringList { "Frequency" };
        QTest::newRow("hourly") << hourly << QStringList { "Frequency" };
        QTest::newRow("daily") << daily << QStringList { "Frequency", "Time" };
        QTest::newRow("weekly") << weekly << QStringList { "Frequency", "Time", "Day" };
        QTest::newRow("custom") << custom
                                << QStringList { "Frequency", "Interval", "60 min", "Minutes between runs." };
        QTest::newRow("on mount") << onMount << QStringList { "Frequency", "Waiting", mountText };
    }

    // Each kind shows its rows and no others, whether it was stored or picked.
    void rowsByKind()
    {
        QFETCH(ScheduleKind, kind);
        QFETCH(QStringList, texts);
        BackupSchedule schedule;
        schedule.kind = kind;
        Rows stored(schedule);
        QCOMPARE(test::visibleTexts(*stored.rows), texts);
        QVERIFY(test::saveLightAndDark(stored.frame, QStringLiteral("schedule-rows-") + toString(kind)));

        Rows picked(BackupSchedule {});
        picked.pick(picked.rows->frequencyPicker(), int(kind));
        QCOMPARE(test::visibleTexts(*picked.rows), texts);
        QCOMPARE(picked.rows->schedule().kind, kind);
    }

    void pickerEntries()
    {
        Rows rows(BackupSchedule {});
        QComboBox* frequency = rows.rows->frequencyPicker();
        QStringList titles;
        for (int i = 0; i < frequency->count(); ++i)
            titles << frequency->itemText(i);
        QCOMPARE(titles,
            (QStringList { "Manual only", "Every 15 minutes", "Every hour", "Daily", "Weekly",
                "Custom interval", "When destination is available" }));
        QComboBox* day = rows.rows->dayPicker();
        QCOMPARE(day->count(), 7);
        QCOMPARE(day->itemText(0), "Sunday");
        QCOMPARE(day->itemText(6), "Saturday");
        QCOMPARE(frequency->width(), 200);
        QCOMPARE(rows.rows->timePicker()->width(), 100);
        QCOMPARE(day->width(), 130);
    }

    // A time picked writes the hour and minute and nothing else; a kind picked keeps the other fields.
    void fieldsKeepTheirValues()
    {
        BackupSchedule schedule;
        schedule.kind = ScheduleKind::weekly;
        schedule.weekday = 6;
        schedule.customMinutes = 45;
        Rows rows(schedule);
        QCOMPARE(rows.rows->dayPicker()->currentText(), "Friday");
        rows.rows->timePicker()->setTime(QTime(7, 30));
        QCOMPARE(rows.announced.last().hour, 7);
        QCOMPARE(rows.announced.last().minute, 30);
        QCOMPARE(rows.announced.last().weekday, 6);
        QCOMPARE(rows.announced.last().customMinutes, 45);

        rows.pick(rows.rows->frequencyPicker(), int(ScheduleKind::hourly));
        rows.pick(rows.rows->frequencyPicker(), int(ScheduleKind::weekly));
        QCOMPARE(rows.rows->dayPicker()->currentText(), "Friday");
        rows.pick(rows.rows->dayPicker(), 1);
        BackupSchedule expected = schedule;
        expected.hour = 7;
        expected.minute = 30;
        expected.weekday = 2;
        QCOMPARE(rows.rows->schedule(), expected);
        QCOMPARE(rows.announced.last(), expected);
    }

    void intervalSteps_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("presses");
        QTest::addColumn<qint64>("shown");
        QTest::newRow("up by five") << qint64(60) << true << 1 << qint64(65);
        QTest::newRow("down by five") << qint64(60) << false << 2 << qint64(50);
        QTest::newRow("stops at 5") << qint64(10) << false << 3 << qint64(5);
        QTest::newRow("stops at 1440") << qint64(1430) << true << 4 << qint64(1440);
        QTest::newRow("stored 3 kept until stepped") << qint64(3) << true << 0 << qint64(3);
        QTest::newRow("stored 3 stepped up") << qint64(3) << true << 1 << qint64(8);
        QTest::newRow("stored 2000 stepped down") << qint64(2000) << false << 1 << qint64(1440);
    }

    void intervalSteps()
    {
        QFETCH(qint64, stored);
        QFETCH(bool, up);
        QFETCH(int, presses);
        QFETCH(qint64, shown);
        BackupSchedule schedule;
        schedule.kind = ScheduleKind::custom;
        schedule.customMinutes = stored;
        Rows rows(schedule);
        MinuteStepper* stepper = rows.rows->intervalStepper();
        for (int i = 0; i < presses; ++i)
            QTest::mouseClick(up ? stepper->upButton() : stepper->downButton(), Qt::LeftButton);
        QCOMPARE(stepper->text(), QString::number(shown) + " min");
        QCOMPARE(rows.rows->schedule().customMinutes, shown);
    }

    // Hour and minute that form no time show the current time until one is picked.
    void impossibleTimeShowsNow()
    {
        BackupSchedule schedule;
        schedule.kind = ScheduleKind::daily;
        schedule.hour = 25;
        schedule.minute = 70;
        const QTime before = QTime::currentTime();
        Rows rows(schedule);
        const QTime shown = rows.rows->timePicker()->time();
        QVERIFY(shown.hour() == before.hour() || shown.hour() == QTime::currentTime().hour());
        QCOMPARE(rows.rows->schedule().hour, 25);
        QVERIFY(rows.announced.isEmpty());
    }
};

MV_UI_TEST_MAIN(tst_ScheduleFrequencyRows)
#include "tst_ScheduleFrequencyRows.moc"
