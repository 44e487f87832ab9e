#include "model/KeychainService.h"
#include "platform/SecretStore.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QtTest>

using namespace mv;

namespace {

const QString service = QString::fromLatin1(KeychainService::serviceName);

// What secret-tool, an independent client of the same keyring, finds under the service and the account.
QStringList itemsSeenBySecretTool(const QString& account)
{
    QProcess tool;
    tool.start("secret-tool", { "search", "--all", "service", service, "account", account });
    if (!tool.waitForFinished(10000))
        return { "secret-tool did not finish" };
    QStringList secrets;
    for (const QByteArray& line : tool.readAllStandardOutput().split('\n')) {
        if (line.startsWith("secret = "))
            secrets << QString::fromUtf8(line.mid(9));
    }
    return secrets;
}

QVariant dbusCall(
    const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    auto call = QDBusMessage::createMethodCall("org.freedesktop.secrets", path, interface, method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
}

} // namespace

class tst_KeychainService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The tests need what scripts/run-tests provides: a Secret Service on a private bus whose default
    // collection is unlocked.
    void initTestCase()
    {
        const auto alias = dbusCall(
            "/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "ReadAlias", { QString("default") })
                               .value<QDBusObjectPath>();
        QVERIFY2(!alias.path().isEmpty() && alias.path() != "/",
            "no Secret Service with a default collection: run the tests through scripts/run-tests");
        const auto locked = dbusCall(alias.path(), "org.freedesktop.DBus.Properties", "Get",
            { QString("org.freedesktop.Secret.Collection"), QString("Locked") });
        QVERIFY2(locked.value<QDBusVariant>().variant() == QVariant(false), "the default keyring is locked");
    }

    void storedUnderTheUpperCaseAccountOnly()
    {
        const QUuid destination = QUuid::createUuid();
        const QString upper = destination.toString(QUuid::WithoutBraces).toUpper();
        QCOMPARE(KeychainService::account(destination), upper);

        QVERIFY(KeychainService::savePassphrase("korrekt häst ✓", destination));
        QCOMPARE(KeychainService::passphrase(destination), std::optional<QString>("korrekt häst ✓"));
        QCOMPARE(itemsSeenBySecretTool(upper), QStringList { "korrekt häst ✓" });
        QCOMPARE(itemsSeenBySecretTool(upper.toLower()), QStringList {});

        const QUuid other = QUuid::createUuid();
        QVERIFY(SecretStore::store(service, other.toString(QUuid::WithoutBraces).toLower(), "lower"));
        QCOMPARE(KeychainService::passphrase(other), std::nullopt);
    }

    void savingTwiceLeavesOneItemWithTheSecondValue()
    {
        const QUuid destination = QUuid::createUuid();
        QVERIFY(KeychainService::savePassphrase("first", destination));
        QVERIFY(KeychainService::savePassphrase("second", destination));
        QCOMPARE(itemsSeenBySecretTool(KeychainService::account(destination)), QStringList { "second" });
        QCOMPARE(KeychainService::passphrase(destination), std::optional<QString>("second"));
    }

    void anEmptyPassphraseIsStoredLikeAnyOther()
    {
        const QUuid destination = QUuid::createUuid();
        QVERIFY(KeychainService::savePassphrase("", destination));
        QCOMPARE(KeychainService::passphrase(destination), std::optional<QString>(""));
    }

    void deletingRemovesTheItem()
    {
        const QUuid destination = QUuid::createUuid();
        QVERIFY(KeychainService::savePassphrase("gone soon", destination));
        QVERIFY(KeychainService::deletePassphrase(destination));
        QCOMPARE(KeychainService::passphrase(destination), std::nullopt);
        QVERIFY(KeychainService::deletePassphrase(destination));
    }

    void bytesThatAreNotUtf8ReadAsNoPassphrase()
    {
        const QUuid destination = QUuid::createUuid();
        QVERIFY(SecretStore::store(service, KeychainService::account(destination), "\xff\xfe"));
        QCOMPARE(KeychainService::passphrase(destination), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_KeychainService)
#include "tst_KeychainService.moc"
