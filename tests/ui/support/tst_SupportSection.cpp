#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/dashboard/DashboardViewHarness.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/KitStyle.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextLabel.h"
#include "ui/support/DiagnosticsInfoLine.h"
#include "ui/support/HelpDisclosure.h"
#include "ui/support/SetupGuideCard.h"
#include "ui/support/SupportActionBar.h"
#include "ui/support/SupportSectionView.h"
#include "ui/support/SystemDiagnosticsCard.h"

#include <QFileDialog>
#include <QLayout>
#include <QMessageBox>
#include <QRegularExpression>
#include <QtTest>

using namespace mv;

namespace {

// The dashboard on its Support section. The dashboard shows the overview when there is no job, so the
// section is chosen once it is on screen.
struct Support : test::DashboardViewHarness {
    void open()
    {
        build();
        model.setSection(DashboardSection::support);
    }
    SupportSectionView& page() { return *view->sectionView()->findChild<SupportSectionView*>(); }
    void awaitReport()
    {
        MV_TRY_VERIFY(page().reportModel().report() && !page().reportModel().isGathering());
    }
    const SupportReport& report() { return *page().reportModel().report(); }
    void press(const QString& title)
    {
        for (MVButton* button : page().findChildren<MVButton*>()) {
            if (button->title() == title) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        QFAIL(qPrintable("no button " + title));
    }
    // The diagnostics line labelled `label`.
    DiagnosticsLine fact(const QString& label)
    {
        for (DiagnosticsInfoLine* line : page().systemCard()->infoLines())
            if (line->line().label == label)
                return line->line();
        return {};
    }
    QStringList texts() { return test::visibleTexts(*view); }
    void awaitJudgement()
    {
        QSignalSpy judged(&hub.state->monitor(), &DestinationMonitor::refreshed);
        hub.state->monitor().refresh();
        QVERIFY(judged.wait(int(test::integrationTimeout.count())));
    }
};

// The alert's text, after pressing its "OK".
QString dismissAlert(SupportSectionView& page)
{
    QMessageBox* box = page.confirmationAlert();
    if (!box || !box->isVisible())
        return {};
    const QString text = box->text();
    box->button(QMessageBox::Ok)->click();
    return text;
}

// Whether `widget` paints some pixel in `colour`, as text strokes in that colour do.
bool paintsIn(QWidget& widget, const QColor& colour)
{
    const QImage picture = widget.grab().toImage();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (test::closeColours(picture.pixelColor(x, y), colour, 6))
                return true;
    return false;
}

const QDateTime noon(QDate(2026, 3, 3), QTime(9, 5), Qt::UTC);

} // namespace

class tst_SupportSection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The page as it first appears: "Reading diagnostics…" until the report is in, every topic closed, nine
    // topics with a separator between each two, the guide's steps and hints; then the seven facts.
    void firstDisplay()
    {
        Support s;
        s.open();
        QVERIFY(s.page().systemCard()->isReading());
        QVERIFY(s.texts().contains("Reading diagnostics…"));
        QCOMPARE(s.page().troubleshootingHeader()->countCapsule()->count(), 9);
        QCOMPARE(s.page().helpRows().size(), 9);
        for (HelpDisclosure* row : s.page().helpRows())
            QVERIFY2(!row->isExpanded() && !row->answerLabel()->isVisible(), qPrintable(row->item().id));
        QWidget* topics = s.page().helpRows().first()->parentWidget();
        QCOMPARE(topics->findChildren<Hairline*>().size(), 8);
        QLayout* list = topics->layout();
        QCOMPARE(list->itemAt(list->count() - 1)->widget(), s.page().helpRows().last());

        s.awaitReport();
        QVERIFY(!s.page().systemCard()->isReading());
        QStringList labels;
        for (DiagnosticsInfoLine* line : s.page().systemCard()->infoLines())
            labels << line->line().label;
        QCOMPARE(labels,
            (QStringList {
                "Marrowvale", "System", "rsync", "Backups", "Last backup", "Offline", "History" }));
        QCOMPARE(s.fact("Offline"), (DiagnosticsLine { "Offline", "None", false }));
        QCOMPARE(s.fact("Backups").value, "0 jobs \u00B7 0 destinations");
        QCOMPARE(s.page().systemCard()->dataFolderLabel()->path(), s.hub.store.supportFolder());

        const QStringList texts = s.texts();
        for (const QString& expected : QStringList { "Copy Report", "Save Report…", "Check rsync",
                 "Reveal Logs", "Read-only diagnostics", "Click Add Backup.", "Choose the folder to protect.",
                 "Add one or more destinations.", "Pick a schedule, save, then Run Now.", "Local or external",
                 "Network share", "SSH server", "Add Backup", "Open Settings", "Open Activity",
                 "The menu bar icon is not visible", "Where are the logs and history?" })
            QVERIFY2(texts.contains(expected), qPrintable(expected + " in " + texts.join(" | ")));
        QVERIFY(!texts.contains("Reading diagnostics…"));
        QVERIFY(test::saveLightAndDark(*s.view, "support-section"));
    }

    // An unplugged drive: "1 destination" in the danger colour; the plural words stay for counts of one.
    void offlineDestinationIsAWarning()
    {
        Support s;
        BackupJob job
            = s.hub.addJob("Docs", { { "ssd", BackupMode::incremental }, { "usb", BackupMode::mirror } });
        job.destinations[1].path = s.hub.files.filePath("unplugged/drive/usb");
        s.hub.store.replaceJob(job);
        s.build();
        s.awaitJudgement();
        s.model.setSection(DashboardSection::support);
        s.awaitReport();

        QCOMPARE(s.fact("Offline"), (DiagnosticsLine { "Offline", "1 destination", true }));
        QCOMPARE(s.fact("Backups").value, "1 jobs \u00B7 2 destinations");
        for (DiagnosticsInfoLine* line : s.page().systemCard()->infoLines()) {
            const bool danger = paintsIn(*line->valueView(), Palette::danger.resolve(line));
            QVERIFY2(danger == (line->line().label == "Offline"), qPrintable(line->line().label));
            QCOMPARE(line->valueView()->toolTip(), line->line().value);
            QCOMPARE(line->labelView()->width(), DiagnosticsInfoLine::labelWidth);
        }
    }

    // "Copy Report" before the first report is in copies the report once it is gathered; the alert says so
    // and its "OK" clears the sentence. A later copy uses the report held and shows the alert again.
    void copyReport()
    {
        Support s;
        s.open();
        s.press("Copy Report");
        MV_TRY_COMPARE(s.prompts.copied.size(), 1);
        s.awaitReport();
        QCOMPARE(s.prompts.copied.first(), s.report().text());
        QCOMPARE(s.page().confirmation(),
            std::optional<QString>("The support report was copied to the clipboard."));
        QCOMPARE(s.page().confirmationAlert()->windowTitle(), "Marrowvale");
        QCOMPARE(dismissAlert(s.page()), "The support report was copied to the clipboard.");
        QCOMPARE(s.page().confirmation(), std::nullopt);

        s.press("Copy Report");
        QCOMPARE(s.prompts.copied.size(), 2);
        QCOMPARE(s.prompts.copied.last(), s.prompts.copied.first());
        QCOMPARE(dismissAlert(s.page()), "The support report was copied to the clipboard.");
    }

    // The panel suggests a dated name; the report is written whole, over an older file too; a folder that
    // is not there gives the reason; a cancelled panel says nothing.
    void saveReport()
    {
        Support s;
        s.clock.set(noon);
        s.open();
        s.awaitReport();
        const SupportReport& report = s.report();
        const QString path = s.hub.files.write("saved/report.txt", "an older report");
        s.prompts.savePath = path;
        s.press("Save Report…");
        QCOMPARE(s.prompts.saveRequests.size(), 1);
        QCOMPARE(s.prompts.saveRequests.first().suggestedName, "Marrowvale-support-2026-03-03-0905.txt");
        QCOMPARE(s.prompts.saveRequests.first().defaultSuffix, "txt");
        QCOMPARE(s.prompts.saveRequests.first().title,
            "Save a read-only support report. It contains versions, paths and recent errors.");
        QCOMPARE(QString::fromUtf8(test::TempDir::read(path)), report.text());
        QCOMPARE(dismissAlert(s.page()), "Report saved to " + path + ".");

        const QString missing = s.hub.files.filePath("no/such/folder/report.txt");
        s.prompts.savePath = missing;
        s.press("Save Report…");
        const QString failure = dismissAlert(s.page());
        QVERIFY2(failure.startsWith("The report could not be saved: ") && failure.contains(missing),
            qPrintable(failure));
        QVERIFY(!QFile::exists(missing));

        s.prompts.savePath.clear();
        s.press("Save Report…");
        QCOMPARE(s.prompts.saveRequests.size(), 3);
        QCOMPARE(s.page().confirmation(), std::nullopt);
    }

    // The desktop's save panel says what is saved.
    void savePanelSaysWhatIsSaved()
    {
        Support s;
        s.hub.build();
        struct : UrlOpener {
            bool open(const QUrl&) override { return true; }
        } urls;
        DesktopPrompts prompts(s.hub.fileManager, urls, QFileDialog::DontUseNativeDialog);
        SupportSectionView page(s.hub.context(), s.model, s.clock, prompts);
        page.show();
        for (MVButton* button : page.findChildren<MVButton*>())
            if (button->title() == "Save Report\u2026")
                QTest::mouseClick(button, Qt::LeftButton);
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(panel);
        QCOMPARE(panel->windowTitle(),
            "Save a read-only support report. It contains versions, paths and recent errors.");
        panel->reject();
    }

    void checkRsync_data()
    {
        QTest::addColumn<bool>("scripted");
        QTest::newRow("an rsync naming 3.2.7") << true;
        QTest::newRow("the system's rsync") << false;
    }

    // "Check rsync" gathers a new report and names the version and the path; a copy made after it copies
    // that report, stamped with the time of the check.
    void checkRsync()
    {
        QFETCH(bool, scripted);
        Support s;
        const QString rsync = scripted ? test::executableScript(
                                  s.hub.files, "rsync", "echo 'rsync  version 3.2.7  protocol version 31'\n")
                                       : QStringLiteral("/usr/bin/rsync");
        s.hub.settings([&](AppSettings& settings) { settings.rsyncPath = rsync; });
        s.open();
        s.awaitReport();
        s.clock.set(noon);
        s.press("Check rsync");
        MV_TRY_VERIFY(s.page().confirmation().has_value());
        const QString said = dismissAlert(s.page());
        if (scripted)
            QCOMPARE(said, "rsync check: v3.2.7 at " + rsync + ".");
        else
            QVERIFY2(QRegularExpression(R"(^rsync check: v\d+\.\d+\.\d+ at /usr/bin/rsync\.$)")
                         .match(said)
                         .hasMatch(),
                qPrintable(said));
        QCOMPARE(s.page().reportModel().report()->generatedAt, noon);
        s.press("Copy Report");
        QVERIFY(s.prompts.copied.last().contains(
            "rsync: " + said.mid(QStringLiteral("rsync check: ").size()).chopped(1)));
    }

    // On a fresh support folder "Reveal Logs" makes the folder and its Logs, then shows Logs; it says
    // nothing.
    void revealLogs()
    {
        Support s;
        s.open();
        const QString folder = s.hub.store.supportFolder();
        // Any answer of the history comes after it opened its file in the folder.
        s.hub.state->history().stats();
        QVERIFY(QDir(folder).removeRecursively());
        s.press("Reveal Logs");
        QVERIFY(QFileInfo(folder + "/Logs").isDir());
        QCOMPARE(s.prompts.revealed, QStringList { folder + "/Logs" });
        QCOMPARE(s.page().confirmation(), std::nullopt);
    }

    // A click opens a topic and a second closes it; two topics stay open together; coming back to Support
    // closes them all.
    void helpTopics()
    {
        Support s;
        s.open();
        s.awaitReport();
        const auto click = [&](int index) {
            QAbstractButton* button = s.page().helpRows().at(index)->questionButton();
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 20, button->height() / 2));
        };
        click(0);
        click(3);
        HelpDisclosure* menuBar = s.page().helpRows().at(0);
        HelpDisclosure* rsync = s.page().helpRows().at(3);
        QVERIFY(menuBar->isExpanded() && rsync->isExpanded());
        QCOMPARE(s.page().expanded(), (QSet<QString> { "menu-bar", "rsync" }));
        MV_TRY_COMPARE(rsync->openness(), 1.0);
        QVERIFY(rsync->answerLabel()->isVisible());
        QVERIFY(s.texts().contains(rsync->item().answer));
        QVERIFY(test::saveLightAndDark(*s.view, "support-section-topics"));

        click(0);
        QVERIFY(!menuBar->isExpanded());
        MV_TRY_VERIFY(!menuBar->answerLabel()->isVisible());
        QVERIFY(rsync->isExpanded());

        s.model.setSection(DashboardSection::overview);
        s.model.setSection(DashboardSection::support);
        for (HelpDisclosure* row : s.page().helpRows())
            QVERIFY(!row->isExpanded());
    }

    // A job added while the page is shown gathers the report again, a renamed one does not.
    void followsTheJobs()
    {
        Support s;
        const BackupJob docs = s.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        s.open();
        s.awaitReport();
        QCOMPARE(s.fact("Backups").value, "1 jobs \u00B7 1 destinations");

        BackupJob renamed = docs;
        renamed.name = "Documents";
        s.hub.store.replaceJob(renamed);
        QVERIFY(!s.page().reportModel().isGathering());

        s.hub.addJob("Photos", { { "usb", BackupMode::incremental }, { "nas", BackupMode::mirror } });
        MV_TRY_COMPARE(s.fact("Backups").value, "2 jobs \u00B7 3 destinations");
    }

    // "Open Settings" and "Open Activity" switch the section, which removes the page; "Add Backup" asks for
    // a new job's editor.
    void shortcuts()
    {
        Support s;
        s.open();
        s.awaitReport();
        QList<NavigationRequest> asked;
        connect(&s.hub.context().requests, &ProgramRequests::navigationRequested, this,
            [&](const NavigationRequest& request) { asked.append(request); });
        QTest::mouseClick(s.page().setupCard()->addBackupButton(), Qt::LeftButton);
        MV_TRY_COMPARE(asked.size(), 1);
        QCOMPARE(asked.first().target, NavigationRequest::Target::newJob);

        s.press("Open Settings");
        MV_TRY_COMPARE(s.model.section(), DashboardSection::settings);
        s.model.setSection(DashboardSection::support);
        s.awaitReport();
        s.press("Open Activity");
        MV_TRY_COMPARE(s.model.section(), DashboardSection::activity);
        QVERIFY(!s.view->sectionView()->findChild<SupportSectionView*>());
    }
};

int main(int argc, char** argv)
{
    mv::test::prepareUiTest(mv::test::Motion::reduced);
    // The suggested file name is in local time.
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QApplication::setStyle(new mv::KitStyle);
    tst_SupportSection test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SupportSection.moc"
