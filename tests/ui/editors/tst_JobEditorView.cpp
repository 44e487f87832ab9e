#include "model/Format.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/editors/DestinationRow.h"
#include "ui/editors/ExclusionsSection.h"
#include "ui/editors/FlowChips.h"
#include "ui/editors/JobDestinationsSection.h"
#include "ui/editors/JobEditorHarness.h"
#include "ui/editors/JobScheduleSection.h"
#include "ui/editors/ModeRow.h"
#include "ui/editors/ModeSection.h"
#include "ui/editors/NameAndSourceSection.h"
#include "ui/editors/ScheduleFrequencyRows.h"
#include "ui/editors/SourceCard.h"
#include "ui/editors/SourceDropZone.h"
#include "ui/editors/TransferOptionsSection.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using namespace mv;

Q_DECLARE_METATYPE(mv::BackupJob)
Q_DECLARE_METATYPE(mv::BackupDestination)
Q_DECLARE_METATYPE(mv::BackupMode)

namespace {

using Harness = test::JobEditorHarness;

MVButton* button(const QWidget& root, const QString& title)
{
    for (MVButton* candidate : root.findChildren<MVButton*>()) {
        if (candidate->title() == title && candidate->isVisibleTo(&root))
            return candidate;
    }
    return nullptr;
}

void pick(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

// A drag of `urls` entering the sheet and dropped on it, as a file manager would send it.
void drop(JobEditorView& view, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at(380, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &dropped);
}

BackupDestination destinationAt(const QString& name, const QString& path)
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = name;
    destination.path = path;
    destination.usesJobSchedule = true;
    return destination;
}

BackupDestination serverFolder(const QString& host, const QString& path)
{
    BackupDestination destination = destinationAt(QStringLiteral("NAS"), path);
    destination.kind = DestinationKind::ssh;
    destination.host = host;
    destination.user = QStringLiteral("backup");
    return destination;
}

BackupDestination driveFolder(const QString& folder, const QString& account)
{
    BackupDestination destination = destinationAt(QStringLiteral("Drive"), {});
    destination.kind = DestinationKind::googleDrive;
    destination.googleFolderName = folder;
    destination.googleAccount = account;
    return destination;
}

qint64 headerCount(SectionHeader* header)
{
    return header->countCapsule()->isVisibleTo(header) ? header->countCapsule()->count() : -1;
}

} // namespace

class tst_JobEditorView : public QObject {
    Q_OBJECT

    test::TempDir m_files;
    bool m_canMount = false;

    // An existing job on a real source with one destination folder.
    BackupJob existingJob(BackupMode mode = BackupMode::incremental) const
    {
        BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
        job.name = QStringLiteral("Documents");
        job.source.path = m_files.filePath(QStringLiteral("Documents"));
        job.source.displayName = QStringLiteral("Documents");
        job.destinations
            = { destinationAt(QStringLiteral("Backup Drive"), m_files.filePath(QStringLiteral("ssd"))) };
        job.mode = mode;
        return job;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_canMount = test::enterPrivateMountNamespace();
        m_files.write(QStringLiteral("Photos/a.txt"), "alpha");
        m_files.write(QStringLiteral("Documents/b.txt"), "beta");
        m_files.write(QStringLiteral("notes.txt"), "a file");
        m_files.mkdir(QStringLiteral("ssd"));
        m_files.mkdir(QStringLiteral("usb"));
    }

    // The road of a new job: a folder dropped, its size measured, a destination added, a daily schedule, and
    // Create Backup writes the job to disk.
    void newBackupFlow()
    {
        Harness h;
        test::GatedSize size;
        JobEditorView& view = h.open(
            JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()), size.function());
        QCOMPARE(view.title(), "New Backup");
        QCOMPARE(view.subtitle(), "Choose a folder, then where its copies should live.");
        QVERIFY(!view.modeChip()->isVisible());
        QVERIFY(!view.saveButton()->isEnabled());
        QVERIFY(view.nameAndSource()->dropZone()->isVisible());
        QVERIFY(test::saveLightAndDark(view, "job-editor-new"));

        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(m_files.filePath(QStringLiteral("Photos"))) });
        QDragEnterEvent enter(QPoint(380, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &enter);
        QVERIFY(view.isDropTarget());
        QVERIFY(test::visibleTexts(*view.nameAndSource()).contains("Drop to use this folder"));
        QVERIFY(test::saveLightAndDark(view, "job-editor-drop-target"));
        drop(view, mime.urls());
        QVERIFY(!view.isDropTarget());

        SourceCard* card = view.nameAndSource()->sourceCard();
        MV_TRY_VERIFY(card->isVisible());
        QCOMPARE(view.nameAndSource()->nameField()->text(), "Photos");
        QCOMPARE(view.model().draft().source.path, m_files.filePath(QStringLiteral("Photos")));
        QCOMPARE(card->sizeLine(), "Measuring\u2026");
        size.gate->release();
        MV_TRY_COMPARE(card->sizeLine(), Format::bytes(5));
        QVERIFY(view.modeChip()->isVisible());
        QCOMPARE(view.modeChip()->text(), "Incremental");

        JobDestinationsSection* destinations = view.destinationsSection();
        QCOMPARE(headerCount(destinations->header()), 0);
        QTest::mouseClick(button(*destinations, QStringLiteral("Add Destination")), Qt::LeftButton);
        QVERIFY(h.sheets.context && h.sheets.context->isNew);
        QCOMPARE(h.sheets.context->destination.name, "Backup Drive");
        QCOMPARE(h.sheets.sourcePath, m_files.filePath(QStringLiteral("Photos")));
        QVERIFY(view.destinationSheet() && view.destinationSheet()->isVisible());
        BackupDestination answered = h.sheets.context->destination;
        answered.path = m_files.filePath(QStringLiteral("ssd"));
        h.sheets.onSave(answered);
        MV_TRY_VERIFY(!view.destinationSheet());

        QCOMPARE(destinations->rows().size(), 1);
        QVERIFY(destinations->rows().first()->isVisible());
        QCOMPARE(headerCount(destinations->header()), 1);
        QCOMPARE(test::visibleTexts(*destinations->rows().first()),
            (QStringList { "Backup Drive", "Incremental", answered.path, "Manual" }));
        QVERIFY(view.saveButton()->isEnabled());

        pick(view.jobScheduleSection()->rows()->frequencyPicker(), int(ScheduleKind::daily));
        QCOMPARE(test::visibleTexts(*destinations->rows().first()).last(), "Daily at 02:00");
        QVERIFY(h.hub.store.config().jobs.isEmpty());

        QTest::mouseClick(view.saveButton(), Qt::LeftButton);
        QCOMPARE(view.result(), int(QDialog::Accepted));
        QVERIFY(!view.isVisible());
        MV_TRY_COMPARE(h.config().value("jobs").toArray().size(), 1);
        const QJsonObject job = h.config().value("jobs").toArray().first().toObject();
        QCOMPARE(job.value("name").toString(), "Photos");
        QCOMPARE(job.value("source").toObject().value("displayName").toString(), "Photos");
        const QJsonObject saved = job.value("destinations").toArray().first().toObject();
        QVERIFY(!saved.value("volumeIdentity").toString().isEmpty());
        QVERIFY(!saved.value("nextRun").toString().isEmpty());
        QCOMPARE(job.value("schedule").toObject().value("kind").toString(), "daily");
    }

    // Escape discards every edit; Return does nothing while Save is disabled.
    void escapeDiscards()
    {
        Harness h;
        const BackupJob stored = existingJob();
        h.hub.store.addJob(stored);
        JobEditorView& view = h.open(JobEditorContext::existing(stored));
        QCOMPARE(view.title(), "Edit Backup");
        QCOMPARE(view.subtitle(), "Documents");
        QTest::keyClicks(view.nameAndSource()->nameField()->lineEdit(), QStringLiteral(" Old"));
        QCOMPARE(view.subtitle(), "Documents Old");
        view.model().removeDestination(stored.destinations.first().id);
        QTest::keyClick(&view, Qt::Key_Return);
        QVERIFY(view.isVisible());
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(view.result(), int(QDialog::Rejected));
        QVERIFY(!view.isVisible());
        QCOMPARE(h.hub.store.config().jobs, QList<BackupJob> { stored });
    }

    void refusedSave_data()
    {
        QTest::addColumn<BackupJob>("job");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("screen");
        BackupJob lineBreaks = existingJob();
        lineBreaks.name = QStringLiteral("\n");
        QTest::newRow("name") << lineBreaks << "Give this backup a name."
                              << "name";
        BackupJob gone = existingJob();
        gone.source.path = m_files.filePath(QStringLiteral("gone"));
        QTest::newRow("source") << gone << "The source folder is not available. Choose it again."
                                << "source";
        BackupJob overlap = existingJob();
        overlap.destinations.first().path = overlap.source.path + QStringLiteral("/copies");
        QTest::newRow("overlap") << overlap << "Backup Drive: The source and destination overlap."
                                 << "overlap";
        BackupJob twice = existingJob();
        BackupDestination server = destinationAt(QStringLiteral("NAS"), QStringLiteral("/srv/backups"));
        server.kind = DestinationKind::ssh;
        server.host = QStringLiteral("nas.local");
        server.user = QStringLiteral("backup");
        BackupDestination again = server;
        again.id = QUuid::createUuid();
        again.port = 2222;
        twice.destinations = { server, again };
        QTest::newRow("server twice") << twice << "Two destinations point at the same server folder."
                                      << "server";
    }

    // A refused Save shows its message in the footer, keeps the sheet open and writes nothing.
    void refusedSave()
    {
        QFETCH(BackupJob, job);
        QFETCH(QString, message);
        QFETCH(QString, screen);
        Harness h;
        h.hub.store.addJob(existingJob());
        h.build();
        QVERIFY(h.hub.store.saveNow());
        const QByteArray before = h.configBytes();
        JobEditorView& view = h.open(JobEditorContext::existing(job));
        QVERIFY(view.saveButton()->isEnabled());
        QTest::mouseClick(view.saveButton(), Qt::LeftButton);
        QCOMPARE(view.footerText(), message);
        QVERIFY(view.isVisible());
        QVERIFY(!h.hub.store.hasPendingSave());
        QCOMPARE(h.configBytes(), before);
        MV_TRY_VERIFY(!view.model().sizeLoading());
        QVERIFY(test::saveLightAndDark(view, "job-editor-error-" + screen));

        // Choosing the source again clears the message.
        h.prompts.openPath = m_files.filePath(QStringLiteral("Photos"));
        view.nameAndSource()->chooseSource();
        QCOMPARE(h.prompts.openRequests.last().prompt, "Choose Source");
        QCOMPARE(h.prompts.openRequests.last().title, "Choose the folder Marrowvale should back up.");
        QCOMPARE(view.footerText(),
            "Destinations follow the job schedule unless they set their own. Nothing is deleted unless the "
            "mode "
            "says so.");
    }

    // A source on an external volume says so after its size; one on the system's volume does not.
    void sourceOnExternalVolume()
    {
        if (!m_canMount)
            QSKIP("mounting needs root");
        auto volume = test::Mount::tmpfs("/mnt", "size=1m");
        QVERIFY(QDir("/mnt").mkpath("Travel"));
        QFile file("/mnt/Travel/a.txt");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("alpha") == 5);
        file.close();
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        view.model().setSource("/mnt/Travel");
        MV_TRY_COMPARE(
            view.nameAndSource()->sourceCard()->sizeLine(), Format::bytes(5) + " \u00B7 external volume");
        QVERIFY(test::saveLightAndDark(view, "job-editor-external-source"));
        view.model().setSource(m_files.filePath(QStringLiteral("Photos")));
        MV_TRY_COMPARE(view.nameAndSource()->sourceCard()->sizeLine(), Format::bytes(5));
    }

    // The footer's hint is read whole in the sheet's width: it wraps rather than being cut.
    void footerHintWraps()
    {
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        QCoreApplication::sendPostedEvents();
        const QString hint = view.footerText();
        QVERIFY(hint.endsWith("Nothing is deleted unless the mode says so."));
        QList<TextLabel*> shown;
        for (TextLabel* label : view.findChildren<TextLabel*>()) {
            if (label->text() == hint && label->isVisible())
                shown.append(label);
        }
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first()->wordWrap());
        QVERIFY(shown.first()->height() >= shown.first()->heightForWidth(shown.first()->width()));
    }

    void folderOfAnotherJob_data()
    {
        QTest::addColumn<BackupDestination>("theirs"); // the stored job Photos backs up into this
        QTest::addColumn<BackupDestination>("ours"); // the new job's destination
        QTest::addColumn<bool>("refused");
        const QString ssd = m_files.filePath(QStringLiteral("ssd"));
        const BackupDestination drive
            = driveFolder(QStringLiteral("Backups"), QStringLiteral("me@example.com"));
        const BackupDestination nas
            = serverFolder(QStringLiteral("nas.local"), QStringLiteral("/srv/backups"));
        const auto local
            = [](const QString& path) { return destinationAt(QStringLiteral("Backup Drive"), path); };

        QTest::newRow("same Drive folder") << drive << drive << true;
        QTest::newRow("same local folder") << local(ssd) << local(ssd) << true;
        QTest::newRow("folder inside theirs")
            << local(ssd) << local(ssd + QStringLiteral("/documents")) << true;
        QTest::newRow("same server folder") << nas << nas << true;
        QTest::newRow("other local folder")
            << local(ssd) << local(m_files.filePath(QStringLiteral("usb"))) << false;
        QTest::newRow("other Drive folder")
            << drive << driveFolder(QStringLiteral("Photos"), QStringLiteral("me@example.com")) << false;
        QTest::newRow("other Google account")
            << drive << driveFolder(QStringLiteral("Backups"), QStringLiteral("you@example.com")) << false;
        QTest::newRow("other server")
            << nas << serverFolder(QStringLiteral("backup.example.com"), QStringLiteral("/srv/backups"))
            << false;
    }

    // Two jobs writing into one folder replace each other's files, and a mirror run deletes the other's: Save
    // refuses a destination in a folder another job already backs up into, and writes nothing.
    void folderOfAnotherJob()
    {
        QFETCH(BackupDestination, theirs);
        QFETCH(BackupDestination, ours);
        QFETCH(bool, refused);
        Harness h;
        BackupJob photos = existingJob();
        photos.name = QStringLiteral("Photos");
        photos.source.path = m_files.filePath(QStringLiteral("Photos"));
        photos.destinations = { theirs };
        h.hub.store.addJob(photos);
        h.build();
        QVERIFY(h.hub.store.saveNow());
        const QByteArray before = h.configBytes();

        BackupJob documents = existingJob();
        ours.id = QUuid::createUuid();
        documents.destinations = { ours };
        JobEditorView& view = h.open(JobEditorContext { QUuid::createUuid(), documents, true });
        QTest::mouseClick(view.saveButton(), Qt::LeftButton);
        if (refused) {
            QCOMPARE(view.footerText(), "Photos already backs up into this folder. Choose another folder.");
            QVERIFY(view.isVisible());
            QVERIFY(!h.hub.store.hasPendingSave());
            QCOMPARE(h.configBytes(), before);
        } else {
            QCOMPARE(view.result(), int(QDialog::Accepted));
            QCOMPARE(h.hub.store.config().jobs.size(), 2);
        }
    }

    // A document that already holds two jobs in one folder loads as it is and is not rewritten; the rule
    // speaks only when such a job is saved from the editor.
    void storedSharedFolderIsLeftAsItIs()
    {
        Harness h;
        BackupJob first = existingJob();
        BackupJob second = existingJob();
        second.id = QUuid::createUuid();
        second.name = QStringLiteral("Documents again");
        second.destinations.first().id = QUuid::createUuid();
        h.hub.store.addJob(first);
        h.hub.store.addJob(second);
        QVERIFY(h.hub.store.saveNow());
        const QByteArray written = h.configBytes();

        ConfigurationStore reloaded(h.hub.support.path());
        QCOMPARE(reloaded.loadError(), std::nullopt);
        const QList<BackupJob>& loaded = reloaded.config().jobs;
        QCOMPARE(loaded.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const BackupJob& stored = h.hub.store.config().jobs.at(i);
            QCOMPARE(loaded.at(i).id, stored.id);
            QCOMPARE(loaded.at(i).destinations.size(), 1);
            QCOMPARE(loaded.at(i).destinations.first().id, stored.destinations.first().id);
            QCOMPARE(loaded.at(i).destinations.first().path, m_files.filePath(QStringLiteral("ssd")));
        }
        h.build();
        JobEditorView& view = h.open(JobEditorContext::existing(second));
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(!reloaded.hasPendingSave() && !h.hub.store.hasPendingSave());
        QCOMPARE(h.configBytes(), written);

        JobEditorView& again = h.open(JobEditorContext::existing(second));
        QTest::mouseClick(again.saveButton(), Qt::LeftButton);
        QCOMPARE(again.footerText(), "Documents already backs up into this folder. Choose another folder.");
        QCOMPARE(h.configBytes(), written);
    }

    void mirrorConfirmation_data()
    {
        QTest::addColumn<BackupMode>("opened");
        QTest::addColumn<QList<int>>("presses"); // modes pressed in turn; -1 clicks the checkbox
        QTest::addColumn<bool>("ticked");
        using enum BackupMode;
        QTest::newRow("mirror job") << mirror << QList<int> {} << true;
        QTest::newRow("mirror job, versioned, mirror")
            << mirror << QList { int(versioned), int(mirror) } << true;
        QTest::newRow("incremental job, mirror") << incremental << QList { int(mirror) } << false;
        QTest::newRow("ticked") << incremental << QList { int(mirror), -1 } << true;
        QTest::newRow("ticked, versioned, mirror")
            << incremental << QList { int(mirror), -1, int(versioned), int(mirror) } << false;
        QTest::newRow("mirror pressed again")
            << incremental << QList { int(mirror), -1, int(mirror) } << false;
    }

    // Save waits for the confirmation exactly while mirror is chosen and not confirmed.
    void mirrorConfirmation()
    {
        QFETCH(BackupMode, opened);
        QFETCH(QList<int>, presses);
        QFETCH(bool, ticked);
        Harness h;
        JobEditorView& view = h.open(JobEditorContext::existing(existingJob(opened)));
        ModeSection* modes = view.modeSection();
        for (const int press : presses) {
            if (press < 0)
                QTest::mouseClick(modes->mirrorCheckbox(), Qt::LeftButton, {},
                    QPoint(6, modes->mirrorCheckbox()->height() / 2));
            else
                QTest::mouseClick(modes->rows()[press], Qt::LeftButton);
        }
        QVERIFY(modes->mirrorWarning()->isVisible());
        QCOMPARE(modes->mirrorCheckbox()->isChecked(), ticked);
        QCOMPARE(view.saveButton()->isEnabled(), ticked);
        QCOMPARE(view.modeChip()->text(), "Mirror");
        QTest::mouseClick(modes->rows()[int(BackupMode::versioned)], Qt::LeftButton);
        QVERIFY(!modes->mirrorWarning()->isVisible());
        QVERIFY(view.saveButton()->isEnabled());
        QVERIFY(modes->rows()[int(BackupMode::versioned)]->isSelected());
    }

    // The sheet on an existing mirror job with two destinations, one off, and custom patterns.
    void editingScreens()
    {
        Harness h;
        BackupJob job = existingJob(BackupMode::mirror);
        BackupDestination usb
            = destinationAt(QStringLiteral("USB Stick"), m_files.filePath(QStringLiteral("usb")));
        usb.isEnabled = false;
        usb.modeOverride = BackupMode::versioned;
        usb.usesJobSchedule = false;
        usb.schedule.kind = ScheduleKind::weekly;
        job.destinations.append(usb);
        job.options.customExclusions = { QStringLiteral("*.psd"), QStringLiteral("build/") };
        JobEditorView& view = h.open(JobEditorContext::existing(job));
        MV_TRY_COMPARE(view.nameAndSource()->sourceCard()->sizeLine(), Format::bytes(4));
        const QList<DestinationRow*>& rows = view.destinationsSection()->rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(test::visibleTexts(*rows[0]),
            (QStringList { "Backup Drive", "Mirror", job.destinations[0].path, "Manual" }));
        QCOMPARE(test::visibleTexts(*rows[1]),
            (QStringList { "USB Stick", "Versioned", "Off", usb.path, "Monday at 02:00" }));
        QVERIFY(test::saveLightAndDark(view, "job-editor-editing"));
        auto* scroll = view.findChild<QScrollArea*>();
        scroll->ensureWidgetVisible(view.destinationsSection(), 0, 0);
        QVERIFY(test::saveLightAndDark(view, "job-editor-editing-destinations"));
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        QVERIFY(test::saveLightAndDark(view, "job-editor-editing-end"));

        // The row's switch turns the destination on; its chip goes.
        QTest::mouseClick(rows[1]->enabledSwitch(), Qt::LeftButton);
        MV_TRY_VERIFY(view.model().draft().destinations[1].isEnabled);
        QVERIFY(!test::visibleTexts(*view.destinationsSection()->rows()[1]).contains("Off"));
        // The pencil opens the editor on a copy; trash removes the row.
        QTest::mouseClick(view.destinationsSection()->rows()[0]->editButton(), Qt::LeftButton);
        QCOMPARE(h.sheets.context->destination, job.destinations[0]);
        QVERIFY(!h.sheets.context->isNew);
        h.sheets.onCancel();
        MV_TRY_VERIFY(!view.destinationSheet());
        // A sheet closed without an answer (Escape) counts as Cancel.
        QTest::mouseClick(view.destinationsSection()->rows()[0]->editButton(), Qt::LeftButton);
        QVERIFY(view.model().destinationEditor());
        view.destinationSheet()->reject();
        QVERIFY(!view.model().destinationEditor());
        QCOMPARE(view.model().draft().destinations.size(), 2);
        QTest::mouseClick(view.destinationsSection()->rows()[0]->removeButton(), Qt::LeftButton);
        MV_TRY_COMPARE(view.destinationsSection()->rows().size(), 1);
        QTest::mouseClick(view.destinationsSection()->rows()[0]->removeButton(), Qt::LeftButton);
        MV_TRY_VERIFY(view.destinationsSection()->emptyState());
        QVERIFY(!view.saveButton()->isEnabled());
    }

    // Patterns: trimmed, each once, counted in the header; Return in the field adds nothing; chips remove.
    void exclusionPatterns()
    {
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        ExclusionsSection* section = view.exclusionsSection();
        QLineEdit* field = section->patternField()->lineEdit();
        QCOMPARE(headerCount(section->header()), 4);
        QVERIFY(!section->chips());

        QTest::keyClicks(field, QStringLiteral("  *.psd  "));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(view.model().draft().options.customExclusions.isEmpty());
        QTest::mouseClick(section->addButton(), Qt::LeftButton);
        QCOMPARE(view.model().draft().options.customExclusions, QStringList { "*.psd" });
        QCOMPARE(field->text(), "");
        QCOMPARE(headerCount(section->header()), 5);
        QVERIFY(section->chips() && section->chips()->isVisible());

        QTest::keyClicks(field, QStringLiteral("*.psd"));
        QTest::mouseClick(section->addButton(), Qt::LeftButton);
        QCOMPARE(field->text(), "*.psd");
        field->clear();
        QTest::keyClicks(field, QStringLiteral("*.PSD"));
        QTest::mouseClick(section->addButton(), Qt::LeftButton);
        QCOMPARE(view.model().draft().options.customExclusions, (QStringList { "*.psd", "*.PSD" }));
        QCOMPARE(headerCount(section->header()), 6);
        QCOMPARE(section->chips()->removeButton("*.psd")->toolTip(), "Remove *.psd");

        QTest::mouseClick(section->checkbox(BuiltInExclusion::git), Qt::LeftButton, {}, QPoint(6, 8));
        QCOMPARE(headerCount(section->header()), 5);
        QTest::mouseClick(section->chips()->removeButton("*.psd"), Qt::LeftButton);
        MV_TRY_COMPARE(view.model().draft().options.customExclusions, QStringList { "*.PSD" });
        QTest::mouseClick(section->chips()->removeButton("*.PSD"), Qt::LeftButton);
        MV_TRY_VERIFY(!section->chips());
        QCOMPARE(headerCount(section->header()), 3);
    }

    // The groups stand two a line, left column first, in their order.
    void exclusionGrid()
    {
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        ExclusionsSection* section = view.exclusionsSection();
        const auto at = [section](BuiltInExclusion exclusion) {
            return section->checkbox(exclusion)->mapTo(section, QPoint(0, 0));
        };
        using enum BuiltInExclusion;
        const QList<std::pair<BuiltInExclusion, BuiltInExclusion>> lines { { finderMetadata, git },
            { nodeModules, temporaryFiles }, { trash, caches } };
        int previousY = -1;
        for (const auto& [left, right] : lines) {
            QCOMPARE(at(left).y(), at(right).y());
            QVERIFY(at(left).x() < at(right).x());
            QVERIFY(at(left).y() > previousY);
            previousY = at(left).y();
        }
        QCOMPARE(section->checkbox(finderMetadata)->text(), "File manager metadata (.DS_Store)");
        QVERIFY(section->checkbox(temporaryFiles)->isChecked() && !section->checkbox(trash)->isChecked());
    }

    void bandwidth_data()
    {
        QTest::addColumn<std::optional<qint64>>("stored");
        QTest::addColumn<int>("picked"); // -1 leaves the picker alone
        QTest::addColumn<int>("shown");
        QTest::addColumn<QJsonValue>("written");
        QTest::newRow("Off") << std::optional<qint64>(1024) << 0 << 0 << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("5 MB/s") << std::optional<qint64>() << 2 << 2 << QJsonValue(5120);
        QTest::newRow("2048 kept") << std::optional<qint64>(2048) << -1 << -1 << QJsonValue(2048);
    }

    // The picker's choices reach the file; a limit that is none of them shows none and survives a save.
    void bandwidth()
    {
        QFETCH(std::optional<qint64>, stored);
        QFETCH(int, picked);
        QFETCH(int, shown);
        QFETCH(QJsonValue, written);
        Harness h;
        BackupJob job = existingJob();
        job.options.bandwidthLimitKBps = stored;
        h.hub.store.addJob(job);
        JobEditorView& view = h.open(JobEditorContext::existing(job));
        QComboBox* picker = view.optionsSection()->bandwidthPicker();
        QCOMPARE(picker->count(), 4);
        QCOMPARE(picker->itemText(3), "10 MB/s");
        if (picked >= 0)
            pick(picker, picked);
        QCOMPARE(picker->currentIndex(), shown);
        QTest::mouseClick(view.saveButton(), Qt::LeftButton);
        QVERIFY(!view.isVisible());
        MV_TRY_VERIFY(!h.hub.store.hasPendingSave());
        const QJsonObject options
            = h.config().value("jobs").toArray().first().toObject().value("options").toObject();
        QCOMPARE(options.value("bandwidthLimitKBps"), written);
    }

    // The switches write their option into the draft.
    void optionSwitches()
    {
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        ToggleSwitch* ownership = view.optionsSection()->optionSwitch(&TransferOptions::preserveOwnership);
        ToggleSwitch* links = view.optionsSection()->optionSwitch(&TransferOptions::copySymlinks);
        QVERIFY(!ownership->isChecked() && links->isChecked());
        QTest::mouseClick(ownership, Qt::LeftButton);
        QTest::mouseClick(links, Qt::LeftButton);
        QVERIFY(view.model().draft().options.preserveOwnership);
        QVERIFY(!view.model().draft().options.copySymlinks);
    }

    // Only a folder is taken, only the first of several, and a new drop replaces the source.
    void drops()
    {
        Harness h;
        JobEditorView& view
            = h.open(JobEditorContext::newJob(AppSettings {}, QDateTime::currentDateTimeUtc()));
        QVERIFY(!view.handleDrop({}));
        QVERIFY(view.handleDrop({ QUrl::fromLocalFile(m_files.filePath(QStringLiteral("notes.txt"))) }));
        drop(view,
            { QUrl::fromLocalFile(m_files.filePath(QStringLiteral("Photos"))),
                QUrl::fromLocalFile(m_files.filePath(QStringLiteral("Documents"))) });
        MV_TRY_COMPARE(view.model().draft().source.path, m_files.filePath(QStringLiteral("Photos")));
        drop(view, { QUrl::fromLocalFile(m_files.filePath(QStringLiteral("Documents"))) });
        MV_TRY_COMPARE(view.model().draft().source.path, m_files.filePath(QStringLiteral("Documents")));
        QCOMPARE(view.model().draft().name, "Photos");
        QCOMPARE(h.prompts.revealed, QStringList {});
        QTest::mouseClick(button(*view.nameAndSource(), QStringLiteral("Reveal")), Qt::LeftButton);
        QCOMPARE(h.prompts.revealed, QStringList { m_files.filePath(QStringLiteral("Documents")) });
    }
};

MV_UI_TEST_MAIN(tst_JobEditorView)
#include "tst_JobEditorView.moc"
