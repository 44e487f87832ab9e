#include "coordination/ProgramRequests.h"
#include "coordination/RestoreCoordinator.h"
#include "model/ConfigurationStore.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/ScriptedRsync.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/StatusChip.h"
#include "ui/models/restore/RestoreEntryListModel.h"
#include "ui/models/shared/ProgressMetrics.h"
#include "ui/restore/BackupBrowserCard.h"
#include "ui/restore/BackupPickerCard.h"
#include "ui/restore/ConflictSheet.h"
#include "ui/restore/RestoreLocationControls.h"
#include "ui/restore/RestoreNoteCard.h"
#include "ui/restore/RestoreProgressCard.h"
#include "ui/restore/RestoreSection.h"

#include <QAccessible>
#include <QComboBox>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace mv;

namespace {

// The dashboard on its Restore section, with the parts the tests read and press.
struct Restore : test::DashboardViewHarness {
    Restore() { model.setSection(DashboardSection::restore); }

    RestoreSection& section() { return *view->sectionView()->findChild<RestoreSection*>(); }
    RestoreSectionModel& state() { return section().model(); }
    BackupBrowserCard& browser() { return *section().browser(); }
    BackupPickerCard& picker() { return *section().picker(); }
    RestoreProgressCard& card() { return *section().progressCard(); }
    RestoreCoordinator& restores() { return hub.state->coordinator().restores(); }
    QStringList texts() { return test::visibleTexts(*view); }

    void buildAndList()
    {
        build();
        waitForListing();
    }
    // Waits for the listing, then lets the layouts take the cards shown or hidden on its arrival.
    void waitForListing()
    {
        MV_TRY_VERIFY(!state().isLoading());
        settle();
    }
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
    // Ticks the row named `name` with a click on its name.
    void tick(const QString& name)
    {
        for (int row = 0; row < browser().rows()->rowCount(); ++row) {
            if (browser().rows()->entry(row).name == name) {
                QTest::mouseClick(
                    browser().list()->viewport(), Qt::LeftButton, {}, browser().nameCentre(row));
                return;
            }
        }
        QFAIL(qPrintable("no row " + name));
    }
    void choose(QComboBox* picker, int index)
    {
        picker->setCurrentIndex(index);
        Q_EMIT picker->activated(index);
    }
    QString phase() { return restores().restore() ? toString(restores().restore()->phase) : QString("none"); }
    QStringList items(QComboBox* picker)
    {
        QStringList result;
        for (int i = 0; i < picker->count(); ++i)
            result << picker->itemText(i);
        return result;
    }
};

void click(QWidget* button)
{
    QVERIFY(button);
    QVERIFY(button->isVisibleTo(button->window()));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class tst_RestoreSection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Without jobs only the way to make one; "Add Backup" asks for a new job. (The dashboard opens on its
    // overview when there is no job, so the section is shown on its own.)
    void noJobs()
    {
        Restore r;
        r.hub.build();
        RestoreSection section(r.hub.context(), r.prompts);
        section.resize(860, 400);
        section.show();
        QVERIFY(section.emptyState()->isVisibleTo(&section));
        QVERIFY(section.picker()->isHidden());
        QVERIFY(section.browser()->isHidden());
        QVERIFY(section.progressCard()->isHidden());
        QCOMPARE(test::visibleTexts(section),
            (QStringList { "No backups to restore from",
                "Create a backup job first. Restore becomes available as soon as a destination has content.",
                "Add Backup" }));
        QSignalSpy asked(&r.hub.context().requests, &ProgramRequests::navigationRequested);
        click(section.emptyState()->findChild<EmptyStateView*>()->actionButton());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).at(0).value<NavigationRequest>().target, NavigationRequest::Target::newJob);
        QVERIFY(test::saveLightAndDark(section, "restore-no-jobs"));
    }

    // The metrics line counts down only while the restore goes on: an ended one shows no time left.
    void cardTimeLeft_data()
    {
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<QStringList>("metrics");
        const QString speed = ProgressMetrics::speedText(2'000'000);
        const QString amount = QStringLiteral("20,004 of 20,004 files");
        QTest::newRow("running") << RunPhase::running << QStringList { speed, amount, "2s left" };
        QTest::newRow("completed") << RunPhase::completed << QStringList { speed, amount };
        QTest::newRow("failed") << RunPhase::failed << QStringList { speed, amount };
        QTest::newRow("cancelled") << RunPhase::cancelled << QStringList { speed, amount };
    }
    void cardTimeLeft()
    {
        QFETCH(RunPhase, phase);
        QFETCH(QStringList, metrics);
        Restore r;
        r.hub.build();
        RestoreProgressCard card(r.restores());
        RestoreProgressState state;
        state.phase = phase;
        state.message = QStringLiteral("Restore complete");
        state.progress.fraction = 1.0;
        state.progress.bytesPerSecond = 2'000'000;
        state.progress.filesCompleted = 20'004;
        state.progress.filesTotal = 20'004;
        state.progress.etaSeconds = 2;
        state.itemIndex = 0;
        state.itemCount = 1;
        state.target = QStringLiteral("/home/ann/Documents");
        card.present(state);
        card.resize(760, card.sizeHint().height());
        card.show();
        QCOMPARE(card.metrics(), metrics);
        QVERIFY(test::saveLightAndDark(card, "restore-card-" + toString(phase)));
    }

    // A versioned destination: the June snapshot first and browsed; choosing May lists May; the note says
    // snapshots are read only; "Reveal" opens the destination's folder.
    void versionedDestination()
    {
        Restore r;
        const BackupJob job = r.hub.addJob("Docs", { { "vault", BackupMode::versioned } });
        r.hub.addJob("Music", { { "usb", BackupMode::incremental } });
        r.hub.files.write("vault/2024-05-01_120000/may.txt", "m");
        r.hub.files.write("vault/2024-06-01_120000/june.txt", "j");
        r.buildAndList();
        QCOMPARE(r.items(r.picker().jobPicker()), (QStringList { "Choose a job", "Docs", "Music" }));
        QCOMPARE(r.picker().jobPicker()->currentText(), "Docs");
        QCOMPARE(r.picker().destinationPicker()->currentText(), "vault");
        QCOMPARE(r.items(r.picker().snapshotPicker()),
            (QStringList { "Jun 1, 2024 12:00 PM", "May 1, 2024 12:00 PM" }));
        QCOMPARE(r.picker().snapshotPicker()->currentIndex(), 0);
        QCOMPARE(r.state().rootPath(), job.destinations[0].path + "/2024-06-01_120000");
        QCOMPARE(r.picker().note(), "Snapshots are read only. Choose the date you want to go back to.");
        QCOMPARE(r.browser().rows()->entry(0).name, "june.txt");
        r.tick("june.txt");
        Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-versioned"));

        r.choose(r.picker().snapshotPicker(), 1);
        r.waitForListing();
        QCOMPARE(r.browser().rows()->entry(0).name, "may.txt");
        QCOMPARE(r.browser().selectionSummary(), "1 item selected");

        click(r.picker().destinationButton());
        QCOMPARE(r.prompts.opened, QList { QUrl::fromLocalFile(job.destinations[0].path) });

        // Another job moves to its first destination, which keeps no versions.
        r.choose(r.picker().jobPicker(), 2);
        r.waitForListing();
        QCOMPARE(r.picker().destinationPicker()->currentText(), "usb");
        QVERIFY(!r.picker().snapshotPicker()->isVisibleTo(&*r.view));
        QCOMPARE(r.picker().note(),
            "Only the current state is stored for this mode. Incremental and mirror backups "
            "do not keep earlier versions.");
        r.choose(r.picker().jobPicker(), 0);
        QCOMPARE(r.items(r.picker().destinationPicker()), QStringList { "Choose a destination" });
        QVERIFY(r.picker().destinationButton()->isHidden());
    }

    // Which card stands below the picker, and what the picker's button does, by the destination's kind.
    void destinationKinds_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::addColumn<QString>("noteTitle"); // empty: the browser
        QTest::addColumn<QString>("button"); // empty: none
        QTest::newRow("local") << DestinationKind::local << ""
                               << "Reveal";
        QTest::newRow("network") << DestinationKind::network << ""
                                 << "Reveal";
        QTest::newRow("drive") << DestinationKind::googleDrive << "Google Drive restore is not available yet"
                               << "Open Drive";
        QTest::newRow("ssh") << DestinationKind::ssh << "SSH restore is not available yet"
                             << "";
    }
    void destinationKinds()
    {
        QFETCH(DestinationKind, kind);
        QFETCH(QString, noteTitle);
        QFETCH(QString, button);
        Restore r;
        BackupJob job = r.hub.addJob("Docs", { { "target", BackupMode::mirror } });
        job.destinations[0].kind = kind;
        r.hub.store.replaceJob(job);
        r.buildAndList();
        const QStringList texts = r.texts();
        QCOMPARE(r.browser().isVisibleTo(&*r.view), noteTitle.isEmpty());
        if (!noteTitle.isEmpty()) {
            QVERIFY2(texts.contains(noteTitle), qPrintable(texts.join(" | ")));
            QVERIFY(!texts.contains("Restore\u2026"));
        }
        QCOMPARE(
            texts.contains("Backups on an SSH server cannot be browsed here. Copy files back with rsync from "
                           "the server, or mount the server folder and restore from it."),
            kind == DestinationKind::ssh);
        QCOMPARE(r.picker().destinationButton()->isVisibleTo(&*r.view), !button.isEmpty());
        if (!button.isEmpty())
            QCOMPARE(r.picker().destinationButton()->title(), button);
        if (kind == DestinationKind::googleDrive) {
            click(r.section().driveNote()->actionButton());
            click(r.picker().destinationButton());
            QCOMPARE(r.prompts.opened.size(), 2);
            QCOMPARE(r.prompts.opened.first().host(), "drive.google.com");
        }
        if (!noteTitle.isEmpty())
            Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-note-" + toString(kind)));
    }

    // The rows: a folder's chevron opens it, a click on its name ticks it; the cap shows its note, which a
    // small subfolder hides again; the path bar and the parent button lead back.
    void browsing()
    {
        Restore r;
        r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        for (int i = 0; i < 2001; ++i)
            r.hub.files.write(QStringLiteral("ssd/f%1").arg(i), {});
        r.hub.files.write("ssd/Reports/file10", "ten");
        r.hub.files.write("ssd/Reports/file2", "two");
        r.buildAndList();
        QCOMPARE(r.browser().rows()->rowCount(), 2000);
        QVERIFY(r.browser().showsTruncationNote());
        QVERIFY(r.texts().contains("Showing the first 2,000 items. Open a subfolder to see the rest."));
        QCOMPARE(r.browser().selectionSummary(), "Nothing selected");
        QVERIFY(!r.browser().restoreButton()->isEnabled());
        QVERIFY(r.browser().clearButton()->isHidden());

        const int reports = 0; // folders come first
        QCOMPARE(r.browser().rows()->entry(reports).name, "Reports");
        QTest::mouseClick(
            r.browser().list()->viewport(), Qt::LeftButton, {}, r.browser().nameCentre(reports));
        QCOMPARE(r.browser().selectionSummary(), "1 item selected");
        QCOMPARE(r.state().currentPath(), r.state().rootPath());
        r.tick("f7");
        QCOMPARE(r.browser().selectionSummary(), "2 items selected");
        QVERIFY(r.browser().restoreButton()->isEnabled());
        QVERIFY(!r.browser().clearButton()->isHidden());

        QTest::mouseClick(
            r.browser().list()->viewport(), Qt::LeftButton, {}, r.browser().chevronCentre(reports));
        r.waitForListing();
        QCOMPARE(r.browser().rows()->entry(0).name, "file2");
        QCOMPARE(r.browser().rows()->entry(1).name, "file10");
        QVERIFY(!r.browser().showsTruncationNote());
        QCOMPARE(r.browser().pathBarNames(), QStringList { "Reports" });
        QCOMPARE(r.browser().selectionSummary(), "2 items selected");
        Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-browser"));

        click(r.browser().parentButton());
        QCOMPARE(r.state().currentPath(), r.state().rootPath());
        click(r.browser().clearButton());
        QCOMPARE(r.browser().selectionSummary(), "Nothing selected");
        r.waitForListing();
        QCOMPARE(r.browser().pathBarNames(), QStringList {});
    }

    // The sheet lists the first 50 names and counts them all; closing it any other way cancels.
    void conflictSheetList()
    {
        ConflictPrompt prompt { QUuid::createUuid(), {}, {} };
        for (int i = 0; i < 60; ++i)
            prompt.conflicts << QStringLiteral("folder/file%1.txt").arg(i);
        ConflictSheet sheet(prompt);
        QCOMPARE(sheet.countLine(), "60 changes found at the restore location");
        QCOMPARE(sheet.listedNames(), prompt.conflicts.mid(0, 50));
        QCOMPARE(sheet.width(), 520);
        QSignalSpy answered(&sheet, &ConflictSheet::answered);
        sheet.show();
        QTest::keyClick(&sheet, Qt::Key_Escape);
        QCOMPARE(answered.size(), 1);
        QCOMPARE(answered.at(0).at(0).value<ConflictAnswer>(), ConflictAnswer::cancel);
    }

    // Leaving the section and coming back starts again from the defaults.
    void freshOnReturn()
    {
        Restore r;
        const BackupJob job = r.hub.addJob(
            "Docs", { { "ssd", BackupMode::incremental }, { "usb", BackupMode::incremental } });
        r.hub.files.write("usb/a.txt", "a");
        r.buildAndList();
        r.choose(r.picker().destinationPicker(), 2);
        r.waitForListing();
        r.tick("a.txt");
        QCOMPARE(r.state().destinationID(), job.destinations[1].id);
        r.model.setSection(DashboardSection::overview);
        r.model.setSection(DashboardSection::restore);
        r.waitForListing();
        QCOMPARE(r.state().destinationID(), job.destinations[0].id);
        QVERIFY(r.state().selected().isEmpty());
    }

    // A file changed at its original place since the backup: the check asks; Keep Existing keeps the local
    // bytes, Replace brings back the backup's. The card ends "Copied" until Done; the history names it.
    void conflictReview_data()
    {
        QTest::addColumn<ConflictAnswer>("answer");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("keep existing") << ConflictAnswer::keepExisting << QByteArray("changed here, longer");
        QTest::newRow("replace") << ConflictAnswer::replace << QByteArray("as backed up");
    }
    void conflictReview()
    {
        QFETCH(ConflictAnswer, answer);
        QFETCH(QByteArray, after);
        Restore r;
        const BackupJob job = r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        r.hub.files.write("ssd/a.txt", "as backed up");
        r.hub.files.write("source/Docs/a.txt", "changed here, longer");
        r.buildAndList();
        r.tick("a.txt");
        click(r.browser().restoreButton());
        MV_TRY_VERIFY(r.section().conflictSheet());
        ConflictSheet& sheet = *r.section().conflictSheet();
        QCOMPARE(sheet.countLine(), "1 changes found at the restore location");
        QCOMPARE(sheet.listedNames(), QStringList { "a.txt" });
        QVERIFY(!r.state().scanning());
        if (answer == ConflictAnswer::replace)
            Restore::settle();
        QVERIFY(test::saveLightAndDark(sheet, "restore-conflict-sheet"));
        click(sheet.button(answer));
        MV_TRY_COMPARE(r.phase(), "completed");
        QCOMPARE(test::TempDir::read(job.source.path + "/a.txt"), after);
        QVERIFY(r.card().isVisibleTo(&*r.view));
        QCOMPARE(r.card().chip()->text(), "Copied");
        QCOMPARE(r.card().headline(), "Restore complete");
        QCOMPARE(r.card().itemCounter(), "Item 1 of 1");
        QVERIFY(r.card().cancelButton()->isHidden());
        QCOMPARE(r.browser().selectionSummary(), "1 item selected");
        if (answer == ConflictAnswer::replace)
            Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-completed"));
        MV_TRY_VERIFY(!r.hub.rows().empty());
        QCOMPARE(r.hub.rows().front().jobName, "Docs restore");
        click(r.card().doneButton());
        QVERIFY(r.card().isHidden());
        QCOMPARE(r.phase(), "none");
    }

    // Cancel in the sheet starts nothing and keeps the selection.
    void conflictCancelled()
    {
        Restore r;
        const BackupJob job = r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        r.hub.files.write("ssd/a.txt", "as backed up");
        r.hub.files.write("source/Docs/a.txt", "changed here, longer");
        r.buildAndList();
        r.tick("a.txt");
        click(r.browser().restoreButton());
        MV_TRY_VERIFY(r.section().conflictSheet());
        click(r.section().conflictSheet()->button(ConflictAnswer::cancel));
        QVERIFY(!r.state().conflictPrompt());
        QCOMPARE(r.phase(), "none");
        QCOMPARE(r.browser().selectionSummary(), "1 item selected");
        QCOMPARE(test::TempDir::read(job.source.path + "/a.txt"), "changed here, longer");
    }

    // The location segments do without the mouse: a screen reader's press or toggle, Space and Return on a
    // segment, and the arrow key from the chosen one all choose another folder.
    void locationWithoutMouse_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : { "press action", "toggle action", "space", "return", "right arrow" })
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void locationWithoutMouse()
    {
        QFETCH(QString, way);
        Restore r;
        r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        r.hub.files.write("ssd/Reports/q1.txt", "q1");
        r.buildAndList();
        r.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*r.view));
        RestoreLocationControls& controls = *r.browser().locationControls();
        QPushButton* custom = controls.segment(1);
        if (way.endsWith("action")) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(custom);
            QVERIFY(accessible && accessible->actionInterface());
            accessible->actionInterface()->doAction(way == "press action"
                    ? QAccessibleActionInterface::pressAction()
                    : QAccessibleActionInterface::toggleAction());
        } else if (way == "right arrow") {
            controls.segment(0)->setFocus();
            QTest::keyClick(controls.segment(0), Qt::Key_Right);
            QVERIFY(custom->hasFocus());
        } else {
            custom->setFocus();
            QTest::keyClick(custom, way == "space" ? Qt::Key_Space : Qt::Key_Return);
        }
        MV_TRY_VERIFY(r.state().location() == RestoreLocation::custom);
        QVERIFY(custom->isChecked());
        QVERIFY(controls.chooseButton()->isVisibleTo(&*r.view));
    }

    // Into an empty folder nothing is replaced, so the restore starts at once; without a folder it cannot.
    void anotherFolder()
    {
        Restore r;
        r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        r.hub.files.write("ssd/Reports/q1.txt", "q1");
        r.buildAndList();
        r.tick("Reports");
        click(r.browser().locationControls()->segment(1));
        QCOMPARE(r.browser().locationControls()->chosenFolder()->text(), "No folder chosen");
        QCOMPARE(r.browser().locationControls()->explanation(),
            "Files are written under the chosen folder, keeping the folder structure from the backup.");
        click(r.browser().restoreButton());
        QMessageBox* alert = r.section().errorAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), "Restore cannot start");
        QCOMPARE(alert->informativeText(), "Choose a folder for the restored items.");
        Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-another-folder"));
        alert->button(QMessageBox::Ok)->click();
        QCOMPARE(r.state().errorMessage(), std::nullopt);
        QCOMPARE(r.phase(), "none");

        const QString chosen = r.hub.files.mkdir("restored");
        r.prompts.openPath = chosen;
        click(r.browser().locationControls()->chooseButton());
        QCOMPARE(r.prompts.openRequests.last().prompt, "Choose");
        QCOMPARE(r.prompts.openRequests.last().title, "Choose where the restored items should be written.");
        QCOMPARE(r.browser().locationControls()->chosenFolder()->text(), chosen);
        r.prompts.openPath.clear(); // a cancelled panel keeps the folder
        click(r.browser().locationControls()->chooseButton());
        QCOMPARE(r.state().customTarget(), chosen);

        click(r.browser().restoreButton());
        MV_TRY_COMPARE(r.phase(), "completed");
        QVERIFY(!r.section().conflictSheet());
        QCOMPARE(test::TempDir::read(chosen + "/Reports/q1.txt"), "q1");
    }

    // While one restore runs, a second is refused with the coordinator's alert and the first goes on.
    void secondRestoreRefused()
    {
        Restore r;
        test::ScriptedRsync rsync;
        r.hub.settings([&](AppSettings& settings) { settings.rsyncPath = rsync.path(); });
        const BackupJob job = r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        r.hub.files.write("ssd/b.txt", "b");
        rsync.setBehaviour("Docs", test::ScriptedRsync::holdUntilReleased());
        r.buildAndList();
        r.tick("b.txt");
        click(r.browser().restoreButton());
        MV_TRY_COMPARE(r.phase(), "running");
        QCOMPARE(r.card().chip()->text(), "Running");
        QVERIFY(!r.card().cancelButton()->isHidden());
        MV_TRY_VERIFY(r.browser().restoreButton()->isEnabled());
        click(r.browser().restoreButton());
        MV_TRY_VERIFY(r.hub.state->coordinator().issue().has_value());
        QCOMPARE(r.hub.state->coordinator().issue()->title, "A restore is already running");
        QCOMPARE(r.phase(), "running");
        rsync.release("Docs");
        MV_TRY_COMPARE(r.phase(), "completed");
        QCOMPARE(test::TempDir::read(job.source.path + "/b.txt"), "b");
    }

    // "Cancel" while preparing, and between the items of a three-item restore: the chip reads "Stopping" at
    // once, and the restore ends cancelled with "Done" offered.
    void cancel_data()
    {
        QTest::addColumn<qint64>("atItem"); // -1: while preparing
        QTest::newRow("preparing") << qint64(-1);
        QTest::newRow("between items") << qint64(1);
    }
    void cancel()
    {
        QFETCH(qint64, atItem);
        Restore r;
        r.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        for (const char* name : { "one", "two", "three" })
            r.hub.files.write(QString("ssd/") + name + ".txt", name);
        r.buildAndList();
        click(r.browser().selectAllButton());
        QCOMPARE(r.browser().selectionSummary(), "3 items selected");
        QString chipAfterCancel;
        bool pressed = false;
        connect(&r.restores(), &RestoreCoordinator::restoreChanged, this, [&] {
            const auto& restore = r.restores().restore();
            if (pressed || !restore)
                return;
            const bool now = atItem < 0 ? restore->phase == RunPhase::preparing
                                        : restore->phase == RunPhase::running && restore->itemIndex == atItem;
            if (!now)
                return;
            pressed = true;
            QCOMPARE(r.card().itemCounter(), atItem < 0 ? "Item 1 of 3" : "Item 2 of 3");
            QTest::mouseClick(r.card().cancelButton(), Qt::LeftButton);
            chipAfterCancel = r.card().chip()->text();
        });
        click(r.browser().restoreButton());
        MV_TRY_COMPARE(r.phase(), "cancelled");
        QCOMPARE(chipAfterCancel, "Stopping");
        QCOMPARE(r.card().chip()->text(), "Cancelled");
        QCOMPARE(r.card().headline(), "Restore cancelled");
        QVERIFY(!r.card().doneButton()->isHidden());
        QVERIFY(r.card().cancelButton()->isHidden());
        if (atItem > 0)
            Restore::settle();
        QVERIFY(test::saveLightAndDark(*r.view, "restore-cancelled"));
    }
};

MV_UI_TEST_MAIN(tst_RestoreSection)
#include "tst_RestoreSection.moc"
