#include "shell/StatusTooltip.h"
#include "shell/StatusTransition.h"
#include "support/ui/UiTestMain.h"

#include <QtTest>

#include <limits>

using namespace mv;
using Kind = AggregateStatus::Kind;

Q_DECLARE_METATYPE(AggregateStatus)
Q_DECLARE_METATYPE(std::optional<AggregateStatus>)
Q_DECLARE_METATYPE(std::optional<bool>)

class tst_TrayStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tooltip_data()
    {
        QTest::addColumn<AggregateStatus>("status");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("running") << AggregateStatus::running(std::nullopt, "Photos")
                                 << "Marrowvale \u2014 Backing up Photos";
        QTest::newRow("running at 43 %")
            << AggregateStatus::running(0.43, "Photos") << "Marrowvale \u2014 Backing up Photos \u00B7 43%";
        QTest::newRow("0.999 is not 100")
            << AggregateStatus::running(0.999, "Photos") << "Marrowvale \u2014 Backing up Photos \u00B7 99%";
        QTest::newRow("no number") << AggregateStatus::running(std::numeric_limits<double>::quiet_NaN(),
            "Photos") << "Marrowvale \u2014 Backing up Photos";
        QTest::newRow("paused") << AggregateStatus::paused("Photos") << "Marrowvale \u2014 Photos is paused";
        QTest::newRow("empty") << AggregateStatus::of(Kind::empty)
                               << "Marrowvale \u2014 No backups configured";
        QTest::newRow("ready") << AggregateStatus::of(Kind::ready) << "Marrowvale \u2014 Ready to back up";
        QTest::newRow("idle") << AggregateStatus::of(Kind::idle)
                              << "Marrowvale \u2014 Everything is up to date";
        QTest::newRow("waiting") << AggregateStatus::of(Kind::waiting)
                                 << "Marrowvale \u2014 Waiting for a destination";
        QTest::newRow("failed") << AggregateStatus::of(Kind::failed)
                                << "Marrowvale \u2014 A backup needs attention";
        QTest::newRow("offline") << AggregateStatus::of(Kind::offline)
                                 << "Marrowvale \u2014 A destination is offline";
        QTest::newRow("disabled") << AggregateStatus::of(Kind::disabled)
                                  << "Marrowvale \u2014 All backups are turned off";
    }
    void tooltip()
    {
        QFETCH(AggregateStatus, status);
        QFETCH(QString, tooltip);
        QCOMPARE(statusTooltip(status), tooltip);
    }

    void runEndings_data()
    {
        QTest::addColumn<std::optional<AggregateStatus>>("last");
        QTest::addColumn<AggregateStatus>("now");
        QTest::addColumn<std::optional<bool>>("ending");
        const auto running = std::optional(AggregateStatus::running(0.5, "Photos"));
        QTest::newRow("running to idle") << running << AggregateStatus::of(Kind::idle) << std::optional(true);
        QTest::newRow("running to waiting")
            << running << AggregateStatus::of(Kind::waiting) << std::optional(true);
        QTest::newRow("running to failed")
            << running << AggregateStatus::of(Kind::failed) << std::optional(false);
        QTest::newRow("running to offline")
            << running << AggregateStatus::of(Kind::offline) << std::optional(false);
        QTest::newRow("running to paused")
            << running << AggregateStatus::paused("Photos") << std::optional<bool>();
        QTest::newRow("running to ready")
            << running << AggregateStatus::of(Kind::ready) << std::optional<bool>();
        QTest::newRow("running to disabled")
            << running << AggregateStatus::of(Kind::disabled) << std::optional<bool>();
        QTest::newRow("paused to idle") << std::optional(AggregateStatus::paused("Photos"))
                                        << AggregateStatus::of(Kind::idle) << std::optional<bool>();
        QTest::newRow("nothing before")
            << std::optional<AggregateStatus>() << AggregateStatus::of(Kind::failed) << std::optional<bool>();
    }
    void runEndings()
    {
        QFETCH(std::optional<AggregateStatus>, last);
        QFETCH(AggregateStatus, now);
        QFETCH(std::optional<bool>, ending);
        QCOMPARE(finishedRun(last, now), ending);
    }
};

MV_UI_TEST_MAIN(tst_TrayStatus)
#include "tst_TrayStatus.moc"
