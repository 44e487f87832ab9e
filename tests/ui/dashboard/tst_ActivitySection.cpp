#include "coordination/HistoryFeed.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/ui/ModalKeys.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/ActivityDetailRow.h"
#include "ui/dashboard/ActivityInspector.h"
#include "ui/dashboard/ActivitySection.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/dashboard/SectionTestHelpers.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/models/dashboard/ActivityListModel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

#include <thread>

using namespace mv;

namespace {

// Local times on the harness's day (9 December 2026, the clock standing at 18:00).
QDateTime localAt(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute)).toUTC();
}

// The Activity page as the dashboard shows it, over a history the test writes first.
struct Activity : test::DashboardViewHarness {
    BackupJob docs;

    Activity()
    {
        clock.set(localAt(9, 18));
        docs = hub.addJob("Docs", { { "ssd", BackupMode::incremental }, { "nas", BackupMode::mirror } });
        build();
    }
    // A finished run of Docs to its first destination.
    BackupRunRecord record(const QDateTime& startedAt, RunResult result, int destination = 0)
    {
        BackupRunRecord run
            = BackupRunRecord::of(docs, docs.destinations[destination], RunTrigger::manual, startedAt);
        run.endedAt = startedAt.addSecs(61);
        run.result = result;
        run.bytesTransferred = 1500;
        run.filesCopied = 3;
        run.filesDeleted = 2;
        return run;
    }
    void write(const BackupRunRecord& run)
    {
        hub.state->history().begin(run);
        hub.state->history().finish(run);
    }
    void open()
    {
        hub.context().history.refresh();
        model.setSection(DashboardSection::activity);
        MV_TRY_VERIFY(section().hasLoaded());
    }
    ActivitySection& section() { return *view->sectionView()->findChild<ActivitySection*>(); }
    ActivityListModel& list() { return *section().listModel(); }
    // The list's runs, in list order: their rows in the list and what the rows say.
    QList<int> runRows() { return list().runRows(); }
    const BackupRunRecord& listed(int run) { return *list().record(runRows().at(run)); }
    QStringList rowTexts(int run)
    {
        return list().index(runRows().at(run)).data(ActivityListModel::TextsRole).toStringList();
    }
    bool rowSelected(int run)
    {
        return list().index(runRows().at(run)).data(ActivityListModel::SelectedRole).toBool();
    }
    QStringList texts() { return test::visibleTexts(section()); }
    QList<QUuid> shownIDs()
    {
        QList<QUuid> ids;
        for (const BackupRunRecord& run : section().records())
            ids << run.id;
        return ids;
    }
    // Answers the confirmation on screen with the button titled `title`.
    bool answer(const QString& boxTitle, const QString& title)
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->text() != boxTitle)
            return false;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == title) {
                button->click();
                return true;
            }
        }
        return false;
    }
};

} // namespace

class tst_ActivitySection : public QObject {
    Q_OBJECT

private:
    bool m_canMount = false;

private Q_SLOTS:
    void initTestCase() { m_canMount = test::enterPrivateMountNamespace(); }

    // Runs grouped by day, newest day first, newest run first within a day; one divider fewer than rows;
    // the newest run selected; the summary over what is loaded.
    void daysAndSummary()
    {
        Activity a;
        const BackupRunRecord morning = a.record(localAt(9, 10), RunResult::success);
        const BackupRunRecord early = a.record(localAt(9, 9), RunResult::failed);
        const BackupRunRecord lateYesterday = a.record(localAt(8, 23, 59), RunResult::cancelled);
        const BackupRunRecord older = a.record(localAt(1, 12), RunResult::success, 1);
        for (const BackupRunRecord& run : { early, older, morning, lateYesterday })
            a.write(run);
        a.open();
        QCOMPARE(a.section().dayHeaders(),
            (QStringList {
                "TODAY", "YESTERDAY", Format::dayHeader(localAt(1, 12), a.clock.now()).toUpper() }));
        QVERIFY(a.section().dayHeaders()[2].contains("DECEMBER"));
        QCOMPARE(a.shownIDs(), (QList<QUuid> { morning.id, early.id, lateYesterday.id, older.id }));
        // Each day a header and a card: the card's corners round on its first and last runs, and a hairline
        // follows every run but the day's last.
        QCOMPARE(a.runRows(), (QList<int> { 1, 2, 4, 6 }));
        QList<std::pair<bool, bool>> places;
        for (int row : a.runRows())
            places << std::pair(a.list().index(row).data(ActivityListModel::FirstInDayRole).toBool(),
                a.list().index(row).data(ActivityListModel::LastInDayRole).toBool());
        QCOMPARE(places,
            (QList<std::pair<bool, bool>> {
                { true, false }, { false, true }, { true, true }, { true, true } }));
        QCOMPARE(a.section().selectedID(), morning.id);
        QList<QString> values;
        for (TextLabel* value : a.section().summaryValues())
            values << value->text();
        QCOMPARE(values, (QList<QString> { "4", "2", "1", "6 KB" }));
        QStringList texts = a.texts();
        for (int run = 0; run < a.runRows().size(); ++run)
            texts << a.rowTexts(run);
        const QStringList first = a.rowTexts(0);
        QCOMPARE(first.mid(0, 4), (QStringList { "Docs", "\u2192", "ssd", "Copied" }));
        QCOMPARE(first.mid(5),
            (QStringList {
                "Manual", "\u00B7", "2 KB", "\u00B7", "3 copied, 0 updated, 2 deleted", "\u00B7", "1m 1s" }));
        for (const QString& expected :
            QStringList { "Copied", "Failed", "Cancelled", "3 copied, 0 updated, 2 deleted",
                "3 copied \u00B7 0 updated \u00B7 2 deleted", "1m 1s", "History kept for 90 days" })
            QVERIFY2(texts.contains(expected), qPrintable(expected + " in " + texts.join(" | ")));
        QVERIFY(test::saveLightAndDark(*a.view, "dashboard-activity"));
    }

    // The list view: runs span its width, an error makes a row taller, a click on a run selects it and one
    // on a day header changes nothing, and a right click opens the run's menu.
    void listViewRows()
    {
        Activity a;
        BackupRunRecord failed = a.record(localAt(9, 12), RunResult::failed);
        failed.errorSummary = "rsync failed: the destination is full";
        const BackupRunRecord copied = a.record(localAt(9, 11), RunResult::success);
        a.write(failed);
        a.write(copied);
        a.open();
        QListView& view = *a.section().listView();
        QVERIFY(view.isVisible());
        MV_TRY_VERIFY(view.visualRect(a.list().index(a.runRows()[1])).isValid());
        const QRect failedRow = view.visualRect(a.list().index(a.runRows()[0]));
        const QRect copiedRow = view.visualRect(a.list().index(a.runRows()[1]));
        QCOMPARE(failedRow.width(), view.viewport()->width());
        QCOMPARE(copiedRow.top(), failedRow.bottom() + 1);
        QVERIFY2(failedRow.height() > copiedRow.height(),
            qPrintable(QString("%1 against %2").arg(failedRow.height()).arg(copiedRow.height())));
        QCOMPARE(a.section().selectedID(), failed.id);

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, copiedRow.center());
        QCOMPARE(a.section().selectedID(), copied.id);
        QCOMPARE(a.section().inspector()->record()->id, copied.id);
        QVERIFY(a.rowSelected(1) && !a.rowSelected(0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(a.list().index(0)).center());
        QCOMPARE(a.section().selectedID(), copied.id);

        QContextMenuEvent rightClick(
            QContextMenuEvent::Mouse, failedRow.center(), view.viewport()->mapToGlobal(failedRow.center()));
        QCoreApplication::sendEvent(view.viewport(), &rightClick);
        QMenu* menu = nullptr;
        MV_TRY_VERIFY((menu = a.section().findChild<QMenu*>()) && menu->isVisible());
        QStringList items;
        for (QAction* action : menu->actions())
            items << (action->isSeparator() ? "-" : action->text());
        QCOMPARE(items, (QStringList { "View Details", "View Log", "-", "Delete Entry\u2026" }));
        menu->close();
    }

    // A row measured on the list loader's worker paints exactly as one made here, whether its texts fit,
    // must be cut short or wrap.
    void rowMadeOffTheMainThread_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("width");
        QTest::newRow("fits") << "Docs"
                              << "ssd"
                              << "" << 560;
        QTest::newRow("names cut short") << QString("Quarterly reports and scanned receipts ").repeated(3)
                                         << QString("Offsite archive disk ").repeated(3) << "" << 420;
        QTest::newRow("error wraps") << "Docs"
                                     << "nas"
                                     << QString("rsync: write failed on the destination: ").repeated(6)
                                     << 420;
    }
    void rowMadeOffTheMainThread()
    {
        QFETCH(QString, job);
        QFETCH(QString, destination);
        QFETCH(QString, error);
        QFETCH(int, width);
        Activity a;
        BackupRunRecord run
            = a.record(localAt(9, 12), error.isEmpty() ? RunResult::success : RunResult::failed);
        run.jobName = job;
        run.destinationName = destination;
        if (!error.isEmpty())
            run.errorSummary = error;
        a.open();

        std::shared_ptr<const ActivityDetailRow> offMain;
        std::thread worker([&] {
            const ActivityDetailRow::ThreadFonts fonts;
            offMain = std::make_shared<const ActivityDetailRow>(run);
            offMain->height(width);
        });
        worker.join();
        const ActivityDetailRow here(run);
        const QRectF frame(0, 0, width, here.height(width));
        QCOMPARE(offMain->height(width), here.height(width));
        const auto painted = [&](const ActivityDetailRow& row) {
            QImage image(frame.size().toSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            row.paint(painter, frame, a.section().listView(), false);
            return image;
        };
        const QImage expected = painted(here);
        QVERIFY(expected != QImage(expected.size(), expected.format()));
        QCOMPARE(painted(*offMain), expected);
    }

    // The result and job pickers filter the loaded runs; running and skipped runs show only under all
    // results; the selection stays while it is loaded and goes to the newest run otherwise.
    void pickersAndSelection()
    {
        Activity a;
        BackupJob photos = a.hub.addJob("Photos", { { "usb", BackupMode::incremental } });
        const BackupRunRecord copied = a.record(localAt(9, 12), RunResult::success);
        const BackupRunRecord failed = a.record(localAt(9, 11), RunResult::failed);
        const BackupRunRecord skipped = a.record(localAt(9, 10), RunResult::skipped);
        BackupRunRecord other
            = BackupRunRecord::of(photos, photos.destinations[0], RunTrigger::schedule, localAt(9, 13));
        other.result = RunResult::success;
        other.endedAt = localAt(9, 14);
        for (const BackupRunRecord& run : { copied, failed, skipped, other })
            a.write(run);
        a.open();
        QCOMPARE(a.section().jobPicker()->count(), 3);
        QCOMPARE(a.section().jobPicker()->itemText(2), "Photos");

        a.section().select(copied.id);
        a.section().resultPicker()->setCurrentIndex(1);
        Q_EMIT a.section().resultPicker()->activated(1);
        MV_TRY_COMPARE(a.shownIDs(), (QList<QUuid> { other.id, copied.id }));
        QCOMPARE(a.section().selectedID(), copied.id);
        QCOMPARE(a.section().inspector()->record()->id, copied.id);

        a.section().jobPicker()->setCurrentIndex(2);
        Q_EMIT a.section().jobPicker()->activated(2);
        MV_TRY_COMPARE(a.shownIDs(), (QList<QUuid> { other.id }));
        QCOMPARE(a.section().selectedID(), other.id);

        a.section().resultPicker()->setCurrentIndex(0);
        Q_EMIT a.section().resultPicker()->activated(0);
        a.section().jobPicker()->setCurrentIndex(0);
        Q_EMIT a.section().jobPicker()->activated(0);
        MV_TRY_COMPARE(a.shownIDs().size(), 4);
        a.section().searchField()->lineEdit()->setText("nothing like it");
        MV_TRY_VERIFY(a.texts().contains("No runs match this search and filter."));
        QCOMPARE(a.section().selectedID(), std::nullopt);
        QVERIFY(a.texts().contains("Select a run"));
        QVERIFY(test::saveLightAndDark(*a.view, "dashboard-activity-filtered"));
    }

    // The job handed over by "Show History" filters the page once; the next opening lists every job.
    void handOverTakenOnce()
    {
        Activity a;
        a.model.setActivityQuery("Docs");
        a.model.requestActivity(a.docs.id);
        MV_TRY_COMPARE(a.section().jobFilter(), a.docs.id);
        QCOMPARE(a.model.activityJobID(), std::nullopt);
        QCOMPARE(a.section().searchField()->text(), "Docs");
        a.model.setSection(DashboardSection::jobs);
        a.model.setSection(DashboardSection::activity);
        QCOMPARE(a.section().jobFilter(), std::nullopt);
    }

    // One load lists and sums the 500 newest matching runs.
    void fiveHundredAtMost()
    {
        Activity a;
        for (int i = 0; i < 510; ++i)
            a.write(a.record(localAt(9, 17).addSecs(-60 * i), RunResult::success));
        a.open();
        QCOMPARE(a.section().records().size(), std::size_t(500));
        QCOMPARE(a.runRows().size(), 500);
        QCOMPARE(a.section().summaryValues()[0]->text(), "500");
    }

    // Deleting asks first and then selects the newest run left; clearing asks and leaves the empty page.
    void deleteAndClear()
    {
        Activity a;
        const BackupRunRecord newer = a.record(localAt(9, 12), RunResult::success);
        const BackupRunRecord older = a.record(localAt(9, 11), RunResult::failed);
        a.write(newer);
        a.write(older);
        a.open();
        // Return and Escape keep everything: only the destructive button itself goes ahead.
        for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Escape }) {
            QVERIFY(test::triggerMenuItem(
                [&](QMenu& m) { a.section().inspector()->fillMenu(m); }, "Delete Entry\u2026"));
            QVERIFY(test::pressOnModal(key));
            MV_TRY_VERIFY(!QApplication::activeModalWidget());
            QVERIFY(test::triggerMenuItem(
                [&](QMenu& m) { a.section().fillActionsMenu(m); }, "Clear History\u2026"));
            QVERIFY(test::pressOnModal(key));
            MV_TRY_VERIFY(!QApplication::activeModalWidget());
            QCoreApplication::processEvents();
            QCOMPARE(a.hub.rows().size(), std::size_t(2));
        }
        QVERIFY(test::triggerMenuItem(
            [&](QMenu& m) { a.section().inspector()->fillMenu(m); }, "Delete Entry\u2026"));
        QVERIFY(a.answer("Delete this history entry?", "Cancel"));
        QCOMPARE(a.hub.rows().size(), std::size_t(2));
        const BackupRunRecord first = a.listed(0);
        QVERIFY(test::triggerMenuItem(
            [&](QMenu& m) { a.section().fillRowMenu(m, first); }, "Delete Entry\u2026"));
        QVERIFY(a.answer("Delete this history entry?", "Delete Entry"));
        MV_TRY_COMPARE(a.shownIDs(), (QList<QUuid> { older.id }));
        QCOMPARE(a.section().selectedID(), older.id);

        QVERIFY(
            test::triggerMenuItem([&](QMenu& m) { a.section().fillActionsMenu(m); }, "Clear History\u2026"));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->informativeText(),
            "This removes the run records and their log references. Backup files are not touched.");
        QVERIFY(a.answer("Clear all history?", "Clear History"));
        MV_TRY_VERIFY(a.texts().contains("No activity yet"));
        QVERIFY(a.texts().contains("Runs appear here after the first backup."));
        QCOMPARE(a.section().selectedID(), std::nullopt);
        QVERIFY(a.hub.rows().empty());
        QVERIFY(test::saveLightAndDark(*a.view, "dashboard-activity-empty"));
    }

    // "Export CSV…" writes the history beside the program's files; a folder that cannot be written says so.
    void exportCsv()
    {
        Activity a;
        a.write(a.record(localAt(9, 12), RunResult::success));
        a.open();
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { a.section().fillActionsMenu(m); }, "Export CSV\u2026"));
        // The history writes the file on its own thread.
        MV_TRY_COMPARE(
            QDir(a.hub.support.path()).entryList({ "Marrowvale-history-*.csv" }, QDir::Files).size(), 1);
        QCOMPARE(a.hub.context().requests.banner(), std::nullopt);

        if (!m_canMount)
            QSKIP("a read-only support folder needs a mount");
        const auto readOnly = test::Mount::tmpfs(a.hub.support.path(), "ro,size=1m");
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { a.section().fillActionsMenu(m); }, "Export CSV\u2026"));
        MV_TRY_VERIFY(a.hub.context().requests.banner()
            && a.hub.context().requests.banner()->startsWith("The history could not be exported: "));
    }

    // "Run Again" for a run whose job or destination is gone raises the issue and starts nothing.
    void runAgainOnDeletedJob_data()
    {
        QTest::addColumn<bool>("wholeJob");
        QTest::newRow("job deleted") << true;
        QTest::newRow("destination removed") << false;
    }
    void runAgainOnDeletedJob()
    {
        QFETCH(bool, wholeJob);
        Activity a;
        const BackupRunRecord run = a.record(localAt(9, 12), RunResult::success, 1);
        a.write(run);
        if (wholeJob) {
            a.hub.store.deleteJob(a.docs.id);
        } else {
            BackupJob job = a.docs;
            job.destinations.removeLast();
            a.hub.store.replaceJob(job);
        }
        a.open();
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { a.section().inspector()->fillMenu(m); }, "Run Again"));
        const std::optional<CoordinatorIssue>& issue = a.hub.state->coordinator().issue();
        QVERIFY(issue);
        QCOMPARE(issue->title, "This job no longer exists");
        QCOMPARE(issue->message, "The job or destination for this run was deleted.");
        QCOMPARE(issue->recovery, QString("Create a new backup for this folder."));
        QVERIFY(a.hub.state->coordinator().activeRuns().isEmpty());
    }

    // The inspector's log: the preview, the truncation line, the menu and buttons by whether a log was kept.
    void inspectorLog()
    {
        Activity a;
        BackupRunRecord withLog = a.record(localAt(9, 12), RunResult::success);
        withLog.logPath = a.hub.files.write("logs/run.log", "sending files\npassword=hunter2\ndone\n");
        withLog.logTruncated = true;
        BackupRunRecord gone = a.record(localAt(9, 11), RunResult::failed);
        gone.logPath = a.hub.files.path() + "/logs/pruned.log";
        gone.errorSummary = "rsync failed";
        BackupRunRecord without = a.record(localAt(9, 10), RunResult::failed);
        for (const BackupRunRecord& run : { withLog, gone, without })
            a.write(run);
        a.open();
        ActivityInspector& inspector = *a.section().inspector();
        QCOMPARE(inspector.logPreviewText(), "sending files\npassword=\u2022\u2022\u2022\ndone\n");
        QVERIFY(a.texts().contains("The saved log was truncated at 2 MB."));
        QCOMPARE(test::menuItems([&](QMenu& m) { inspector.moreButton()->fillMenu(m); }),
            (QStringList { "Reveal Log", "Run Again", "-", "Delete Entry\u2026" }));
        QVERIFY(test::triggerMenuItem([&](QMenu& m) { inspector.fillMenu(m); }, "Reveal Log"));
        QCOMPARE(a.prompts.revealed, QStringList { *withLog.logPath });
        QTest::mouseClick(inspector.openLogButton(), Qt::LeftButton);
        QCOMPARE(a.view->logRecord()->id, withLog.id);

        a.section().select(gone.id);
        QCOMPARE(inspector.logPreviewText(), "No log file was kept for this run.");
        QVERIFY(inspector.openLogButton()->isEnabled());
        QVERIFY(!a.texts().contains("The saved log was truncated at 2 MB."));
        QVERIFY(a.texts().contains("rsync failed"));

        a.section().select(without.id);
        QVERIFY(!inspector.openLogButton()->isEnabled());
        QCOMPARE(test::menuItems([&](QMenu& m) { inspector.fillMenu(m); }),
            (QStringList { "Run Again", "-", "Delete Entry\u2026" }));
        QCOMPARE(a.listed(2).id, without.id);
        QVERIFY(a.rowSelected(2));
        QVERIFY(!a.rowSelected(0));
        QCOMPARE(test::menuItems([&](QMenu& m) { a.section().fillRowMenu(m, a.listed(2)); }),
            (QStringList { "View Details", "View Log", "-", "Delete Entry\u2026" }));
        QCOMPARE(test::menuItems([&](QMenu& m) { a.section().fillRowMenu(m, a.listed(0)); }),
            (QStringList { "View Details", "View Log", "Reveal Log", "-", "Delete Entry\u2026" }));
        QVERIFY(
            test::triggerMenuItem([&](QMenu& m) { a.section().fillRowMenu(m, a.listed(0)); }, "Reveal Log"));
        QCOMPARE(a.prompts.revealed, (QStringList { *withLog.logPath, *withLog.logPath }));
        QVERIFY(test::triggerMenuItem(
            [&](QMenu& m) { a.section().fillRowMenu(m, a.listed(0)); }, "View Details"));
        QCOMPARE(a.section().selectedID(), withLog.id);
        QVERIFY(a.rowSelected(0));
        QVERIFY(!a.rowSelected(2));
    }
};

MV_UI_TEST_MAIN(tst_ActivitySection)
#include "tst_ActivitySection.moc"
