#include "model/KeychainService.h"
#include "platform/Executables.h"
#include "support/BuiltPrograms.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace mv;

namespace {

struct Answer {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a built program as ssh (or a person) would: the given arguments, the destination variable when not
// null, and every place the program could keep a file pointed into `home`.
Answer run(
    const QString& program, const QStringList& arguments, const QString& destination, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable :
        { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "MARROWVALE_SUPPORT_DIR" })
        environment.insert(variable, home);
    environment.remove(KeychainService::askpassDestinationVariable);
    // As ssh runs it, without a display: an application object made before answering would abort.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!destination.isNull())
        environment.insert(KeychainService::askpassDestinationVariable, destination);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
}

} // namespace

class tst_Askpass : public QObject {
    Q_OBJECT

    QUuid m_stored = QUuid::createUuid();
    QUuid m_empty = QUuid::createUuid();
    QUuid m_missing = QUuid::createUuid();

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(KeychainService::savePassphrase("s3cret pass ✓", m_stored));
        QVERIFY(KeychainService::savePassphrase("", m_empty));
    }

    void cleanupTestCase()
    {
        KeychainService::deletePassphrase(m_stored);
        KeychainService::deletePassphrase(m_empty);
    }

    void answers_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("destination"); // null: the variable is not set
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");

        const QString main = test::builtProgram("marrowvale");
        const QString askpass = test::builtProgram(askpassExecutableName);
        const QString stored = m_stored.toString(QUuid::WithoutBraces).toUpper();
        const QByteArray secret = QString("s3cret pass ✓\n").toUtf8();
        const QString prompt = "Enter passphrase for key '/root/.ssh/id_ed25519': ";

        QTest::newRow("flag alone") << main << QStringList { "--askpass" } << stored << 0 << secret;
        QTest::newRow("flag among other arguments")
            << main << QStringList { "-v", "--askpass", prompt } << stored << 0 << secret;
        QTest::newRow("lower-case identifier")
            << main << QStringList { "--askpass" } << stored.toLower() << 0 << secret;
        QTest::newRow("empty passphrase")
            << main << QStringList { "--askpass" } << m_empty.toString(QUuid::WithoutBraces).toUpper() << 0
            << QByteArray("\n");
        QTest::newRow("variable missing")
            << main << QStringList { "--askpass" } << QString() << 1 << QByteArray();
        QTest::newRow("variable empty")
            << main << QStringList { "--askpass" } << QString("") << 1 << QByteArray();
        QTest::newRow("variable not a UUID")
            << main << QStringList { "--askpass" } << QString("destination-1") << 1 << QByteArray();
        QTest::newRow("variable holding more than a UUID")
            << main << QStringList { "--askpass" } << stored + "-1" << 1 << QByteArray();
        QTest::newRow("variable in braces")
            << main << QStringList { "--askpass" } << "{" + stored + "}" << 1 << QByteArray();
        QTest::newRow("no item") << main << QStringList { "--askpass" }
                                 << m_missing.toString(QUuid::WithoutBraces).toUpper() << 1 << QByteArray();
        QTest::newRow("helper with ssh's prompt")
            << askpass << QStringList { prompt } << stored << 0 << secret;
        QTest::newRow("helper, empty passphrase")
            << askpass << QStringList { prompt } << m_empty.toString(QUuid::WithoutBraces) << 0
            << QByteArray("\n");
        QTest::newRow("helper, no item") << askpass << QStringList { prompt }
                                         << m_missing.toString(QUuid::WithoutBraces) << 1 << QByteArray();
        QTest::newRow("helper, variable missing")
            << askpass << QStringList { prompt } << QString() << 1 << QByteArray();
    }

    // In askpass mode the program prints the passphrase and a line feed, or nothing at all, never writes to
    // standard error, and creates no file anywhere.
    void answers()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, destination);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        test::TempDir home;
        const Answer answer = run(program, arguments, destination, home.path());
        QCOMPARE(answer.exitCode, exitCode);
        QCOMPARE(answer.out, out);
        QCOMPARE(answer.err, QByteArray());
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

    // Only a whole "--askpass" argument asks for a passphrase; otherwise the program starts its windows,
    // whatever the environment holds: without a display it says so and prints no passphrase.
    void otherArgumentsStartTheProgram_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("none") << QStringList {};
        QTest::newRow("flag with a value") << QStringList { "--askpass=1" };
        QTest::newRow("flag inside a longer argument") << QStringList { "x--askpass" };
        QTest::newRow("single dash") << QStringList { "-askpass" };
    }

    void otherArgumentsStartTheProgram()
    {
        QFETCH(QStringList, arguments);
        test::TempDir home;
        const Answer answer = run(test::builtProgram("marrowvale"), arguments,
            m_stored.toString(QUuid::WithoutBraces).toUpper(), home.path());
        QVERIFY(answer.exitCode != 0);
        QCOMPARE(answer.out, QByteArray());
        QVERIFY2(answer.err.contains("could not connect to display"), answer.err.constData());
    }

    void askpassExecutablePathFindsTheBuiltHelper()
    {
        test::useBuiltAskpass();
        QCOMPARE(askpassExecutablePath(), test::builtProgram(askpassExecutableName));
        QVERIFY(QFileInfo(askpassExecutablePath()).isExecutable());
        qunsetenv(askpassExecutableVariable);
        QCOMPARE(askpassExecutablePath(), QCoreApplication::applicationDirPath() + "/marrowvale-askpass");
    }
};

QTEST_GUILESS_MAIN(tst_Askpass)
#include "tst_Askpass.moc"
