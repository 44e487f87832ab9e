#include "model/ConfigurationStore.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/ModalKeys.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "ui/dashboard/DashboardHeader.h"
#include "ui/dashboard/DashboardSidebar.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/dashboard/SidebarRow.h"
#include "ui/kit/IconButton.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace mv;

Q_DECLARE_METATYPE(mv::DashboardSection)

namespace {

using View = test::DashboardViewHarness;

} // namespace

class tst_DashboardView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerBySection_data()
    {
        QTest::addColumn<DashboardSection>("section");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<QStringList>("buttons");
        using enum DashboardSection;
        QTest::newRow("jobs") << jobs << "Each destination has its own schedule, status and retry policy."
                              << QStringList { "Run All", "Add Backup", "Support" };
        QTest::newRow("destinations") << destinations << "Every place your files are copied to."
                                      << QStringList { "Add Backup", "Support" };
        QTest::newRow("activity") << activity << "0 recorded runs \u00B7 Zero bytes transferred"
                                  << QStringList { "Export CSV", "Support" };
        QTest::newRow("restore")
            << restore << "Copy files back from any existing backup. Nothing is overwritten silently."
            << QStringList { "Support" };
        QTest::newRow("support") << support << "Setup help, diagnostics and fixes for common problems."
                                 << QStringList {};
        QTest::newRow("settings") << settings << "Marrowvale is showing in the taskbar"
                                  << QStringList { "Support" };
    }

    // Each section's title, line and buttons; the sidebar follows the section and picks it. The sections
    // still to come show their placeholder.
    void headerBySection()
    {
        QFETCH(DashboardSection, section);
        QFETCH(QString, subtitle);
        QFETCH(QStringList, buttons);
        View v;
        v.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        v.hub.settings([](AppSettings& s) { s.showMenuBarIcon = false; });
        v.build();
        QTest::mouseClick(v.view->sidebar()->row(section), Qt::LeftButton);
        QCOMPARE(v.model.section(), section);
        QCOMPARE(v.view->header()->title(), sectionTitle(section));
        QCOMPARE(v.view->header()->subtitle(), subtitle);
        QCOMPARE(v.view->header()->shownButtons(), buttons);

        v.model.setSection(DashboardSection::overview);
        QVERIFY(v.view->sidebar()->row(DashboardSection::overview)->isChecked());
        QVERIFY(!v.view->sidebar()->row(section)->isChecked());
        if (section == DashboardSection::settings) {
            v.model.setSection(section);
            QVERIFY(test::saveLightAndDark(*v.view, "dashboard-placeholder-settings"));
        }
    }

    // The sidebar does without the mouse: a screen reader's press or toggle, Space and Return on a row, and
    // the arrow key from the row shown all show the Backup Jobs page, not only mark its row.
    void sidebarWithoutMouse_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : { "press action", "toggle action", "space", "return", "down arrow" })
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void sidebarWithoutMouse()
    {
        QFETCH(QString, way);
        View v;
        v.build();
        v.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*v.view));
        QCOMPARE(v.model.section(), DashboardSection::overview);
        SidebarRow* jobs = v.view->sidebar()->row(DashboardSection::jobs);
        if (way.endsWith("action")) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(jobs);
            QVERIFY(accessible && accessible->actionInterface());
            accessible->actionInterface()->doAction(way == "press action"
                    ? QAccessibleActionInterface::pressAction()
                    : QAccessibleActionInterface::toggleAction());
        } else if (way == "down arrow") {
            SidebarRow* overview = v.view->sidebar()->row(DashboardSection::overview);
            overview->setFocus();
            QTest::keyClick(overview, Qt::Key_Down);
            QVERIFY(jobs->hasFocus());
        } else {
            jobs->setFocus();
            QTest::keyClick(jobs, way == "space" ? Qt::Key_Space : Qt::Key_Return);
        }
        MV_TRY_COMPARE(v.model.section(), DashboardSection::jobs);
        QCOMPARE(v.view->header()->title(), sectionTitle(DashboardSection::jobs));
        QVERIFY(jobs->isChecked());
    }

    // The help button goes to Support.
    void helpOpensSupport()
    {
        View v;
        v.build();
        for (IconButton* button : v.view->header()->findChildren<IconButton*>()) {
            if (button->help() == "Support")
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(v.model.section(), DashboardSection::support);
    }
};

MV_UI_TEST_MAIN(tst_DashboardView)
#include "tst_DashboardView.moc"
