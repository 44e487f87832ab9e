#include "ui/models/dashboard/DashboardFrame.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/dashboard/DashboardSection.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace mv;

Q_DECLARE_METATYPE(std::optional<QRect>)
Q_DECLARE_METATYPE(std::optional<QString>)

class tst_DashboardNavigation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Names are exact and case-sensitive; titles and symbols follow the sidebar's table.
    void sectionNamesAndTitles()
    {
        using enum DashboardSection;
        const QList<DashboardSection> all = allSections();
        QCOMPARE(all.size(), 7);
        QCOMPARE(all.first(), overview);
        QCOMPARE(all.last(), settings);
        const QStringList titles { "Overview", "Backup Jobs", "Destinations", "Activity", "Restore",
            "Support", "Settings" };
        const QStringList names { "overview", "jobs", "destinations", "activity", "restore", "support",
            "settings" };
        for (qsizetype i = 0; i < all.size(); ++i) {
            QCOMPARE(sectionTitle(all[i]), titles[i]);
            QCOMPARE(sectionName(all[i]), names[i]);
            QCOMPARE(dashboardSection(names[i]), all[i]);
        }
        QCOMPARE(sectionSymbol(destinations), "externaldrive.connected.to.line.below");
        QCOMPARE(dashboardSection("Overview"), std::nullopt);
        QCOMPARE(dashboardSection(" jobs"), std::nullopt);

        const QList<SidebarGroup> groups = sidebarGroups();
        QCOMPARE(groups.size(), 3);
        QCOMPARE(groups[0].header, "Backups");
        QCOMPARE(groups[0].sections, (QList { overview, jobs, destinations }));
        QCOMPARE(groups[1].header, "Tools");
        QCOMPARE(groups[1].sections, (QList { activity, restore, support }));
        QCOMPARE(groups[2].header, std::nullopt);
        QCOMPARE(groups[2].sections, (QList { settings }));
    }

    // A fresh model shows the overview with nothing pending. Every request is announced even when its field
    // already holds it or its section is already shown; a section written again is no change.
    void requestsAreAnnouncedEveryTime()
    {
        DashboardModel model;
        QCOMPARE(model.section(), DashboardSection::overview);
        QVERIFY(!model.selectedJobID() && !model.presentNewJob() && !model.activityJobID());
        QVERIFY(model.activityQuery().isEmpty());

        QSignalSpy sections(&model, &DashboardModel::sectionChanged);
        QSignalSpy newJobs(&model, &DashboardModel::newJobRequested);
        QSignalSpy jobs(&model, &DashboardModel::jobRequested);
        QSignalSpy activities(&model, &DashboardModel::activityRequested);
        model.setSection(DashboardSection::overview);
        QCOMPARE(sections.count(), 0);

        model.requestNewJob();
        model.requestNewJob();
        QCOMPARE(newJobs.count(), 2);
        QVERIFY(model.presentNewJob());
        QCOMPARE(model.section(), DashboardSection::jobs);
        QCOMPARE(sections.count(), 1);

        const QUuid job = QUuid::createUuid();
        model.requestJob(job);
        model.requestJob(job);
        QCOMPARE(jobs.count(), 2);
        QCOMPARE(jobs.last().first().toUuid(), job);
        QCOMPARE(model.selectedJobID(), job);

        model.requestActivity(std::nullopt);
        QCOMPARE(activities.count(), 1);
        QCOMPARE(model.activityJobID(), std::nullopt);
        QCOMPARE(model.section(), DashboardSection::activity);
    }

    void frameText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QRect>>("expected");
        QTest::newRow("written form")
            << "{{100, 80}, {1360, 900}}" << std::optional(QRect(100, 80, 1360, 900));
        QTest::newRow("no spaces, fractions")
            << "{{-10.4,5},{900.6,600}}" << std::optional(QRect(-10, 5, 901, 600));
        QTest::newRow("empty") << "" << std::optional<QRect>();
        QTest::newRow("garbage") << "left top wide tall" << std::optional<QRect>();
        QTest::newRow("three numbers") << "{{1, 2}, {3}}" << std::optional<QRect>();
        QTest::newRow("nan") << "{{nan, 0}, {1040, 700}}" << std::optional<QRect>();
        QTest::newRow("infinite") << "{{0, 0}, {inf, 700}}" << std::optional<QRect>();
        QTest::newRow("huge") << "{{1e300, 0}, {1040, 700}}" << std::optional<QRect>();
        QTest::newRow("trailing text") << "{{0, 0}, {1040, 700}} x" << std::optional<QRect>();
    }

    // Only four finite numbers of pixel size in the nested-braces shape are read.
    void frameText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<QRect>, expected);
        QCOMPARE(DashboardFrame::parse(text), expected);
        if (expected)
            QCOMPARE(DashboardFrame::parse(DashboardFrame::format(*expected)), expected);
    }

    void restoredFrame_data()
    {
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QRect>("expected");
        const QRect centred(440, 190, 1040, 700); // on the 1920×1080 screen below
        QTest::newRow("nothing stored") << std::optional<QString>() << centred;
        QTest::newRow("too wide") << std::optional<QString>("{{10, 10}, {1400, 800}}") << centred;
        QTest::newRow("too small") << std::optional<QString>("{{10, 10}, {879, 700}}") << centred;
        QTest::newRow("largest, on screen")
            << std::optional<QString>("{{20, 30}, {1360, 900}}") << QRect(20, 30, 1360, 900);
        QTest::newRow("smallest, on screen")
            << std::optional<QString>("{{0, 0}, {880, 600}}") << QRect(0, 0, 880, 600);
        QTest::newRow("50 px strip on screen")
            << std::optional<QString>("{{1870, 100}, {1000, 700}}") << centred;
        QTest::newRow("mostly off screen") << std::optional<QString>("{{1600, 100}, {1000, 700}}") << centred;
        QTest::newRow("off every screen") << std::optional<QString>("{{5000, 5000}, {1000, 700}}") << centred;
        QTest::newRow("garbage") << std::optional<QString>("{{a, b}, {c, d}}") << centred;
        QTest::newRow("nan") << std::optional<QString>("{{nan, nan}, {1040, 700}}") << centred;
    }

    // A stored frame is used only when its size is within the limits and it is really on a screen.
    void restoredFrame()
    {
        QFETCH(std::optional<QString>, stored);
        QFETCH(QRect, expected);
        const QRect screen(0, 0, 1920, 1080);
        QCOMPARE(DashboardFrame::restored(stored, { screen }, screen), expected);
    }

    // A maximised window is stored as the centred default; with no screen, at its own origin.
    void savedFrame()
    {
        const QRect screen(0, 0, 1920, 1080);
        QCOMPARE(DashboardFrame::saved(QRect(5, 6, 1360, 900), screen), QRect(5, 6, 1360, 900));
        QCOMPARE(DashboardFrame::saved(QRect(0, 0, 1600, 1000), screen), QRect(440, 190, 1040, 700));
        QCOMPARE(DashboardFrame::saved(QRect(0, 0, 1000, 901), screen), QRect(440, 190, 1040, 700));
        QCOMPARE(DashboardFrame::saved(QRect(30, 40, 1600, 1000), std::nullopt), QRect(30, 40, 1040, 700));
        QCOMPARE(DashboardFrame::centredDefault(std::nullopt), QRect(0, 0, 1040, 700));
    }
};

QTEST_GUILESS_MAIN(tst_DashboardNavigation)
#include "tst_DashboardNavigation.moc"
