#include "support/CountingSecretBackend.h"
#include "support/OwnKeyring.h"

#include "google/GoogleCredentialStore.h"
#include "google/SecretBackend.h"

#include <QProcess>
#include <QtTest>

#include <qcoro/qcorotask.h>

using namespace mv;
using mv::test::CountingSecretBackend;

namespace {

const QString clientSecret = GoogleCredentialStore::clientSecret;
const QString refreshToken = GoogleCredentialStore::refreshToken;

const char* const variables[] = { "MARROWVALE_GOOGLE_EPHEMERAL", "MARROWVALE_GOOGLE_CLIENT_SECRET",
    "MARROWVALE_GOOGLE_REFRESH_TOKEN", "MARROWVALE_GOOGLE_ACCOUNT" };

std::optional<QString> read(GoogleCredentialStore& store, const QString& account)
{
    return QCoro::waitFor(store.read(account));
}

bool save(GoogleCredentialStore& store, const QString& value, const QString& account)
{
    return QCoro::waitFor(store.save(value, account));
}

bool remove(GoogleCredentialStore& store, const QString& account)
{
    return QCoro::waitFor(store.remove(account));
}

// What secret-tool, an independent client of the same keyring, finds under the service and the account.
QStringList seenBySecretTool(const QString& account)
{
    QProcess tool;
    tool.start("secret-tool",
        { "search", "--all", "service", QString::fromLatin1(googleKeyringService), "account", account });
    if (!tool.waitForFinished(10000))
        return { "secret-tool did not finish" };
    QStringList secrets;
    for (const QByteArray& line : tool.readAllStandardOutput().split('\n')) {
        if (line.startsWith("secret = "))
            secrets << QString::fromUtf8(line.mid(9));
    }
    return secrets;
}

} // namespace

// Runs on a keyring of its own (see main): it locks the keyring, which would disturb tests sharing the
// runner's.
class tst_GoogleCredentialStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        for (const char* variable : variables)
            qunsetenv(variable);
    }
    void cleanup() { init(); }

    void modes_data()
    {
        QTest::addColumn<QByteArray>("ephemeral");
        QTest::addColumn<QByteArray>("variable"); // MARROWVALE_GOOGLE_CLIENT_SECRET, unset when null
        QTest::addColumn<QString>("account");
        QTest::addColumn<QStringList>("steps"); // "save:<value>", "delete"
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::addColumn<bool>("keyringUsed");

        const std::optional<QString> none;
        QTest::newRow("normal mode ignores the variable")
            << QByteArray() << QByteArray("from-env") << clientSecret << QStringList() << none << true;
        QTest::newRow("\"true\" is not ephemeral")
            << QByteArray("true") << QByteArray("from-env") << clientSecret << QStringList() << none << true;
        QTest::newRow("\"yes\" is not ephemeral")
            << QByteArray("yes") << QByteArray("from-env") << clientSecret << QStringList() << none << true;
        QTest::newRow("an empty variable reads as absent")
            << QByteArray("1") << QByteArray("") << clientSecret << QStringList() << none << false;
        QTest::newRow("the variable seeds the value")
            << QByteArray("1") << QByteArray("from-env") << clientSecret << QStringList()
            << std::optional<QString>("from-env") << false;
        QTest::newRow("a saved value wins over the variable")
            << QByteArray("1") << QByteArray("from-env") << clientSecret << QStringList { "save:in-memory" }
            << std::optional<QString>("in-memory") << false;
        QTest::newRow("after a delete the variable shows again")
            << QByteArray("1") << QByteArray("from-env") << clientSecret
            << QStringList { "save:in-memory", "delete" } << std::optional<QString>("from-env") << false;
        QTest::newRow("another account is absent") << QByteArray("1") << QByteArray("from-env")
                                                   << QString("other") << QStringList() << none << false;
        QTest::newRow("another account once saved")
            << QByteArray("1") << QByteArray() << QString("other") << QStringList { "save:kept" }
            << std::optional<QString>("kept") << false;
    }

    void modes()
    {
        QFETCH(QByteArray, ephemeral);
        QFETCH(QByteArray, variable);
        QFETCH(QString, account);
        QFETCH(QStringList, steps);
        QFETCH(std::optional<QString>, expected);
        QFETCH(bool, keyringUsed);
        if (!ephemeral.isNull())
            qputenv("MARROWVALE_GOOGLE_EPHEMERAL", ephemeral);
        if (!variable.isNull())
            qputenv("MARROWVALE_GOOGLE_CLIENT_SECRET", variable);

        CountingSecretBackend backend;
        GoogleCredentialStore store(backend);
        for (const QString& step : steps) {
            if (step.startsWith("save:"))
                QVERIFY(save(store, step.mid(5), account));
            else
                QVERIFY(remove(store, account));
        }
        QCOMPARE(read(store, account), expected);
        QCOMPARE(store.cachedValue(account), expected);
        QCOMPARE(backend.lookups + backend.stores + backend.removals > 0, keyringUsed);
    }

    void anEphemeralValueSeededOnceStaysWhenTheEnvironmentChanges()
    {
        qputenv("MARROWVALE_GOOGLE_EPHEMERAL", "1");
        qputenv("MARROWVALE_GOOGLE_REFRESH_TOKEN", "first");
        CountingSecretBackend backend;
        GoogleCredentialStore store(backend);
        QCOMPARE(read(store, refreshToken), std::optional<QString>("first"));
        qputenv("MARROWVALE_GOOGLE_REFRESH_TOKEN", "second");
        QCOMPARE(read(store, refreshToken), std::optional<QString>("first"));
    }

    // Views ask on every redraw: only the first read of an account may reach the keyring.
    void theKeyringIsQueriedOncePerAccount()
    {
        CountingSecretBackend backend;
        GoogleCredentialStore store(backend);
        QCOMPARE(read(store, refreshToken), std::nullopt);
        QCOMPARE(read(store, refreshToken), std::nullopt);
        QCOMPARE(backend.lookups.load(), 1);

        QVERIFY(save(store, "token", refreshToken));
        QCOMPARE(read(store, refreshToken), std::optional<QString>("token"));
        QCOMPARE(store.cachedValue(refreshToken), std::optional<QString>("token"));
        QCOMPARE(backend.lookups.load(), 1);

        // A keyring that could not answer is asked again next time.
        backend.failLookups = true;
        QCOMPARE(read(store, clientSecret), std::nullopt);
        QCOMPARE(read(store, clientSecret), std::nullopt);
        QCOMPARE(backend.lookups.load(), 3);
        QCOMPARE(store.cachedValue(clientSecret), std::nullopt);
    }

    void aRefusedSaveKeepsTheCachedValue()
    {
        CountingSecretBackend backend;
        GoogleCredentialStore store(backend);
        QVERIFY(save(store, "old", refreshToken));
        backend.refuseStores(refreshToken);
        QVERIFY(!save(store, "new", refreshToken));
        QCOMPARE(read(store, refreshToken), std::optional<QString>("old"));
        QCOMPARE(backend.stored(refreshToken), std::optional<QString>("old"));
    }

    void theRealKeyringHoldsTheItems()
    {
        KeyringSecretBackend keyring;
        GoogleCredentialStore store(keyring);
        QCOMPARE(read(store, "account-email"), std::nullopt);
        QVERIFY(save(store, "person@example.com", "account-email"));
        QCOMPARE(seenBySecretTool("account-email"), QStringList { "person@example.com" });

        // A second process-wide store (a restart) finds it in the keyring.
        GoogleCredentialStore restarted(keyring);
        QCOMPARE(read(restarted, "account-email"), std::optional<QString>("person@example.com"));

        QVERIFY(remove(restarted, "account-email"));
        QVERIFY(seenBySecretTool("account-email").isEmpty());
        QVERIFY(!remove(restarted, "account-email"));
        QCOMPARE(read(restarted, "account-email"), std::nullopt);
    }

    void aLockedKeyringKeepsTheOldSecret()
    {
        KeyringSecretBackend keyring;
        GoogleCredentialStore store(keyring);
        QVERIFY(save(store, "old-token", refreshToken));
        QVERIFY(test::lockDefaultKeyring());

        QVERIFY(!save(store, "new-token", refreshToken));
        QCOMPARE(store.cachedValue(refreshToken), std::optional<QString>("old-token"));
        // A locked item is neither read nor remembered as missing.
        GoogleCredentialStore restarted(keyring);
        QCOMPARE(read(restarted, refreshToken), std::nullopt);

        QVERIFY(test::unlockDefaultKeyring());
        QCOMPARE(read(restarted, refreshToken), std::optional<QString>("old-token"));
        QCOMPARE(seenBySecretTool(refreshToken), QStringList { "old-token" });
    }
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    tst_GoogleCredentialStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return mv::test::execWithOwnKeyring(test, argc, argv);
}

#include "tst_GoogleCredentialStore.moc"
