#include "model/BackupDestination.h"
#include "model/DirectoryTools.h"
#include "model/PathValidation.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>
#include <unistd.h>

using namespace mv;
using Check = std::function<std::optional<PathValidationError>()>;
Q_DECLARE_METATYPE(Check)

namespace {

// Runs a check with the real and effective user of "nobody", so permission answers are those of an ordinary
// user even though the tests run as root.
std::optional<PathValidationError> asOrdinaryUser(const Check& check)
{
    if (::setresuid(65534, 65534, 0) != 0)
        qFatal("cannot become an ordinary user");
    auto result = check();
    if (::setresuid(0, 0, 0) != 0)
        qFatal("cannot become root again");
    return result;
}

BackupDestination destination(DestinationKind kind, const QString& path = {})
{
    BackupDestination value;
    value.name = QStringLiteral("Travel Disk");
    value.kind = kind;
    value.path = path;
    value.user = QStringLiteral("backup");
    value.host = QStringLiteral("nas.local");
    value.port = 22;
    return value;
}

BackupDestination ssh(const std::function<void(BackupDestination&)>& change)
{
    BackupDestination value = destination(DestinationKind::ssh, QStringLiteral("/backups"));
    change(value);
    return value;
}

} // namespace

class tst_PathValidation : public QObject {
    Q_OBJECT

    test::TempDir m_dir;
    QString m_folder;
    QString m_file;
    QString m_private;

private Q_SLOTS:
    void initTestCase()
    {
        // An ordinary user must be able to reach the fixture, but not read or write `private`. Group and
        // others get the same bits: the ordinary user keeps root's group.
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const auto reachable = QFileDevice::ExeGroup | QFileDevice::ExeOther;
        const auto readable = reachable | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QFile::setPermissions(m_dir.path(), owner | readable);
        m_folder = m_dir.mkdir("folder");
        m_file = m_dir.write("file.txt", "x");
        m_private = m_dir.mkdir("private");
        QVERIFY(QFile::link(m_folder, m_dir.filePath("link")));
        QFile::setPermissions(m_private, owner | reachable);
    }

    // Every message and recovery sentence, in the order the validators check them.
    void messagesInOrder_data()
    {
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("recovery"); // a null text: no recovery

        const QString none;
        const QString missing = m_dir.filePath("missing");
        QTest::newRow("01 source empty")
            << Check([] { return PathValidation::validateSource("  \n"); }) << "Choose a source folder."
            << "The backup needs a folder to read.";
        QTest::newRow("02 source missing") << Check([=] { return PathValidation::validateSource(missing); })
                                           << "The source folder is not available."
                                           << "Reconnect the drive or choose another folder.";
        QTest::newRow("03 source is a file")
            << Check([this] { return PathValidation::validateSource(m_file); })
            << "The source is a file, not a folder."
            << "Choose a folder instead.";
        QTest::newRow("04 source unreadable") << Check([this] {
            return asOrdinaryUser([this] { return PathValidation::validateSource(m_private); });
        }) << "Marrowvale cannot read this folder."
                                              << "Check the folder permissions, or choose a folder you own.";
        QTest::newRow("05 destination empty")
            << Check([this] { return PathValidation::validateLocalDestination(m_folder, " "); })
            << "Choose a destination folder." << none;
        QTest::newRow("05 destination empty, whole destination") << Check([] {
            return PathValidation::validateDestination(destination(DestinationKind::network, ""));
        }) << "Choose a destination folder." << none;
        QTest::newRow("06 whole disk, even without a source")
            << Check([] { return PathValidation::validateLocalDestination("", "/"); })
            << "The whole disk cannot be a backup destination." << none;
        QTest::newRow("07 same folder")
            << Check([this] { return PathValidation::validateLocalDestination(m_folder, m_folder + "/./"); })
            << "The source and destination are the same folder."
            << "Choose a folder outside the source.";
        QTest::newRow("08 overlap") << Check([this] {
            return PathValidation::validateLocalDestination(m_folder, m_folder + "/backup");
        }) << "The source and destination overlap."
                                    << "Keep the backup destination outside the source folder, and the "
                                       "source outside the destination.";
        QTest::newRow("09 remote path empty")
            << Check([] { return PathValidation::validateRemotePath(" \t"); })
            << "Enter a folder on the server." << none;
        QTest::newRow("10 remote path with a line feed")
            << Check([] { return PathValidation::validateRemotePath("/backups\nrm"); })
            << "The remote folder contains an invalid character." << none;
        QTest::newRow("10 remote path with a NUL")
            << Check([] { return PathValidation::validateRemotePath(QString("/a") + QChar(0) + "b"); })
            << "The remote folder contains an invalid character." << none;
        QTest::newRow("11 relative remote path")
            << Check([] { return PathValidation::validateRemotePath("backups"); })
            << "Use an absolute remote folder."
            << "For example /backups/documents or ~/backups/documents.";
        QTest::newRow("12 user with a blank")
            << Check([] { return PathValidation::validateSSHUser("back up"); })
            << "The SSH user name is not valid." << none;
        QTest::newRow("12 user with an at sign")
            << Check([] { return PathValidation::validateSSHUser("a@b"); })
            << "The SSH user name is not valid." << none;
        QTest::newRow("12 user empty") << Check([] { return PathValidation::validateSSHUser(""); })
                                       << "The SSH user name is not valid." << none;
        QTest::newRow("12 user ending in a line feed")
            << Check([] { return PathValidation::validateSSHUser("backup\n"); })
            << "The SSH user name is not valid." << none;
        QTest::newRow("12 user that ssh would read as an option")
            << Check([] { return PathValidation::validateSSHUser("-oProxyCommand=x"); })
            << "The SSH user name is not valid." << none;
        QTest::newRow("13 host empty") << Check([] { return PathValidation::validateSSHHost(" \n"); })
                                       << "Enter the server name or address." << none;
        QTest::newRow("14 host with a blank inside")
            << Check([] { return PathValidation::validateSSHHost("nas local"); })
            << "The server name contains unsupported characters." << none;
        QTest::newRow("15 host with a leading hyphen")
            << Check([] { return PathValidation::validateSSHHost("-nas"); })
            << "The server name is not valid." << none;
        QTest::newRow("16 drive not mounted") << Check([=] {
            return PathValidation::validateDestination(
                destination(DestinationKind::local, missing + "/Backups"));
        }) << "The destination drive is not available."
                                              << "Reconnect Travel Disk and try again.";
        QTest::newRow("17 port 0") << Check(
            [] { return PathValidation::validateDestination(ssh([](auto& d) { d.port = 0; })); })
                                   << "The port must be between 1 and 65535." << none;
        QTest::newRow("17 port 65536")
            << Check([] { return PathValidation::validateDestination(ssh([](auto& d) { d.port = 65536; })); })
            << "The port must be between 1 and 65535." << none;
        QTest::newRow("18 identity file missing")
            << Check([=] {
                   return PathValidation::validateDestination(
                       ssh([=](auto& d) { d.identityFile = missing; }));
               })
            << "The SSH identity file was not found."
            << "Choose the private key again, for example ~/.ssh/id_ed25519.";
        QTest::newRow("19 Google Drive folder name blank") << Check([] {
            auto drive = destination(DestinationKind::googleDrive);
            drive.googleFolderName = " \n";
            return PathValidation::validateDestination(drive);
        }) << "Choose a Google Drive folder name." << none;
        QTest::newRow("20 destination is a file") << Check([this] {
            return PathValidation::validateDestination(destination(DestinationKind::local, m_file));
        }) << "The destination is a file, not a folder."
                                                  << none;
        QTest::newRow("21 destination read only")
            << Check([this] {
                   return asOrdinaryUser([this] {
                       return PathValidation::validateDestination(
                           destination(DestinationKind::local, m_folder));
                   });
               })
            << "The destination folder is read only."
            << "Choose another folder or change its permissions in your file manager.";
        QTest::newRow("22 folder creation blocked by a file") << Check(
            [this]() -> std::optional<PathValidationError> {
                try {
                    DirectoryTools::createDirectoryIfNeeded(m_file);
                } catch (const PathValidationError& error) {
                    return error;
                }
                return std::nullopt;
            }) << "The destination path exists as a file." << none;
    }

    void messagesInOrder()
    {
        QFETCH(Check, check);
        QFETCH(QString, message);
        QFETCH(QString, recovery);
        const auto error = check();
        QVERIFY(error);
        QCOMPARE(error->message, message);
        QCOMPARE(error->description(), message);
        QCOMPARE(error->recovery.has_value(), !recovery.isNull());
        QCOMPARE(error->recovery.value_or(QString()), recovery);
    }

    // A destination reports only its first problem: the user before the host, the port and the path.
    void destinationReportsItsFirstProblem()
    {
        const auto error = PathValidation::validateDestination(ssh([](auto& d) {
            d.user = "-x";
            d.host = "-y";
            d.port = 0;
            d.path = "relative";
        }));
        QVERIFY(error);
        QCOMPARE(error->message, "The SSH user name is not valid.");
    }

    void acceptedInput_data()
    {
        QTest::addColumn<Check>("check");
        QTest::newRow("remote blanks then slash")
            << Check([] { return PathValidation::validateRemotePath("   /"); });
        QTest::newRow("remote home folder")
            << Check([] { return PathValidation::validateRemotePath("~/backups"); });
        QTest::newRow("user of letters, digits, dots, hyphens, underscores")
            << Check([] { return PathValidation::validateSSHUser("a.b-c_9"); });
        QTest::newRow("IPv6 host in brackets")
            << Check([] { return PathValidation::validateSSHHost(" [::1] "); });
        QTest::newRow("port 1") << Check(
            [] { return PathValidation::validateDestination(ssh([](auto& d) { d.port = 1; })); });
        QTest::newRow("port 65535") << Check(
            [] { return PathValidation::validateDestination(ssh([](auto& d) { d.port = 65535; })); });
        QTest::newRow("ssh without identity file")
            << Check([] { return PathValidation::validateDestination(ssh([](auto&) {})); });
        QTest::newRow("Google Drive ignores the path") << Check([] {
            auto drive = destination(DestinationKind::googleDrive, "relative/\n");
            drive.googleFolderName = "Backups";
            return PathValidation::validateDestination(drive);
        });
        QTest::newRow("new folder under an existing parent") << Check([this] {
            return PathValidation::validateDestination(
                destination(DestinationKind::local, m_folder + "/new"));
        });
        QTest::newRow("sibling with a longer name") << Check(
            [this] { return PathValidation::validateLocalDestination(m_folder, m_folder + "-backup"); });
        QTest::newRow("empty source")
            << Check([this] { return PathValidation::validateLocalDestination("", m_folder); });
    }

    void acceptedInput()
    {
        QFETCH(Check, check);
        const auto error = check();
        QVERIFY2(!error, qPrintable(error ? error->message : QString()));
    }

    void normalize_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString home = QDir::homePath();
        QTest::newRow("tilde and trailing slash") << "~/Documents/" << home + "/Documents";
        QTest::newRow("blanks around") << "  /tmp/a/b \n"
                                       << "/tmp/a/b";
        QTest::newRow("tilde after a blank stays") << " ~/x" << QDir::currentPath() + "/~/x";
        QTest::newRow("dot and dot-dot") << "/tmp/a/./b/../c"
                                         << "/tmp/a/c";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("blank") << " \t\n"
                               << "";
        QTest::newRow("link resolved below a missing tail") << m_dir.filePath("link/x/") << m_folder + "/x";
    }

    void normalize()
    {
        QVERIFY(
            QFile::link(m_folder, m_dir.filePath("link")) || QFileInfo(m_dir.filePath("link")).isSymLink());
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(PathValidation::normalize(input), expected);
    }

    void normalizeRemotePath_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("slashes kept to one") << "//"
                                             << "/";
        QTest::newRow("trailing slashes") << " /a/b/// "
                                          << "/a/b";
        QTest::newRow("no tilde expansion") << "~/x/"
                                            << "~/x";
    }

    void normalizeRemotePath()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(PathValidation::normalizeRemotePath(input), expected);
    }

    void overlaps_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("expected");
        QTest::newRow("folder and sub-folder") << "/data/a"
                                               << "/data/a/b" << true;
        QTest::newRow("sub-folder and folder") << "/data/a/b"
                                               << "/data/a" << true;
        QTest::newRow("same after normalizing") << "/data/a/"
                                                << "/data/./a" << true;
        QTest::newRow("root holds everything") << "/"
                                               << "/data" << true;
        QTest::newRow("sibling with a longer name") << "/data/a"
                                                    << "/data/ab" << false;
        QTest::newRow("empty never overlaps") << ""
                                              << "/data" << false;
    }

    void overlaps()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, expected);
        QCOMPARE(PathValidation::overlaps(first, second), expected);
    }
};

QTEST_GUILESS_MAIN(tst_PathValidation)
#include "tst_PathValidation.moc"
