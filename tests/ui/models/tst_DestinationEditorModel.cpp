#include "model/KeychainService.h"
#include "model/UuidText.h"
#include "support/BuiltPrograms.h"
#include "support/IntegrationTimeout.h"
#include "support/OwnKeyring.h"
#include "support/SshServer.h"
#include "support/TempDir.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/editors/DestinationEditorModel.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace mv;

namespace {

const QString writableText = QStringLiteral("Connected. The folder is writable.");
const QString missingText = QStringLiteral(
    "Connected, but the folder is missing or not writable. Create it first or choose another folder.\n");
const QString unreachableText
    = QStringLiteral("Could not connect. Check the host, the key and that the host key is in known_hosts.\n");

// The sheet's model on a real state hub, editing `destination` of a job whose source is in the hub's files.
struct Sheet {
    test::AppStateHarness hub;
    std::unique_ptr<DestinationEditorModel> model;
    QStringList shownMessages; // every test message the model showed, in order

    explicit Sheet(const BackupDestination& destination, bool isNew = true)
    {
        hub.build();
        model = std::make_unique<DestinationEditorModel>(
            DestinationEditorContext { QUuid::createUuid(), destination, isNew },
            hub.files.mkdir(QStringLiteral("source")), BackupMode::incremental, BackupSchedule {},
            hub.context());
        QObject::connect(model.get(), &DestinationEditorModel::changed, model.get(), [this] {
            const auto& message = model->state().testMessage;
            if (message && (shownMessages.isEmpty() || shownMessages.last() != *message))
                shownMessages.append(*message);
        });
    }
    const DestinationEditorState& state() const { return model->state(); }
    void edit(const std::function<void(DestinationEditorState&)>& change) { model->edit(change); }
    // Runs a test and waits for its outcome.
    void test()
    {
        model->testConnection();
        QVERIFY(state().testing);
        MV_TRY_VERIFY(!state().testing);
    }
};

// What `secret-tool` finds in the keyring for the destination's passphrase.
QString storedBySecretTool(const QUuid& destination)
{
    QProcess tool;
    tool.start(QStringLiteral("secret-tool"),
        { QStringLiteral("lookup"), QStringLiteral("service"),
            QString::fromLatin1(KeychainService::serviceName), QStringLiteral("account"),
            uuidText(destination) });
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

class tst_DestinationEditorModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useBuiltAskpass(); }

    // A missing folder: the connected-but-missing text and the way to create it; creating it tests again and
    // passes. Only then may the destination be saved, and only with the tested server settings.
    void missingFolderIsCreatedAndTested()
    {
        const test::SshServer server;
        const test::TempDir remote;
        Sheet sheet(server.destination(remote.filePath(QStringLiteral("new/nested"))));
        QCOMPARE(sheet.model->canSave(), false);

        sheet.test();
        QCOMPARE(sheet.state().testSucceeded, false);
        QVERIFY2(sheet.state().testMessage->startsWith(missingText), qPrintable(*sheet.state().testMessage));
        QCOMPARE(sheet.state().createdFolder, false);
        QCOMPARE(sheet.state().testedFingerprint, std::nullopt);
        QCOMPARE(sheet.model->validate(), "Test the connection successfully before saving.");

        bool retestedAfterCreating = false;
        connect(sheet.model.get(), &DestinationEditorModel::changed, this,
            [&] { retestedAfterCreating |= sheet.state().createdFolder && sheet.state().testing; });
        sheet.model->createRemoteFolder();
        QVERIFY(sheet.state().testing);
        MV_TRY_COMPARE(sheet.state().testMessage, std::optional(writableText));
        QVERIFY(retestedAfterCreating);
        QVERIFY(QFileInfo(remote.filePath(QStringLiteral("new/nested"))).isDir());
        QCOMPARE(sheet.state().testing, false);
        QCOMPARE(sheet.state().testSucceeded, true);
        QCOMPARE(sheet.state().createdFolder, false);
        QCOMPARE(sheet.model->canSave(), true);
        QCOMPARE(sheet.model->validate(), std::nullopt);

        sheet.edit([&](DestinationEditorState& s) { s.port = 2222; });
        QCOMPARE(sheet.model->canSave(), false);
        QCOMPARE(sheet.state().testMessage, std::optional(writableText)); // the outcome stays on screen
        sheet.edit([&](DestinationEditorState& s) { s.port = server.port(); });
        QCOMPARE(sheet.model->canSave(), true);
        sheet.edit([](DestinationEditorState& s) {
            s.passphrase = QStringLiteral("typed");
            s.name = QStringLiteral("Renamed");
        });
        QCOMPARE(sheet.model->canSave(), true);
        sheet.edit([](DestinationEditorState& s) { s.host += u' '; });
        QCOMPARE(sheet.model->canSave(), false);
    }

    void unknownHostKeyIsNotAccepted()
    {
        const test::SshServer server({ .trustHostKey = false, .banner = {} });
        const test::TempDir remote;
        Sheet sheet(server.destination(remote.path()));
        sheet.test();
        const QString message = sheet.state().testMessage.value_or(QString());
        QCOMPARE(sheet.state().testSucceeded, false);
        QVERIFY2(message.startsWith(unreachableText), qPrintable(message));
        QVERIFY2(message.endsWith(QStringLiteral("Host key verification failed.")), qPrintable(message));
        QCOMPARE(sheet.model->canSave(), false);
    }

    // Entries that cannot be tested are answered without ssh: the text carries no ssh output, and a
    // validation message in the footer goes as soon as the test starts.
    void invalidServerDetailsAreAnsweredWithoutSsh_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::newRow("blank inside the host") << "bad host" << test::SshServer::user();
        QTest::newRow("empty user") << "127.0.0.1"
                                    << "";
    }
    void invalidServerDetailsAreAnsweredWithoutSsh()
    {
        QFETCH(QString, host);
        QFETCH(QString, user);
        const test::SshServer server;
        Sheet sheet(server.destination(QStringLiteral("/backups")));
        sheet.edit([&](DestinationEditorState& s) {
            s.host = host;
            s.user = user;
        });
        sheet.model->save();
        QVERIFY(sheet.state().errorMessage.has_value());
        sheet.model->testConnection();
        QCOMPARE(sheet.state().errorMessage, std::nullopt);
        MV_TRY_VERIFY(!sheet.state().testing);
        QCOMPARE(sheet.state().testMessage, "The server details are not valid.");
        QCOMPARE(sheet.state().testSucceeded, false);
    }

    // A test vouches for the fields as they were when it started: an edit while it runs is not covered,
    // even when the test passes and the field is put back afterwards.
    void editsDuringATestAreNotVouchedFor()
    {
        const test::SshServer server;
        const test::TempDir remote;
        Sheet sheet(server.destination(remote.path()));
        sheet.model->testConnection();
        sheet.edit([](DestinationEditorState& s) { s.host = QStringLiteral("localhost"); });
        MV_TRY_VERIFY(!sheet.state().testing);
        QCOMPARE(sheet.state().testMessage, std::optional(writableText));
        QCOMPARE(sheet.state().testedFingerprint, std::nullopt);
        QCOMPARE(sheet.model->canSave(), false);
        sheet.edit([&](DestinationEditorState& s) { s.host = server.host(); });
        QCOMPARE(sheet.model->canSave(), false);
        QCOMPARE(sheet.model->validate(), "Test the connection successfully before saving.");
    }

    // A folder creation started while a test runs supersedes it: the older test's "missing" never shows.
    void onlyTheNewestOutcomeIsShown()
    {
        const test::SshServer server;
        const test::TempDir remote;
        Sheet sheet(server.destination(remote.filePath(QStringLiteral("later"))));
        sheet.model->testConnection();
        sheet.model->createRemoteFolder();
        MV_TRY_COMPARE(sheet.state().testMessage, std::optional(writableText));
        QCOMPARE(sheet.shownMessages, QStringList { writableText });
        QCOMPARE(sheet.model->canSave(), true);
    }

    // A key protected by a passphrase: refused until "Save Key" puts the passphrase in the keyring, then
    // the test passes through the askpass program.
    void protectedKeyPassesAfterSaveKey()
    {
        test::SshServer server;
        const test::TempDir remote;
        BackupDestination destination = server.destination(remote.path());
        destination.identityFile = server.addProtectedKey(QStringLiteral("correct horse"));
        const auto cleanUp = qScopeGuard([&] { KeychainService::deletePassphrase(destination.id); });
        Sheet sheet(destination);

        sheet.test();
        QCOMPARE(sheet.state().testSucceeded, false);
        QVERIFY2(sheet.state().testMessage->contains(QStringLiteral("Permission denied")),
            qPrintable(*sheet.state().testMessage));

        sheet.edit([](DestinationEditorState& s) { s.passphrase = QStringLiteral("correct horse"); });
        sheet.model->saveKey();
        MV_TRY_COMPARE(sheet.state().testMessage, std::optional<QString>("Passphrase saved in the keyring."));
        QCOMPARE(sheet.state().testSucceeded, true);
        QCOMPARE(sheet.state().passphrase, QString());
        QCOMPARE(storedBySecretTool(destination.id), "correct horse");
        // Saving the key vouches for no server settings.
        QCOMPARE(sheet.state().testedFingerprint, std::nullopt);
        QCOMPARE(sheet.model->canSave(), false);

        sheet.test();
        QCOMPARE(sheet.state().testMessage, std::optional(writableText));
        QCOMPARE(sheet.model->canSave(), true);
    }

    // Save stores a typed passphrase before it hands the destination back; an empty one leaves the stored
    // passphrase alone; a destination of another kind never touches the keyring.
    void saveStoresTheTypedPassphrase()
    {
        const test::SshServer server;
        BackupDestination destination = server.destination(QStringLiteral("/backups"));
        const auto cleanUp = qScopeGuard([&] { KeychainService::deletePassphrase(destination.id); });
        Sheet sheet(destination);
        QList<BackupDestination> saved;
        QStringList storedWhenSaved;
        connect(sheet.model.get(), &DestinationEditorModel::saved, this, [&](const BackupDestination& d) {
            saved.append(d);
            storedWhenSaved.append(KeychainService::passphrase(destination.id).value_or(QString()));
        });
        sheet.edit([](DestinationEditorState& s) {
            s.testedFingerprint = s.fingerprint();
            s.passphrase = QStringLiteral("first");
        });
        sheet.model->save();
        MV_TRY_COMPARE(saved.size(), 1);
        QCOMPARE(storedWhenSaved, QStringList { "first" });
        QCOMPARE(saved.first().id, destination.id);

        sheet.edit([](DestinationEditorState& s) { s.passphrase.clear(); });
        sheet.model->save();
        QCOMPARE(saved.size(), 2);
        QCOMPARE(storedBySecretTool(destination.id), "first");
    }

    // A keyring that refuses the passphrase: Save reports it and hands nothing back; "Save Key" reports it
    // and keeps the typed passphrase. Neither claims the passphrase was saved.
    void refusedPassphraseIsNeverReportedAsSaved()
    {
        const test::SshServer server;
        Sheet sheet(server.destination(QStringLiteral("/backups")));
        QSignalSpy saved(sheet.model.get(), &DestinationEditorModel::saved);
        sheet.edit([](DestinationEditorState& s) {
            s.testedFingerprint = s.fingerprint();
            s.passphrase = QStringLiteral("secret");
        });
        QVERIFY(test::lockDefaultKeyring());
        const auto unlock = qScopeGuard([] { test::unlockDefaultKeyring(); });

        sheet.model->save();
        QVERIFY(sheet.model->isSaving());
        MV_TRY_VERIFY(!sheet.model->isSaving());
        QCOMPARE(sheet.state().errorMessage, "The passphrase could not be saved in the keyring.");
        QCOMPARE(saved.count(), 0);

        sheet.edit([](DestinationEditorState& s) { s.errorMessage.reset(); });
        sheet.model->saveKey();
        MV_TRY_COMPARE(
            sheet.state().errorMessage, std::optional(DestinationEditorModel::keyringFailureMessage()));
        QCOMPARE(sheet.state().passphrase, "secret");
        QCOMPARE(sheet.state().testMessage, std::nullopt);
        QCOMPARE(saved.count(), 0);
    }

    // A Drive destination can be saved once the account is signed in: account and refresh token stored.
    void googleDriveNeedsASignedInAccount()
    {
        BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
        destination.kind = DestinationKind::googleDrive;
        destination.googleFolderName = QStringLiteral("Documents");
        Sheet sheet(destination);
        QCOMPARE(sheet.model->googleConfigured(), false);
        QCOMPARE(sheet.model->canSave(), false);
        QCOMPARE(sheet.model->validate(), "Sign in with Google before saving this destination.");

        GoogleCredentialStore& credentials = sheet.hub.state->googleCredentials();
        QVERIFY(QCoro::waitFor(
            credentials.save(QStringLiteral("secret"), QString(GoogleCredentialStore::clientSecret))));
        QVERIFY(QCoro::waitFor(
            credentials.save(QStringLiteral("token"), QString(GoogleCredentialStore::refreshToken))));
        QVERIFY(QCoro::waitFor(credentials.save(
            QStringLiteral("ann@example.com"), QString(GoogleCredentialStore::accountEmail))));
        sheet.hub.settings([](AppSettings& settings) { settings.googleClientID = QStringLiteral("client"); });
        QCoro::waitFor(sheet.hub.state->googleAuth().load());
        MV_TRY_VERIFY(sheet.model->canSave());
        QCOMPARE(sheet.model->googleConfigured(), true);
        QCOMPARE(sheet.model->buildDestination().googleAccount, "ann@example.com");
    }
};

int main(int argc, char** argv)
{
    // The view objects hold the program's commands, which are QActions.
    QGuiApplication app(argc, argv);
    tst_DestinationEditorModel test;
    QTEST_SET_MAIN_SOURCE_PATH
    // A keyring of its own: one test locks it.
    return test::execWithOwnKeyring(test, argc, argv);
}

#include "tst_DestinationEditorModel.moc"
