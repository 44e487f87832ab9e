#include "model/PathValidation.h"
#include "support/EnumCompare.h"
#include "support/Mount.h"
#include "support/TempDir.h"
#include "ui/models/editors/DestinationEditorState.h"

#include <QtTest>

#include <functional>

using namespace mv;

namespace {

using Setup = std::function<void(DestinationEditorState&, const test::TempDir&)>;

const GoogleSignIn signedIn { QStringLiteral("ann@example.com"), true };

// A new local destination named "Backup SSD" of a job whose source is <temp>/source.
DestinationEditorState editing(const test::TempDir& files, DestinationKind kind)
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = QStringLiteral("Backup SSD");
    destination.kind = kind;
    DestinationEditorState state = DestinationEditorState::opening(
        { QUuid::createUuid(), destination, true }, files.mkdir(QStringLiteral("source")));
    switch (kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        state.path = files.mkdir(QStringLiteral("target"));
        break;
    case DestinationKind::ssh:
        state.host = QStringLiteral("nas.local");
        state.user = QStringLiteral("backup");
        state.path = QStringLiteral("/backups/docs");
        state.testedFingerprint = state.fingerprint();
        break;
    case DestinationKind::googleDrive:
        state.path = QStringLiteral("Documents");
        break;
    }
    return state;
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(DestinationKind)
Q_DECLARE_METATYPE(GoogleSignIn)
Q_DECLARE_METATYPE(std::optional<QString>)

class tst_DestinationEditorState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every message of validate(), in the order the checks run: each row breaks one more rule than the
    // state before it would need to reach it, so a check moved out of order fails its row.
    void validateReportsTheFirstFailure_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<GoogleSignIn>("google");
        QTest::addColumn<std::optional<QString>>("expected");
        const auto row = [](const QByteArray& name, DestinationKind kind, Setup setup,
                             std::optional<QString> expected, GoogleSignIn google = signedIn) {
            QTest::newRow(name.constData()) << kind << setup << google << expected;
        };
        const auto unacknowledgedMirror = [](DestinationEditorState& s) {
            s.modeOverride = BackupMode::mirror;
            s.mirrorAcknowledged = false;
        };
        using K = DestinationKind;
        using S = DestinationEditorState;
        using D = const test::TempDir&;

        for (const K kind : { K::local, K::network, K::ssh, K::googleDrive }) {
            const QByteArray prefix = toString(kind).toLatin1() + ": ";
            row(
                prefix + "empty name wins over everything", kind,
                [unacknowledgedMirror](S& s, D) {
                    s.name = QString();
                    s.path = QString();
                    s.host = QString();
                    unacknowledgedMirror(s);
                },
                "Give this destination a name.");
            row(
                prefix + "spaces and tabs are no name", kind,
                [](S& s, D) { s.name = QStringLiteral(" \t "); }, "Give this destination a name.");
            row(
                prefix + "a ready destination", kind, [](S&, D) {}, std::nullopt);
            row(
                prefix + "mirror without acknowledgement comes last", kind,
                [unacknowledgedMirror](S& s, D) { unacknowledgedMirror(s); },
                "Confirm that mirror can delete files at this destination.");
        }
        row(
            "local: no folder", K::local, [](S& s, D) { s.path = QString(); },
            "Choose a destination folder.");
        row(
            "local: the whole disk", K::local, [](S& s, D) { s.path = QStringLiteral("/"); },
            "The whole disk cannot be a backup destination.");
        row(
            "local: the source itself", K::local, [](S& s, D) { s.path = s.sourcePath + u'/'; },
            "The source and destination are the same folder.");
        row(
            "network: inside the source", K::network, [](S& s, D) { s.path = s.sourcePath + "/inner"; },
            "The source and destination overlap.");
        row(
            "local: around the source", K::local, [](S& s, D f) { s.path = f.path(); },
            "The source and destination overlap.");
        row(
            "local: drive not mounted", K::local, [](S& s, D f) { s.path = f.filePath("gone/away"); },
            "The destination drive is not available.");
        row(
            "network: a file", K::network, [](S& s, D f) { s.path = f.write("file", "x"); },
            "The destination is a file, not a folder.");
        row(
            "local: not yet created inside an existing folder", K::local,
            [](S& s, D f) { s.path = f.filePath("target/new"); }, std::nullopt);

        row(
            "ssh: no server", K::ssh, [](S& s, D) { s.host = QStringLiteral("  "); },
            "Enter the server name or address.");
        row(
            "ssh: blank inside the server", K::ssh,
            [](S& s, D) {
                s.host = QStringLiteral("bad host");
                s.user = QString();
            },
            "The server name contains unsupported characters.");
        row(
            "ssh: server as an option", K::ssh, [](S& s, D) { s.host = QStringLiteral("-nas.local"); },
            "The server name is not valid.");
        row(
            "ssh: empty user", K::ssh,
            [](S& s, D) {
                s.user = QString();
                s.port = 0;
            },
            "The SSH user name is not valid.");
        row(
            "ssh: port 0", K::ssh,
            [](S& s, D) {
                s.port = 0;
                s.path = QString();
            },
            "The port must be between 1 and 65535.");
        row(
            "ssh: port 65536", K::ssh, [](S& s, D) { s.port = 65536; },
            "The port must be between 1 and 65535.");
        row(
            "ssh: no remote folder", K::ssh,
            [](S& s, D) {
                s.path = QStringLiteral(" ");
                s.identityFile = QStringLiteral("/nonexistent/key");
            },
            "Enter a folder on the server.");
        row(
            "ssh: line break in the folder", K::ssh, [](S& s, D) { s.path = QStringLiteral("/a\nb"); },
            "The remote folder contains an invalid character.");
        row(
            "ssh: relative folder", K::ssh, [](S& s, D) { s.path = QStringLiteral("backups"); },
            "Use an absolute remote folder.");
        row(
            "ssh: missing key", K::ssh,
            [](S& s, D) {
                s.identityFile = QStringLiteral("/nonexistent/key");
                s.testedFingerprint.reset();
            },
            "The identity file was not found.");
        row(
            "ssh: existing key, tested", K::ssh,
            [](S& s, D f) {
                s.identityFile = f.write("id_test", "key");
                s.testedFingerprint = s.fingerprint();
            },
            std::nullopt);
        row(
            "ssh: never tested", K::ssh, [](S& s, D) { s.testedFingerprint.reset(); },
            "Test the connection successfully before saving.");
        row(
            "ssh: tested with another port", K::ssh, [](S& s, D) { s.port = 2222; },
            "Test the connection successfully before saving.");
        row(
            "ssh: tested, then a blank after the host", K::ssh, [](S& s, D) { s.host += u' '; },
            "Test the connection successfully before saving.");

        row(
            "google: folder name of blanks", K::googleDrive,
            [](S& s, D) { s.path = QStringLiteral(" \n\t"); }, "Choose a folder name for Google Drive.",
            GoogleSignIn {});
        row(
            "google: not signed in", K::googleDrive, [](S&, D) {},
            "Sign in with Google before saving this destination.", GoogleSignIn {});
        row(
            "google: account without refresh token", K::googleDrive, [](S&, D) {},
            "Sign in with Google before saving this destination.", GoogleSignIn { "ann@example.com", false });
        row(
            "google: token without account", K::googleDrive, [](S&, D) {},
            "Sign in with Google before saving this destination.", GoogleSignIn { std::nullopt, true });
    }
    void validateReportsTheFirstFailure()
    {
        QFETCH(DestinationKind, kind);
        QFETCH(Setup, setup);
        QFETCH(GoogleSignIn, google);
        QFETCH(std::optional<QString>, expected);
        const test::TempDir files;
        DestinationEditorState state = editing(files, kind);
        setup(state, files);
        QCOMPARE(state.validate(google), expected);
    }

    void validateRefusesReadOnlyFolders()
    {
        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const test::TempDir files;
        DestinationEditorState state = editing(files, DestinationKind::local);
        test::Mount mount = test::Mount::tmpfs(state.path);
        mount.remountReadOnly();
        QCOMPARE(state.validate(signedIn), "The destination folder is read only.");
    }

    void canSaveRules_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<GoogleSignIn>("google");
        QTest::addColumn<bool>("expected");
        using K = DestinationKind;
        using S = DestinationEditorState;
        using D = const test::TempDir&;
        const auto row
            = [](const char* name, K kind, Setup setup, bool expected, GoogleSignIn google = signedIn) {
                  QTest::newRow(name) << kind << setup << google << expected;
              };
        row(
            "local ready", K::local, [](S&, D) {}, true);
        row(
            "blank name", K::local, [](S& s, D) { s.name = QStringLiteral(" \t"); }, false);
        row(
            "a line break is a name here", K::local, [](S& s, D) { s.name = QStringLiteral("\n"); }, true);
        row(
            "no path", K::network, [](S& s, D) { s.path = QString(); }, false);
        // The disk is not looked at: a path of blanks or a missing folder is refused only by validate().
        row(
            "path of blanks", K::local, [](S& s, D) { s.path = QStringLiteral("  "); }, true);
        row(
            "missing folder", K::local, [](S& s, D) { s.path = QStringLiteral("/nonexistent/x"); }, true);
        row(
            "mirror acknowledged", K::local, [](S& s, D) { s.modeOverride = BackupMode::mirror; }, true);
        row(
            "mirror not acknowledged", K::local,
            [](S& s, D) {
                s.modeOverride = BackupMode::mirror;
                s.mirrorAcknowledged = false;
            },
            false);
        row(
            "unacknowledged without mirror", K::local,
            [](S& s, D) {
                s.modeOverride = BackupMode::versioned;
                s.mirrorAcknowledged = false;
            },
            true);
        row(
            "google signed in", K::googleDrive, [](S&, D) {}, true);
        row(
            "google without token", K::googleDrive, [](S&, D) {}, false,
            GoogleSignIn { "ann@example.com", false });
        row(
            "ssh tested", K::ssh, [](S&, D) {}, true);
        row(
            "ssh port and key not checked", K::ssh,
            [](S& s, D) {
                s.port = 0;
                s.identityFile = QStringLiteral("/nonexistent/key");
                s.testedFingerprint = s.fingerprint();
            },
            true);
        row(
            "ssh passphrase and name are not tested", K::ssh,
            [](S& s, D) {
                s.passphrase = QStringLiteral("secret");
                s.name = QStringLiteral("Renamed");
            },
            true);
        row(
            "ssh changed port", K::ssh, [](S& s, D) { s.port = 2222; }, false);
        row(
            "ssh port changed back", K::ssh,
            [](S& s, D) {
                s.port = 2222;
                s.port = 22;
            },
            true);
        row(
            "ssh changed user", K::ssh, [](S& s, D) { s.user = QStringLiteral("root"); }, false);
        row(
            "ssh changed folder", K::ssh, [](S& s, D) { s.path += u'/'; }, false);
        row(
            "ssh changed key", K::ssh, [](S& s, D) { s.identityFile = QStringLiteral("~/.ssh/id"); }, false);
        row(
            "ssh invalid host even when tested", K::ssh,
            [](S& s, D) {
                s.host = QStringLiteral("bad host");
                s.testedFingerprint = s.fingerprint();
            },
            false);
        row(
            "ssh never tested", K::ssh, [](S& s, D) { s.testedFingerprint.reset(); }, false);
    }
    void canSaveRules()
    {
        QFETCH(DestinationKind, kind);
        QFETCH(Setup, setup);
        QFETCH(GoogleSignIn, google);
        QFETCH(bool, expected);
        const test::TempDir files;
        DestinationEditorState state = editing(files, kind);
        setup(state, files);
        QCOMPARE(state.canSave(google), expected);
    }

    void fingerprintIsTheFieldsAsTyped()
    {
        const test::TempDir files;
        DestinationEditorState state = editing(files, DestinationKind::ssh);
        state.host = QStringLiteral(" nas.local");
        state.port = 2222;
        state.path = QStringLiteral("/backups/");
        state.identityFile = QStringLiteral("~/.ssh/id");
        QCOMPARE(state.fingerprint(), " nas.local|backup|2222|/backups/|~/.ssh/id");
    }

    // The identity, bookmark and last-run fields come through; the edited ones are cleaned up.
    void buildDestinationKeepsWhatTheSheetDoesNotEdit()
    {
        const test::TempDir files;
        BackupDestination original = BackupDestination::create(QDateTime::currentDateTimeUtc());
        original.bookmark = QByteArray("bookmark");
        original.volumeIdentity = QStringLiteral("uuid:1234");
        original.volumeName = QStringLiteral("SSD");
        original.lastAttempt = QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc());
        original.lastSuccess = original.lastAttempt;
        original.lastResult = RunResult::failed;
        original.lastError = QStringLiteral("disk full");
        original.nextRun = original.lastAttempt->addDays(1);
        original.retryDelaySeconds = std::nullopt;
        DestinationEditorState state
            = DestinationEditorState::opening({ QUuid::createUuid(), original, false }, {});
        QCOMPARE(state.retryDelay, 30);
        state.kind = DestinationKind::ssh;
        state.name = QStringLiteral(" \tNAS \n");
        state.host = QStringLiteral(" nas.local ");
        state.user = QStringLiteral("\tbackup ");
        state.port = 2222;
        state.path = QStringLiteral(" /backups/docs/ ");
        state.identityFile = QStringLiteral(" ~/.ssh/id");
        state.passphrase = QStringLiteral("never stored here");
        state.usesJobSchedule = true;
        state.schedule.kind = ScheduleKind::weekly;
        state.modeOverride = BackupMode::versioned;
        state.retention = 9;
        state.retryLimit = 0;
        state.isEnabled = false;

        BackupDestination expected = original;
        expected.kind = DestinationKind::ssh;
        expected.name = QStringLiteral("NAS");
        expected.host = QStringLiteral("nas.local");
        expected.user = QStringLiteral("backup");
        expected.port = 2222;
        expected.path = QStringLiteral("/backups/docs");
        expected.identityFile = QStringLiteral(" ~/.ssh/id");
        expected.usesJobSchedule = true;
        expected.schedule = state.schedule;
        expected.modeOverride = BackupMode::versioned;
        expected.retention = 9;
        expected.retryLimit = 0;
        expected.isEnabled = false;
        expected.retryDelaySeconds = 30;
        QVERIFY(state.buildDestination(std::nullopt) == expected);

        state.kind = DestinationKind::local;
        state.path = files.path() + QStringLiteral("/./target/");
        QCOMPARE(
            state.buildDestination(std::nullopt).path, PathValidation::normalize(files.path() + "/target"));
    }

    void buildDestinationForGoogleDrive_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<std::optional<QString>>("expectedID");
        QTest::addColumn<std::optional<QString>>("expectedAccount");
        const std::optional<QString> id = QStringLiteral("drive-id");
        const std::optional<QString> oldAccount = QStringLiteral("old@example.com");
        const std::optional<QString> account = QStringLiteral("ann@example.com");
        QTest::newRow("same name keeps the folder") << DestinationKind::googleDrive << " Photos "
                                                    << "Photos" << id << account;
        QTest::newRow("renamed folder is looked up again")
            << DestinationKind::googleDrive << "Pictures"
            << "Pictures" << std::optional<QString>() << account;
        QTest::newRow("to local keeps the Drive fields") << DestinationKind::local << "/tmp"
                                                         << "Photos" << id << oldAccount;
    }
    void buildDestinationForGoogleDrive()
    {
        QFETCH(DestinationKind, kind);
        QFETCH(QString, folderName);
        QFETCH(QString, expectedName);
        QFETCH(std::optional<QString>, expectedID);
        QFETCH(std::optional<QString>, expectedAccount);
        BackupDestination original = BackupDestination::create(QDateTime::currentDateTimeUtc());
        original.kind = DestinationKind::googleDrive;
        original.googleFolderName = QStringLiteral("Photos");
        original.googleFolderID = QStringLiteral("drive-id");
        original.googleAccount = QStringLiteral("old@example.com");
        DestinationEditorState state
            = DestinationEditorState::opening({ QUuid::createUuid(), original, false }, {});
        QCOMPARE(state.path, "Photos");
        state.kind = kind;
        state.path = folderName;
        const BackupDestination built = state.buildDestination(QStringLiteral("ann@example.com"));
        QCOMPARE(built.googleFolderName, expectedName);
        QCOMPARE(built.googleFolderID, expectedID);
        QCOMPARE(built.googleAccount, expectedAccount);
        QCOMPARE(built.path, kind == DestinationKind::googleDrive ? QString() : QStringLiteral("/tmp"));
    }

    void kindRule_data()
    {
        QTest::addColumn<DestinationKind>("from");
        QTest::addColumn<DestinationKind>("to");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expectedPath");
        using K = DestinationKind;
        QTest::newRow("drive takes the name") << K::local << K::googleDrive << "Work"
                                              << ""
                                              << "Work";
        QTest::newRow("drive without a name") << K::ssh << K::googleDrive << ""
                                              << ""
                                              << "Marrowvale";
        QTest::newRow("blanks are a name here") << K::local << K::googleDrive << "  "
                                                << ""
                                                << "  ";
        QTest::newRow("a path stays the Drive folder name") << K::local << K::googleDrive << "Work"
                                                            << "/Volumes/Backup"
                                                            << "/Volumes/Backup";
        QTest::newRow("other kinds keep the path") << K::googleDrive << K::ssh << "Work"
                                                   << ""
                                                   << "";
    }
    void kindRule()
    {
        QFETCH(DestinationKind, from);
        QFETCH(DestinationKind, to);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, expectedPath);
        const test::TempDir files;
        DestinationEditorState state = editing(files, from);
        state.name = name;
        state.path = path;
        const QString fingerprint = state.fingerprint();
        state.changeKind(to);
        QCOMPARE(state.kind, to);
        QCOMPARE(state.path, expectedPath);
        QCOMPARE(state.name, name);
        if (to != DestinationKind::googleDrive)
            QCOMPARE(state.fingerprint(), fingerprint);
    }

    void chosenFolderNamesDefaultNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("numbered default") << "Destination 3"
                                          << "Photos 2024";
        QTest::newRow("begins with Destination") << "Destinations Old"
                                                 << "Photos 2024";
        QTest::newRow("job editor's default") << "Backup Drive"
                                              << "Photos 2024";
        QTest::newRow("empty") << ""
                               << "Photos 2024";
        QTest::newRow("own name stays") << "Photos"
                                        << "Photos";
        QTest::newRow("lower case is the user's") << "destination"
                                                  << "destination";
    }
    void chosenFolderNamesDefaultNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expectedName);
        const test::TempDir files;
        DestinationEditorState state = editing(files, DestinationKind::local);
        state.name = name;
        state.takeChosenFolder(QStringLiteral("/media/ann/Photos 2024"));
        QCOMPARE(state.path, "/media/ann/Photos 2024");
        QCOMPARE(state.name, expectedName);
    }
};

int main(int argc, char** argv)
{
    // Before any thread exists, so the read-only mount is seen by the whole test.
    test::enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    tst_DestinationEditorState test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DestinationEditorState.moc"
