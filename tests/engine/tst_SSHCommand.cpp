#include "engine/SSHCommand.h"
#include "model/KeychainService.h"
#include "platform/Executables.h"
#include "support/BuiltPrograms.h"
#include "support/KnownHosts.h"
#include "support/Mount.h"
#include "support/SshServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

#include <csignal>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

const QString missingText = QStringLiteral(
    "Connected, but the folder is missing or not writable. Create it first or choose another folder.\n");
const QString unreachableText
    = QStringLiteral("Could not connect. Check the host, the key and that the host key is in known_hosts.\n");

SSHCommand::ProbeResult probe(const BackupDestination& destination)
{
    return QCoro::waitFor(SSHCommand::probe(destination, 20s));
}

// A passphrase in the real keyring for the test's life.
struct StoredPassphrase {
    QUuid destination;
    StoredPassphrase(const QString& passphrase, const QUuid& id)
        : destination(id)
    {
        if (!KeychainService::savePassphrase(passphrase, id))
            qFatal("the keyring did not store the passphrase");
    }
    ~StoredPassphrase() { KeychainService::deletePassphrase(destination); }
};

QByteArray knownHosts()
{
    return test::TempDir::read(test::KnownHostsEntry::filePath());
}

} // namespace

namespace mv::SSHCommand {
char* toString(const ProbeResult& result)
{
    return QTest::toString(QStringLiteral("{connected %1, exists %2, writable %3, \"%4\"}")
                               .arg(int(result.connected))
                               .arg(int(result.folderExists))
                               .arg(int(result.writable))
                               .arg(result.message));
}
char* toString(const ProcessResult& result)
{
    return QTest::toString(QStringLiteral("{%1, \"%2\"}").arg(result.exitStatus).arg(result.output));
}
} // namespace mv::SSHCommand

class TestSSHCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useBuiltAskpass(); }

    void quotesRemotePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("quote") << "/backups/it's"
                               << R"('/backups/it'\''s')";
        QTest::newRow("home folder") << "~/backups"
                                     << "~/'backups'";
        QTest::newRow("home itself") << "~"
                                     << "~";
        QTest::newRow("other user's home stays literal") << "~bob/x"
                                                         << "'~bob/x'";
        QTest::newRow("shell words") << "/a b/$(rm -rf x);`y`"
                                     << "'/a b/$(rm -rf x);`y`'";
    }
    void quotesRemotePaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, quoted);
        QCOMPARE(SSHCommand::quotedRemotePath(path), quoted);
    }

    void baseArgumentsKeepHostKeysStrict()
    {
        BackupDestination destination;
        destination.user = QStringLiteral("ann");
        destination.host = QStringLiteral("nas.local");
        destination.port = 2222;
        destination.identityFile = QStringLiteral("~/keys/id ed25519");
        QCOMPARE(SSHCommand::baseArguments(destination),
            QStringList({ "-o", "BatchMode=yes", "-o", "StrictHostKeyChecking=yes", "-o", "ConnectTimeout=10",
                "-p", "2222", "-i", "~/keys/id ed25519", "ann@nas.local" }));
        destination.identityFile.clear();
        QCOMPARE(SSHCommand::baseArguments(destination, true),
            QStringList({ "-o", "BatchMode=no", "-o", "NumberOfPasswordPrompts=1", "-o",
                "PreferredAuthentications=publickey", "-o", "StrictHostKeyChecking=yes", "-o",
                "ConnectTimeout=10", "-p", "2222", "ann@nas.local" }));
    }

    void probesFolders_data()
    {
        QTest::addColumn<QString>("folder"); // made on the server unless empty
        QTest::addColumn<QString>("probed");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<SSHCommand::ProbeResult>("expected");
        const SSHCommand::ProbeResult success { true, true, true,
            QStringLiteral("Connected. The folder is writable.") };
        const SSHCommand::ProbeResult refused { true, false, false, missingText };
        QTest::newRow("writable") << "backups"
                                  << "backups" << false << success;
        QTest::newRow("quote and blank") << "it's mine"
                                         << "it's mine/" << false << success;
        QTest::newRow("missing") << ""
                                 << "gone" << false << refused;
        QTest::newRow("not writable") << "backups"
                                      << "backups" << true << refused;
    }
    void probesFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, probed);
        QFETCH(bool, readOnly);
        QFETCH(SSHCommand::ProbeResult, expected);
        if (readOnly && !test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");

        const test::TempDir remote;
        std::optional<test::Mount> mount;
        if (readOnly)
            mount.emplace(test::Mount::tmpfs(remote.path()));
        if (!folder.isEmpty())
            remote.mkdir(folder);
        if (mount)
            mount->remountReadOnly();
        const test::SshServer server;
        QCOMPARE(probe(server.destination(remote.filePath(probed))), expected);
    }

    void probeHomeFolder()
    {
        const test::SshServer server;
        const SSHCommand::ProbeResult result = probe(server.destination(QStringLiteral("~")));
        QVERIFY2(result.writable, qPrintable(result.message));
    }

    void unknownHostKeyIsNeverAccepted()
    {
        const test::SshServer server({ .trustHostKey = false, .banner = {} });
        const test::TempDir remote;
        const SSHCommand::ProbeResult result = probe(server.destination(remote.path()));
        QVERIFY(!result.connected && !result.folderExists && !result.writable);
        QVERIFY2(result.message.startsWith(unreachableText), qPrintable(result.message));
        QVERIFY2(result.message.endsWith(QStringLiteral("Host key verification failed.")),
            qPrintable(result.message));
        // ssh ends its lines with CRLF; a message keeps none of the carriage returns.
        QVERIFY2(
            result.message.contains(u'\n') && !result.message.contains(u'\r'), qPrintable(result.message));
        // Other tests may be adding their own servers meanwhile: only this server's line matters.
        QVERIFY(!knownHosts().contains(QStringLiteral("[127.0.0.1]:%1 ").arg(server.port()).toUtf8()));
    }

    void refusesInvalidDetailsWithoutConnecting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("creationText");
        const QString badPath = QStringLiteral("The remote folder is not valid.");
        const QString badLogin = QStringLiteral("The server details are not valid.");
        QTest::newRow("relative path") << "backups"
                                       << "127.0.0.1"
                                       << "ann" << badPath;
        QTest::newRow("line feed in path") << "/a\nb"
                                           << "127.0.0.1"
                                           << "ann" << badPath;
        QTest::newRow("option as host") << "/backups"
                                        << "-oProxyCommand=x"
                                        << "ann" << badLogin;
        QTest::newRow("option as user") << "/backups"
                                        << "127.0.0.1"
                                        << "-oProxyCommand=touch /tmp/x" << badLogin;
        QTest::newRow("blank in user") << "/backups"
                                       << "127.0.0.1"
                                       << "a b" << badLogin;
    }
    void refusesInvalidDetailsWithoutConnecting()
    {
        QFETCH(QString, path);
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(QString, creationText);
        BackupDestination destination;
        destination.kind = DestinationKind::ssh;
        destination.path = path;
        destination.host = host;
        destination.user = user;
        destination.port = 1; // nothing listens: a connection attempt would show as "Could not connect"
        QCOMPARE(probe(destination),
            SSHCommand::ProbeResult(
                { false, false, false, QStringLiteral("The server details are not valid.") }));
        QCOMPARE(QCoro::waitFor(SSHCommand::createFolder(destination)),
            SSHCommand::FolderCreation({ false, creationText }));
    }

    void createsFolders_data()
    {
        QTest::addColumn<bool>("inHome");
        QTest::addColumn<QString>("relative");
        QTest::newRow("absolute with quote") << false << "it's here/nested";
        QTest::newRow("home relative") << true << "it's here/nested";
    }
    void createsFolders()
    {
        QFETCH(bool, inHome);
        QFETCH(QString, relative);
        const test::TempDir remote;
        const QString top
            = QStringLiteral("marrowvale-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString home = test::SshServer::home();
        const QString requested
            = (inHome ? QStringLiteral("~/") : remote.path() + u'/') + top + u'/' + relative;
        const QString created = (inHome ? home : remote.path()) + u'/' + top + u'/' + relative;
        const auto cleanUp = qScopeGuard([&] { QDir(home + u'/' + top).removeRecursively(); });

        const test::SshServer server;
        const SSHCommand::FolderCreation result
            = QCoro::waitFor(SSHCommand::createFolder(server.destination(requested)));
        QCOMPARE(result, SSHCommand::FolderCreation({ true, QStringLiteral("MV_OK") }));
        QVERIFY2(QFileInfo(created).isDir(), qPrintable(created));
        QCOMPARE(probe(server.destination(requested)).writable, true);
    }

    void folderCreationFailureKeepsSshOutput()
    {
        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const test::TempDir remote;
        test::Mount mount = test::Mount::tmpfs(remote.path());
        mount.remountReadOnly();
        const test::SshServer server;
        const SSHCommand::FolderCreation result
            = QCoro::waitFor(SSHCommand::createFolder(server.destination(remote.filePath("new"))));
        QVERIFY(!result.created);
        QVERIFY2(result.output.endsWith(QStringLiteral("Read-only file system")), qPrintable(result.output));
    }

    void protectedKeyUsesStoredPassphrase()
    {
        test::SshServer server;
        const test::TempDir remote;
        BackupDestination destination = server.destination(remote.path());
        destination.identityFile = server.addProtectedKey(QStringLiteral("correct horse"));

        // Without a stored passphrase ssh never asks for one.
        SSHCommand::ProbeResult result = probe(destination);
        QVERIFY2(!result.connected && result.message.contains(QStringLiteral("Permission denied")),
            qPrintable(result.message));
        {
            const StoredPassphrase stored(QStringLiteral("wrong horse"), destination.id);
            result = probe(destination);
            QVERIFY2(!result.connected, qPrintable(result.message));
        }
        const StoredPassphrase stored(QStringLiteral("correct horse"), destination.id);
        result = probe(destination);
        QVERIFY2(result.writable, qPrintable(result.message + QString::fromUtf8(server.log())));
        QCOMPARE(QCoro::waitFor(SSHCommand::createFolder(destination)).created, true);
    }

    void markerInBannerIsNotSuccess()
    {
        const test::SshServer server({ .trustHostKey = true, .banner = "Welcome\nMV_OK\n" });
        const test::TempDir remote;
        const SSHCommand::ProbeResult result = probe(server.destination(remote.filePath("missing")));
        QCOMPARE(result.connected, true);
        QCOMPARE(result.writable, false);
        QVERIFY2(result.message.startsWith(missingText), qPrintable(result.message));
        QCOMPARE(QCoro::waitFor(SSHCommand::createFolder(server.destination(remote.filePath("new")))).created,
            true);
    }

    void longBannerDoesNotStall()
    {
        QByteArray banner;
        while (banner.size() < 100 * 1024)
            banner += "This server is monitored. Unauthorised access is prohibited and will be prosecuted.\n";
        const test::SshServer server({ .trustHostKey = true, .banner = banner });
        const test::TempDir remote;
        // A probe stalled on the banner would reach its deadline and be killed, never answer writable; how
        // long it took depends on the machine.
        const SSHCommand::ProbeResult result = probe(server.destination(remote.path()));
        QVERIFY2(result.writable, qPrintable(result.message.right(300)));
    }

    void runProcessBoundsChildren_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("output");
        QTest::newRow("lingering grandchild")
            << "/bin/sh" << QStringList { "-c", "sleep 10 & echo MV_OK" } << 20000 << 0 << "MV_OK\n";
        QTest::newRow("ends at the deadline")
            << "/bin/sh" << QStringList { "-c", "echo started; exec sleep 30" } << 300 << 128 + SIGTERM
            << "started\n";
        QTest::newRow("grandchild of its own session holds the pipe past the deadline")
            << "/bin/sh" << QStringList { "-c", "setsid sleep 8 & echo started; exec sleep 30" } << 300
            << 128 + SIGTERM << "started\n";
        QTest::newRow("launch failure")
            << "/nonexistent/ssh" << QStringList() << 20000 << -1 << "No such file or directory";
    }
    void runProcessBoundsChildren()
    {
        QFETCH(QString, executable);
        QFETCH(QStringList, arguments);
        QFETCH(int, timeoutMs);
        QFETCH(int, exitStatus);
        QFETCH(QString, output);
        QElapsedTimer timer;
        timer.start();
        const SSHCommand::ProcessResult result = QCoro::waitFor(
            SSHCommand::runProcess(executable, arguments, std::chrono::milliseconds(timeoutMs)));
        QCOMPARE(result, SSHCommand::ProcessResult({ exitStatus, output }));
        QVERIFY2(timer.elapsed() < 5000, "the wait was not bounded");
    }

    void runProcessEnvironmentIsExactlyAskpass()
    {
        const SSHCommand::ProcessResult result = QCoro::waitFor(SSHCommand::runProcess(
            QStringLiteral("/usr/bin/env"), {}, 5s, { { QStringLiteral("EXTRA"), QStringLiteral("1") } }));
        QStringList lines = result.output.split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines,
            QStringList({ "EXTRA=1", "PATH=/usr/bin:/bin:/usr/sbin:/sbin",
                "SSH_ASKPASS=" + askpassExecutablePath(), "SSH_ASKPASS_REQUIRE=force" }));
    }
};

int main(int argc, char** argv)
{
    // Before any thread exists, so every thread and child sees the test's mounts.
    test::enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestSSHCommand test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SSHCommand.moc"
