#include "model/KeychainService.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/SshServer.h"
#include "support/TempDir.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"
#include "support/ui/VisibleTexts.h"
#include "ui/editors/DestinationEditorView.h"
#include "ui/editors/DestinationFolderBlock.h"
#include "ui/editors/DestinationGoogleBlock.h"
#include "ui/editors/DestinationKindPicker.h"
#include "ui/editors/DestinationKindTile.h"
#include "ui/editors/DestinationLocationSection.h"
#include "ui/editors/DestinationModeSection.h"
#include "ui/editors/DestinationPathBox.h"
#include "ui/editors/DestinationScheduleSection.h"
#include "ui/editors/DestinationSshBlock.h"
#include "ui/editors/ScheduleFrequencyRows.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/models/editors/DestinationEditorModel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QtTest>

using namespace mv;

namespace {

// The sheet as the job editor opens it, on a real state hub, with recording prompts and a record of what
// it handed back.
struct Sheet {
    test::AppStateHarness hub;
    test::RecordingPrompts prompts;
    QList<BackupDestination> saved;
    int cancelled = 0;
    std::unique_ptr<DestinationEditorView> view;

    void open(const BackupDestination& destination, bool isNew = true,
        BackupMode jobMode = BackupMode::incremental, BackupSchedule jobSchedule = {})
    {
        if (!hub.state)
            hub.build();
        view = std::make_unique<DestinationEditorView>(
            DestinationEditorContext { QUuid::createUuid(), destination, isNew },
            hub.files.mkdir(QStringLiteral("source")), jobMode, jobSchedule, hub.context(),
            [this](const BackupDestination& d) { saved.append(d); }, [this] { ++cancelled; });
        view->setPrompts(prompts);
        view->show();
    }
    DestinationEditorModel& model() { return view->model(); }
    const DestinationEditorState& state() { return model().state(); }
    DestinationSshBlock& ssh() { return *view->locationSection()->sshBlock(); }
    DestinationModeSection& mode() { return *view->modeSection(); }
    void pickKind(DestinationKind kind) { view->kindPicker()->segments().at(int(kind))->click(); }
    void type(TextField* field, const QString& text)
    {
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), text);
        if (text.isEmpty())
            QTest::keyClick(field->lineEdit(), Qt::Key_Backspace);
    }
    void clickPrimary() { QTest::mouseClick(view->primaryButton(), Qt::LeftButton); }
};

BackupDestination newDestination(
    DestinationKind kind = DestinationKind::local, const QString& name = "Destination 2")
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.kind = kind;
    destination.name = name;
    return destination;
}

// Whether the layout has given `label` the height its text needs at its width.
bool showsWhole(const QLabel& label)
{
    return label.height() >= label.heightForWidth(label.width());
}

// The labels of `view` whose text is `text`.
QList<TextLabel*> labelsShowing(const QWidget& view, const QString& text)
{
    QList<TextLabel*> labels;
    for (TextLabel* label : view.findChildren<TextLabel*>()) {
        if (label->text() == text)
            labels.append(label);
    }
    return labels;
}

void signInToGoogle(test::AppStateHarness& hub)
{
    GoogleCredentialStore& credentials = hub.state->googleCredentials();
    QVERIFY(QCoro::waitFor(
        credentials.save(QStringLiteral("secret"), QString(GoogleCredentialStore::clientSecret))));
    QVERIFY(QCoro::waitFor(
        credentials.save(QStringLiteral("token"), QString(GoogleCredentialStore::refreshToken))));
    QVERIFY(QCoro::waitFor(
        credentials.save(QStringLiteral("ann@example.com"), QString(GoogleCredentialStore::accountEmail))));
    hub.settings([](AppSettings& settings) { settings.googleClientID = QStringLiteral("client"); });
    QCoro::waitFor(hub.state->googleAuth().load());
}

} // namespace

Q_DECLARE_METATYPE(DestinationKind)
Q_DECLARE_METATYPE(std::optional<BackupMode>)

class tst_DestinationEditorView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opening_data()
    {
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<DestinationKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QString>("primary");
        QTest::addColumn<QString>("hint");
        const QString volumeHint = QStringLiteral("The folder must be on a mounted volume.");
        QTest::newRow("new local") << true << DestinationKind::local << ""
                                   << QStringList { "Add Destination", "Where should the copies live?" }
                                   << "Add" << volumeHint;
        QTest::newRow("existing ssh")
            << false << DestinationKind::ssh << "NAS" << QStringList { "Edit Destination", "NAS" } << "Save"
            << "Host key checking is always on. Save after a successful test.";
        QTest::newRow("existing drive")
            << false << DestinationKind::googleDrive << "Cloud" << QStringList { "Edit Destination", "Cloud" }
            << "Save" << volumeHint;
    }
    void opening()
    {
        QFETCH(bool, isNew);
        QFETCH(DestinationKind, kind);
        QFETCH(QString, name);
        QFETCH(QStringList, header);
        QFETCH(QString, primary);
        QFETCH(QString, hint);
        Sheet sheet;
        sheet.open(newDestination(kind, name), isNew);
        QCOMPARE(sheet.view->size(), QSize(620, 620));
        const QStringList texts = test::visibleTexts(*sheet.view);
        // The title reads first; its subtitle under it comes after the switch beside the title.
        QCOMPARE(texts.first(), header.first());
        QVERIFY2(texts.indexOf(header.last()) > 0 && texts.indexOf(header.last()) < texts.indexOf("Type"),
            qPrintable(texts.join(" | ")));
        QVERIFY(texts.contains("Enabled"));
        QCOMPARE(sheet.view->primaryButton()->title(), primary);
        QCOMPARE(sheet.view->footerMessage(), hint);
        QVERIFY(!sheet.view->primaryButton()->isEnabled());
        QVERIFY(sheet.view->enabledSwitch()->isChecked());
    }

    // Local: the chosen folder fills the path and replaces a default name; Return ("Add") hands the
    // destination back and closes the sheet.
    void localFlow()
    {
        Sheet sheet;
        sheet.open(newDestination());
        const QString folder = sheet.hub.files.mkdir(QStringLiteral("Photos"));
        auto* block = sheet.view->locationSection()->folderBlock();
        QVERIFY(block->isVisible());
        QVERIFY(!sheet.ssh().isVisible());
        QVERIFY(!sheet.view->locationSection()->googleBlock()->isVisible());
        QCOMPARE(block->pathBox()->label()->text(), "No folder chosen");
        QVERIFY(sheet.view->primaryButton()->isEnabled() == false);

        sheet.prompts.openPath = folder;
        QTest::mouseClick(block->chooseButton(), Qt::LeftButton);
        QCOMPARE(sheet.prompts.openRequests.size(), 1);
        const OpenPanelRequest& request = sheet.prompts.openRequests.first();
        QCOMPARE(request.choose, OpenPanelRequest::Choose::folder);
        QCOMPARE(request.prompt, "Choose Destination");
        QCOMPARE(request.title, "Choose the folder that should hold these backups.");
        QCOMPARE(block->pathBox()->label()->text(), folder);
        QCOMPARE(sheet.view->locationSection()->nameField()->text(), "Photos");
        QVERIFY(test::visibleTexts(*sheet.view).contains("Photos"));

        QTest::keyClick(sheet.view->locationSection()->nameField()->lineEdit(), Qt::Key_Return);
        QCOMPARE(sheet.saved.size(), 1);
        QCOMPARE(sheet.saved.first().path, folder);
        QCOMPARE(sheet.saved.first().name, "Photos");
        QCOMPARE(sheet.saved.first().retryDelaySeconds, 30);
        QCOMPARE(sheet.cancelled, 0);
        QCOMPARE(sheet.view->result(), int(QDialog::Accepted));
    }

    // Network: its own label and symbol; a folder inside the source is refused in the footer and the sheet
    // stays open with nothing handed back; a cancelled panel changes nothing.
    void networkFlow()
    {
        Sheet sheet;
        sheet.open(newDestination(DestinationKind::local, "Share"), false);
        sheet.pickKind(DestinationKind::network);
        QCOMPARE(sheet.view->kindTile()->symbol(), "network");
        const QStringList texts = test::visibleTexts(*sheet.view);
        QVERIFY(texts.contains("Mounted share folder"));
        QVERIFY(texts.contains("Mounted network share"));

        sheet.prompts.openPath = sheet.hub.files.mkdir(QStringLiteral("source/inner"));
        QTest::mouseClick(sheet.view->locationSection()->folderBlock()->chooseButton(), Qt::LeftButton);
        QCOMPARE(sheet.view->locationSection()->nameField()->text(), "Share");
        sheet.clickPrimary();
        QCOMPARE(sheet.view->footerMessage(), "The source and destination overlap.");
        QVERIFY(sheet.saved.isEmpty());
        QVERIFY(sheet.view->isVisible());

        sheet.prompts.openPath.clear();
        QTest::mouseClick(sheet.view->locationSection()->folderBlock()->chooseButton(), Qt::LeftButton);
        QCOMPARE(sheet.state().path, sheet.hub.files.filePath(QStringLiteral("source/inner")));
    }

    // SSH against the test server: typed fields, a test from the button, "Add" only for the tested settings.
    void sshFlow()
    {
        const test::SshServer server;
        const test::TempDir remote;
        Sheet sheet;
        sheet.open(newDestination(DestinationKind::local, "NAS"));
        sheet.pickKind(DestinationKind::ssh);
        QVERIFY(sheet.ssh().isVisible());
        QVERIFY(!sheet.view->locationSection()->folderBlock()->isVisible());
        QCOMPARE(sheet.view->kindTile()->symbol(), "server.rack");
        sheet.type(sheet.ssh().hostField(), server.host());
        sheet.type(sheet.ssh().userField(), test::SshServer::user());
        sheet.type(sheet.ssh().portField(), QString::number(server.port()));
        sheet.type(sheet.ssh().remoteFolderField(), remote.filePath(QStringLiteral("docs")));
        sheet.type(sheet.ssh().identityField(), server.identityFile());
        QCOMPARE(sheet.state().port, server.port());
        QVERIFY(sheet.ssh().createFolderButton()->isHidden()); // no button before a test has failed
        QVERIFY(!sheet.view->primaryButton()->isEnabled());

        QTest::mouseClick(sheet.ssh().testButton(), Qt::LeftButton);
        QCOMPARE(sheet.ssh().testButton()->title(), "Testing\u2026");
        QVERIFY(sheet.ssh().testButton()->isBusy());
        MV_TRY_VERIFY(!sheet.state().testing);
        QVERIFY(sheet.ssh().testMessageLabel()->text().startsWith("Connected, but the folder is missing"));
        QVERIFY(!sheet.ssh().createFolderButton()->isHidden());

        QTest::mouseClick(sheet.ssh().createFolderButton(), Qt::LeftButton);
        MV_TRY_COMPARE(sheet.ssh().testMessageLabel()->text(), "Connected. The folder is writable.");
        QCOMPARE(sheet.view->footerMessage(), "Connected. The folder is writable.");
        QCOMPARE(sheet.ssh().testButton()->title(), "Test Connection");
        QVERIFY(sheet.ssh().createFolderButton()->isHidden());
        QVERIFY(sheet.view->primaryButton()->isEnabled());

        sheet.type(sheet.ssh().portField(), QStringLiteral("2222"));
        QVERIFY(!sheet.view->primaryButton()->isEnabled());
        sheet.type(sheet.ssh().portField(), QString::number(server.port()));
        QVERIFY(sheet.view->primaryButton()->isEnabled());

        sheet.clickPrimary();
        QCOMPARE(sheet.saved.size(), 1);
        QCOMPARE(sheet.saved.first().host, server.host());
        QCOMPARE(sheet.saved.first().port, server.port());
        QCOMPARE(sheet.saved.first().path, remote.filePath(QStringLiteral("docs")));
        QCOMPARE(sheet.saved.first().kind, DestinationKind::ssh);
    }

    // The Type segments do without the mouse: a screen reader's press or toggle, Space and Return on a
    // segment, and the arrow key from the chosen one all change the kind. Return on a segment does not save.
    void kindWithoutMouse_data()
    {
        QTest::addColumn<QString>("way");
        for (const char* way : { "press action", "toggle action", "space", "return", "right arrow" })
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void kindWithoutMouse()
    {
        QFETCH(QString, way);
        Sheet sheet;
        sheet.open(newDestination(DestinationKind::local, "NAS"));
        sheet.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.view.get()));
        const QList<QPushButton*> segments = sheet.view->kindPicker()->segments();
        QPushButton* network = segments.at(int(DestinationKind::network));
        if (way.endsWith("action")) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(network);
            QVERIFY(accessible && accessible->actionInterface());
            accessible->actionInterface()->doAction(way == "press action"
                    ? QAccessibleActionInterface::pressAction()
                    : QAccessibleActionInterface::toggleAction());
        } else if (way == "right arrow") {
            QPushButton* local = segments.at(int(DestinationKind::local));
            local->setFocus();
            QTest::keyClick(local, Qt::Key_Right);
            QVERIFY(network->hasFocus());
        } else {
            network->setFocus();
            QTest::keyClick(network, way == "space" ? Qt::Key_Space : Qt::Key_Return);
        }
        MV_TRY_COMPARE(sheet.state().kind, DestinationKind::network);
        QVERIFY(network->isChecked());
        QVERIFY(sheet.saved.isEmpty());
        QVERIFY(sheet.view->isVisible());
    }

    // ssh's explanation of a failed test is shown whole beside the button and in the footer, and can be
    // selected to copy it.
    void failedTestMessageShowsWhole()
    {
        Sheet sheet;
        sheet.open(newDestination(DestinationKind::ssh, "NAS"));
        const QString message = QStringLiteral(
            "Could not connect. Check the host, the key and that the host key is in known_hosts. "
            "@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ WARNING: REMOTE HOST "
            "IDENTIFICATION HAS CHANGED! @@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@\n"
            "Host key verification failed.");
        sheet.model().edit([&](DestinationEditorState& state) {
            state.testSucceeded = false;
            state.testMessage = message;
        });
        QCoreApplication::sendPostedEvents();
        const QList<TextLabel*> shown = labelsShowing(*sheet.view, message);
        QCOMPARE(shown.size(), 2);
        for (TextLabel* label : std::as_const(shown)) {
            QVERIFY(label->isVisible());
            MV_TRY_VERIFY(showsWhole(*label));
            QVERIFY(label->textInteractionFlags().testFlags(
                Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard));
        }
        QCOMPARE(sheet.view->footerMessage(), message);
        // ssh's unbroken rows of "@" do not push the fields past the sheet's right edge.
        auto* scroll = sheet.view->findChild<QScrollArea*>(QStringLiteral("destinationScroll"));
        QVERIFY(scroll);
        QCOMPARE(scroll->widget()->width(), scroll->viewport()->width());
    }

    // "Save Key" stores the passphrase and empties the field; Cancel after typing one stores nothing.
    void passphraseInTheSheet()
    {
        Sheet sheet;
        const BackupDestination destination = newDestination(DestinationKind::ssh, "NAS");
        const auto cleanUp = qScopeGuard([&] { KeychainService::deletePassphrase(destination.id); });
        sheet.open(destination);
        QVERIFY(!sheet.ssh().saveKeyButton()->isEnabled());
        sheet.type(sheet.ssh().passphraseField(), QStringLiteral("typed only"));
        // Return belongs to the primary button alone, which an untested server leaves disabled.
        QTest::keyClick(sheet.ssh().passphraseField()->lineEdit(), Qt::Key_Return);
        QCOMPARE(sheet.state().kind, DestinationKind::ssh);
        QVERIFY(sheet.saved.isEmpty());
        QVERIFY(sheet.view->isVisible());
        QCOMPARE(sheet.ssh().passphraseField()->lineEdit()->echoMode(), QLineEdit::Password);
        QVERIFY(sheet.ssh().saveKeyButton()->isEnabled());
        QTest::mouseClick(sheet.view->cancelButton(), Qt::LeftButton);
        QCOMPARE(sheet.cancelled, 1);
        QVERIFY(sheet.saved.isEmpty());
        QCOMPARE(KeychainService::passphrase(destination.id), std::nullopt);

        sheet.open(destination);
        sheet.type(sheet.ssh().passphraseField(), QStringLiteral("kept"));
        QTest::mouseClick(sheet.ssh().saveKeyButton(), Qt::LeftButton);
        MV_TRY_COMPARE(sheet.ssh().testMessageLabel()->text(), "Passphrase saved in the keyring.");
        QCOMPARE(sheet.ssh().passphraseField()->text(), QString());
        QVERIFY(!sheet.ssh().saveKeyButton()->isEnabled());
        QVERIFY(sheet.ssh().createFolderButton()->isHidden());
        QCOMPARE(KeychainService::passphrase(destination.id), "kept");
    }

    // Google Drive: the warning while no client is configured; signed in, the account and its chip, and the
    // folder name taken from the destination's name.
    void googleDriveFlow()
    {
        Sheet sheet;
        sheet.open(newDestination(DestinationKind::local, "Work"));
        sheet.pickKind(DestinationKind::googleDrive);
        auto* google = sheet.view->locationSection()->googleBlock();
        QVERIFY(google->isVisible());
        QVERIFY(google->notConfiguredLabel()->isVisible());
        QVERIFY(!google->accountRow()->isVisible());
        QCOMPARE(google->folderField()->text(), "Work");
        QCOMPARE(sheet.view->kindTile()->symbol(), "cloud.fill");
        QVERIFY(!sheet.view->primaryButton()->isEnabled());

        signInToGoogle(sheet.hub);
        MV_TRY_VERIFY(sheet.view->primaryButton()->isEnabled());
        QVERIFY(!google->notConfiguredLabel()->isVisible());
        QCOMPARE(google->accountLabel()->text(), "ann@example.com");
        QVERIFY(google->signedInChip()->isVisible());
        QVERIFY(!google->signInButton()->isVisible());
        QVERIFY(sheet.mode().modePicker()->findText("Versioned") >= 0);

        sheet.type(google->folderField(), QStringLiteral("Projects"));
        sheet.clickPrimary();
        QCOMPARE(sheet.saved.size(), 1);
        QCOMPARE(sheet.saved.first().googleFolderName, "Projects");
        QCOMPARE(sheet.saved.first().path, QString());
        QCOMPARE(sheet.saved.first().googleAccount, "ann@example.com");
    }

    // An account whose refresh token is gone offers "Sign In" again.
    void googleAccountWithoutToken()
    {
        Sheet sheet;
        sheet.hub.build();
        signInToGoogle(sheet.hub);
        GoogleCredentialStore& credentials = sheet.hub.state->googleCredentials();
        QVERIFY(QCoro::waitFor(credentials.remove(QString(GoogleCredentialStore::refreshToken))));
        // Read back here, the token is known to be gone when the sheet opens: the sheet then leaves no
        // keyring read running when the test ends and its keyring goes away.
        QVERIFY(!QCoro::waitFor(credentials.read(QString(GoogleCredentialStore::refreshToken))));
        const int lookups = sheet.hub.secrets.lookups.load();
        sheet.open(newDestination(DestinationKind::googleDrive, "Work"));
        QCOMPARE(sheet.hub.secrets.lookups.load(), lookups);
        auto* google = sheet.view->locationSection()->googleBlock();
        QCOMPARE(google->accountLabel()->text(), "ann@example.com");
        QCOMPARE(google->accountSymbol()->symbol(), "person.crop.circle.badge.questionmark");
        QVERIFY(google->signInButton()->isVisible());
        QVERIFY(!google->signedInChip()->isVisible());
        QVERIFY(!sheet.view->primaryButton()->isEnabled());
    }

    // Following the job's schedule shows it read-only; switching off shows the destination's own rows, and
    // both the flag and the own schedule are saved.
    void scheduleRows()
    {
        Sheet sheet;
        BackupDestination destination = newDestination();
        destination.path = sheet.hub.files.mkdir(QStringLiteral("target"));
        destination.usesJobSchedule = true;
        destination.schedule.kind = ScheduleKind::weekly;
        BackupSchedule jobSchedule;
        jobSchedule.kind = ScheduleKind::daily;
        sheet.open(destination, false, BackupMode::incremental, jobSchedule);
        auto* schedule = sheet.view->scheduleSection();
        QVERIFY(schedule->jobFrequencyRow()->isVisible());
        QVERIFY(!schedule->ownScheduleRows()->isVisible());
        const QStringList texts = test::visibleTexts(*sheet.view);
        QVERIFY(texts.contains(jobSchedule.summary()));
        QVERIFY(texts.contains("This destination runs on the job schedule (" + jobSchedule.summary()
            + "). Turn this off to set one here."));
        QVERIFY(texts.contains("Schedules run while Marrowvale is running and the computer is awake."));

        schedule->followSwitch()->click();
        QVERIFY(!schedule->jobFrequencyRow()->isVisible());
        QVERIFY(schedule->ownScheduleRows()->isVisible());
        QCOMPARE(schedule->ownScheduleRows()->schedule().kind, ScheduleKind::weekly);
        sheet.clickPrimary();
        QCOMPARE(sheet.saved.size(), 1);
        QCOMPARE(sheet.saved.first().usesJobSchedule, false);
        QCOMPARE(sheet.saved.first().schedule.kind, ScheduleKind::weekly);
    }

    void modeRows_data()
    {
        QTest::addColumn<BackupMode>("jobMode");
        QTest::addColumn<std::optional<BackupMode>>("modeOverride");
        QTest::addColumn<std::optional<qint64>>("retryLimit");
        QTest::addColumn<qint64>("settingsRetries");
        QTest::addColumn<bool>("snapshots");
        QTest::addColumn<bool>("retryDelay");
        QTest::addColumn<bool>("mirrorWarning");
        using M = BackupMode;
        const std::optional<M> none;
        const std::optional<qint64> byDefault;
        QTest::newRow("versioned job")
            << M::versioned << none << byDefault << qint64(3) << true << true << false;
        QTest::newRow("versioned job, incremental here") << M::versioned << std::optional(M::incremental)
                                                         << byDefault << qint64(3) << false << true << false;
        QTest::newRow("versioned here") << M::incremental << std::optional(M::versioned) << byDefault
                                        << qint64(3) << true << true << false;
        QTest::newRow("mirror job shows no warning")
            << M::mirror << none << byDefault << qint64(3) << false << true << false;
        QTest::newRow("mirror here") << M::incremental << std::optional(M::mirror) << byDefault << qint64(3)
                                     << false << true << true;
        QTest::newRow("no retries") << M::incremental << none << std::optional<qint64>(0) << qint64(3)
                                    << false << false << false;
        QTest::newRow("default of none")
            << M::incremental << none << byDefault << qint64(0) << false << false << false;
        QTest::newRow("own retries over a default of none")
            << M::incremental << none << std::optional<qint64>(2) << qint64(0) << false << true << false;
    }
    void modeRows()
    {
        QFETCH(BackupMode, jobMode);
        QFETCH(std::optional<BackupMode>, modeOverride);
        QFETCH(std::optional<qint64>, retryLimit);
        QFETCH(qint64, settingsRetries);
        QFETCH(bool, snapshots);
        QFETCH(bool, retryDelay);
        QFETCH(bool, mirrorWarning);
        Sheet sheet;
        sheet.hub.build();
        sheet.hub.settings([&](AppSettings& settings) { settings.retryAttempts = settingsRetries; });
        BackupDestination destination = newDestination();
        destination.modeOverride = modeOverride;
        destination.retryLimit = retryLimit;
        sheet.open(destination, true, jobMode);
        QCOMPARE(sheet.mode().retentionRow()->isVisible(), snapshots);
        QCOMPARE(sheet.mode().retryDelayRow()->isVisible(), retryDelay);
        QCOMPARE(sheet.mode().mirrorWarningRow()->isVisible(), mirrorWarning);
        QCOMPARE(sheet.mode().retriesPicker()->itemText(0),
            "Use default (" + QString::number(settingsRetries) + ")");
    }

    // The pickers and steppers as a person uses them: the entries, the mirror acknowledgement and the
    // stepper bounds, and a default retry count that follows the settings while the sheet is open.
    void modeControls()
    {
        Sheet sheet;
        BackupDestination destination = newDestination();
        destination.path = sheet.hub.files.mkdir(QStringLiteral("target"));
        sheet.open(destination, true, BackupMode::versioned);
        QComboBox* mode = sheet.mode().modePicker();
        QStringList modes;
        for (int i = 0; i < mode->count(); ++i)
            modes << mode->itemText(i);
        QCOMPARE(
            modes, (QStringList { "Use job mode (Versioned)", "Incremental copy", "Mirror", "Versioned" }));
        QStringList retries;
        for (int i = 0; i < sheet.mode().retriesPicker()->count(); ++i)
            retries << sheet.mode().retriesPicker()->itemText(i);
        QCOMPARE(retries, (QStringList { "Use default (3)", "No retries", "1", "2", "3", "4", "5" }));

        QTest::keyClick(mode, Qt::Key_Down);
        QTest::keyClick(mode, Qt::Key_Down);
        QCOMPARE(sheet.state().modeOverride, std::optional(BackupMode::mirror));
        QVERIFY(sheet.mode().mirrorWarningRow()->isVisible());
        QVERIFY(sheet.mode().mirrorCheckbox()->isChecked());
        QVERIFY(sheet.view->primaryButton()->isEnabled());
        sheet.mode().mirrorCheckbox()->click();
        QVERIFY(!sheet.view->primaryButton()->isEnabled());
        sheet.view->save();
        QCOMPARE(sheet.view->footerMessage(), "Confirm that mirror can delete files at this destination.");
        sheet.mode().mirrorCheckbox()->click();

        QSpinBox* delay = sheet.mode().retryDelayStepper();
        QCOMPARE(delay->value(), 30);
        QCOMPARE(delay->text(), "30s");
        QTest::keyClick(delay, Qt::Key_Up);
        QCOMPARE(sheet.state().retryDelay, 40);
        QCOMPARE(delay->minimum(), 10);
        QCOMPARE(delay->maximum(), 300);
        QSpinBox* retention = sheet.mode().retentionStepper();
        QCOMPARE(retention->minimum(), 2);
        QCOMPARE(retention->maximum(), 60);

        sheet.hub.settings([](AppSettings& settings) { settings.retryAttempts = 0; });
        MV_TRY_COMPARE(sheet.mode().retriesPicker()->itemText(0), "Use default (0)");
        QVERIFY(!sheet.mode().retryDelayRow()->isVisible());
        sheet.clickPrimary();
        QCOMPARE(sheet.saved.size(), 1);
        QCOMPARE(sheet.saved.first().modeOverride, std::optional(BackupMode::mirror));
        QCOMPARE(sheet.saved.first().retryDelaySeconds, 40); // kept though its row is hidden
    }

    // The sheet of each kind, light and dark, for a reviewer.
    void screenshots_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::newRow("local") << DestinationKind::local;
        QTest::newRow("network") << DestinationKind::network;
        QTest::newRow("ssh") << DestinationKind::ssh;
        QTest::newRow("googleDrive") << DestinationKind::googleDrive;
    }
    void screenshots()
    {
        QFETCH(DestinationKind, kind);
        Sheet sheet;
        BackupDestination destination = newDestination(kind, QStringLiteral("Backup SSD"));
        destination.path
            = QStringLiteral("/media/ann/Backup SSD/Marrowvale/Documents and Settings/Archive 2024");
        destination.host = QStringLiteral("nas.local");
        destination.user = QStringLiteral("backup");
        destination.googleFolderName = QStringLiteral("Documents");
        destination.modeOverride = BackupMode::versioned;
        sheet.open(destination, kind == DestinationKind::local);
        if (kind == DestinationKind::ssh) {
            sheet.model().edit([](DestinationEditorState& state) {
                state.testSucceeded = false;
                state.testMessage
                    = QStringLiteral("Could not connect. Check the host, the key and that the host "
                                     "key is in known_hosts.\nHost key verification failed.");
            });
        }
        QCoreApplication::sendPostedEvents(); // lay out what the last changes showed and hid
        if (kind == DestinationKind::ssh) {
            // The picture waits for the layout to give the test's outcome all its lines.
            for (TextLabel* label : labelsShowing(*sheet.view, *sheet.state().testMessage))
                MV_TRY_VERIFY(showsWhole(*label));
        }
        QVERIFY(test::saveLightAndDark(*sheet.view, "destination-editor-" + toString(kind)));
    }
};

MV_UI_TEST_MAIN(tst_DestinationEditorView)

#include "tst_DestinationEditorView.moc"
