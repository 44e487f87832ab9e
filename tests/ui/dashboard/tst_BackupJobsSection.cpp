#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/DemoSeeder.h"
#include "support/IntegrationTimeout.h"
#include "support/ui/AccessibleMenu.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/BackupJobsSection.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/dashboard/JobListRow.h"
#include "ui/dashboard/SectionTestHelpers.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QtTest>

using namespace mv;

namespace {

// The Backup Jobs page as the dashboard shows it.
struct Jobs : test::DashboardViewHarness {
    void open()
    {
        build();
        model.setSection(DashboardSection::jobs);
    }
    BackupJobsSection& section() { return *view->sectionView()->findChild<BackupJobsSection*>(); }
    QStringList texts() { return test::visibleTexts(section()); }
    QStringList rowNames()
    {
        QStringList names;
        for (JobListRow* row : section().rows())
            names << row->job().name;
        return names;
    }
    void search(const QString& text) { section().searchField()->lineEdit()->setText(text); }
};

// "Docs" to "ssd", and "Archive", switched off, to "nas" and "usb".
void addDocsAndArchive(Jobs& j)
{
    j.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
    BackupJob off = j.hub.addJob("Archive", { { "nas", BackupMode::mirror }, { "usb", BackupMode::mirror } });
    off.isEnabled = false;
    off.mode = BackupMode::mirror;
    j.hub.store.replaceJob(off);
}

} // namespace

class tst_BackupJobsSection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each row shows the job's name, mode, destinations, status and last run; a disabled job carries "Off",
    // the idle tint, and is listed while "Show disabled" is on.
    void rows()
    {
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        QCOMPARE(j.rowNames(), (QStringList { "Docs", "Archive" }));
        QVERIFY(j.section().showDisabledBox()->isChecked());
        const QStringList texts = j.texts();
        for (const QString& expected :
            QStringList { "Incremental", "Mirror", "Off", "nas, usb", "ssd", "Never run" })
            QVERIFY2(texts.contains(expected), qPrintable(expected + " in " + texts.join(" | ")));
        const QList<JobListRow*> rows = j.section().rows();
        const auto offTags = [](JobListRow* row) {
            const QList<TagChip*> tags = row->findChildren<TagChip*>();
            return std::count_if(tags.begin(), tags.end(), [](TagChip* tag) { return tag->text() == "Off"; });
        };
        QCOMPARE(offTags(rows[0]), 0);
        QCOMPARE(offTags(rows[1]), 1);
        QCOMPARE(int(rows[1]->tint()), int(PaletteRole::idle));
        QCOMPARE(j.section().findChildren<Hairline*>().size(), 1);
        QVERIFY(test::saveLightAndDark(*j.view, "dashboard-jobs"));
    }

    // The search and the switch: blanks only filter nothing yet offer the clear button, a trailing blank
    // is matched, a destination path finds its job, the switch hides disabled jobs.
    void filter_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("showDisabled");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("clearButton");
        QTest::newRow("nothing typed") << "" << true << QStringList { "Docs", "Archive" } << false;
        QTest::newRow("blanks only") << "   " << true << QStringList { "Docs", "Archive" } << true;
        QTest::newRow("trailing blank") << "Docs " << true << QStringList {} << true;
        QTest::newRow("destination path") << "/usb" << true << QStringList { "Archive" } << true;
        QTest::newRow("case ignored") << "ARCH" << true << QStringList { "Archive" } << true;
        QTest::newRow("show disabled off") << "" << false << QStringList { "Docs" } << false;
    }
    void filter()
    {
        QFETCH(QString, query);
        QFETCH(bool, showDisabled);
        QFETCH(QStringList, shown);
        QFETCH(bool, clearButton);
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        j.search(query);
        j.section().showDisabledBox()->setChecked(showDisabled);
        QCOMPARE(j.rowNames(), shown);
        QCOMPARE(j.section().searchField()->clearButton()->isVisible(), clearButton);
        if (shown.isEmpty()) {
            QVERIFY(j.texts().contains("No jobs match"));
            QVERIFY(j.texts().contains("Try a different search, or show disabled jobs."));
            QVERIFY(!j.section().findChild<EmptyStateView*>()->actionButton());
        }
    }

    void filteredToNothingAndCleared()
    {
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        j.search("zzz");
        QVERIFY(j.texts().contains("No jobs match"));
        QVERIFY(test::saveLightAndDark(*j.view, "dashboard-jobs-filtered"));
        QTest::mouseClick(j.section().searchField()->clearButton(), Qt::LeftButton);
        QCOMPARE(j.rowNames(), (QStringList { "Docs", "Archive" }));
    }

    void noJobs()
    {
        Jobs j;
        j.build();
        j.model.setSection(DashboardSection::jobs);
        const QStringList texts = j.texts();
        QVERIFY(texts.contains("No backup jobs yet"));
        QVERIFY(texts.contains("Add a source folder and at least one destination."));
        QList<NavigationRequest> asked;
        connect(&j.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });
        QTest::mouseClick(j.section().findChild<EmptyStateView*>()->actionButton(), Qt::LeftButton);
        QCOMPARE(asked, (QList<NavigationRequest> { { NavigationRequest::Target::newJob, std::nullopt } }));
        QVERIFY(test::saveLightAndDark(*j.view, "dashboard-jobs-empty"));
    }

    // The "…" menu and the right-click menu in their orders, with the toggle's word following the job.
    void menus()
    {
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        const QList<JobListRow*> rows = j.section().rows();
        QCOMPARE(test::menuItems([&](QMenu& m) { rows[0]->moreButton()->fillMenu(m); }),
            (QStringList {
                "Run Now", "Edit\u2026", "Duplicate", "Disable", "-", "Show History", "-", "Delete\u2026" }));
        QCOMPARE(test::menuItems([&](QMenu& m) { rows[1]->fillContextMenu(m); }),
            (QStringList { "Edit\u2026", "Run Now", "Duplicate", "Enable", "-", "Delete\u2026" }));
    }

    // Both menus read in full on the accessibility tree at every opening, in turns, also after the earlier
    // menus are gone.
    void menusReadAloudEachTime()
    {
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        JobListRow* docs = j.section().rows()[0];
        const QStringList pullDown { "Run Now", "Edit\u2026", "Duplicate", "Disable", "-", "Show History",
            "-", "Delete\u2026" };
        const QStringList context { "Edit\u2026", "Run Now", "Duplicate", "Disable", "-", "Delete\u2026" };
        for (int opening = 1; opening <= 3; ++opening) {
            QContextMenuEvent rightClick(
                QContextMenuEvent::Mouse, QPoint(60, 10), docs->mapToGlobal(QPoint(60, 10)));
            QApplication::sendEvent(docs, &rightClick);
            QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(test::accessibleMenuItems(*menu), context);
            menu->close();
            MV_TRY_VERIFY(menu.isNull());

            QTest::mouseClick(docs->moreButton(), Qt::LeftButton);
            menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(test::accessibleMenuItems(*menu), pullDown);
            menu->close();
            MV_TRY_VERIFY(menu.isNull());
        }
    }

    // The commands reach the state hub and the dashboard: edit, duplicate, disable, history, delete.
    void commands()
    {
        Jobs j;
        addDocsAndArchive(j);
        j.open();
        QList<NavigationRequest> asked;
        connect(&j.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });
        JobListRow* docs = j.section().rows()[0];
        const BackupJob job = docs->job();

        QTest::mouseClick(docs, Qt::LeftButton, {}, QPoint(60, docs->height() / 2));
        QVERIFY(j.view->editor() && j.view->editor()->job.id == job.id);
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { docs->fillPullDownMenu(m); }, "Show History"));
        QCOMPARE(asked, (QList<NavigationRequest> { { NavigationRequest::Target::activity, job.id } }));
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { docs->fillContextMenu(m); }, "Delete\u2026"));
        // The one confirmation is the shell's: the page only asks for it.
        QCOMPARE(j.hub.context().jobs.pendingDeletion()->id, job.id);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { docs->fillContextMenu(m); }, "Duplicate"));
        MV_TRY_COMPARE(j.section().rows().size(), 3);
        QVERIFY(
            test::triggerMenuItem([&](QMenu& m) { j.section().rows()[0]->fillContextMenu(m); }, "Disable"));
        QVERIFY(!j.hub.store.job(job.id)->isEnabled);
        j.section().showDisabledBox()->setChecked(false);
        MV_TRY_COMPARE(j.rowNames().contains("Docs"), false);
    }

    // The command strip is dimmed at rest and full under the pointer, and clickable either way.
    void hoverStrip()
    {
        Jobs j;
        j.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        j.open();
        JobListRow* row = j.section().rows()[0];
        QCOMPARE(row->stripOpacity(), 0.55);
        QVERIFY(row->commandStrip()->isVisible());
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), row->mapToGlobal(QPointF(10, 10)));
        QApplication::sendEvent(row, &enter);
        QVERIFY(row->hovering());
        QCOMPARE(row->stripOpacity(), 1.0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(row, &leave);
        QCOMPARE(row->stripOpacity(), 0.55);
        const QList<IconButton*> buttons = row->commandStrip()->findChildren<IconButton*>();
        const auto edit = std::find_if(
            buttons.begin(), buttons.end(), [](IconButton* button) { return button->help() == "Edit job"; });
        QVERIFY(edit != buttons.end());
        QTest::mouseClick(*edit, Qt::LeftButton);
        QVERIFY(j.view->editor());
    }
};

MV_UI_TEST_MAIN(tst_BackupJobsSection)
#include "tst_BackupJobsSection.moc"
