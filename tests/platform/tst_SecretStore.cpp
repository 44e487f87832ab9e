#include "platform/SecretStore.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

const QString secretsName = "org.freedesktop.secrets";
const QString secretsPath = "/org/freedesktop/secrets";
const QString keyringPassword = "marrowvale";

// The Secret Service's secret structure, (oayays).
struct Secret {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Secret& secret)
{
    argument.beginStructure();
    argument << secret.session << secret.parameters << secret.value << secret.contentType;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Secret& secret)
{
    argument.beginStructure();
    argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Secret)

namespace {

QDBusMessage call(
    const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    auto message = QDBusMessage::createMethodCall(secretsName, path, interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

bool waitForSecretService(bool present)
{
    QDeadlineTimer deadline(10s);
    while (!deadline.hasExpired()) {
        if (QDBusConnection::sessionBus().interface()->isServiceRegistered(secretsName).value() == present)
            return true;
        QThread::msleep(20);
    }
    return false;
}

QString defaultCollection()
{
    const auto reply
        = call(secretsPath, "org.freedesktop.Secret.Service", "ReadAlias", { QString("default") });
    return reply.arguments().value(0).value<QDBusObjectPath>().path();
}

// A process that owns `name` on the bus and never reads a message sent to it, until it is destroyed.
std::unique_ptr<QProcess, void (*)(QProcess*)> startSilentService(const QString& name)
{
    std::unique_ptr<QProcess, void (*)(QProcess*)> silent(new QProcess, [](QProcess* process) {
        process->closeWriteChannel();
        process->waitForFinished(10000);
        delete process;
    });
    silent->start("/usr/bin/python3",
        { "-c",
            "import dbus, sys\n"
            "dbus.SessionBus().request_name(sys.argv[1])\n"
            "print('ready', flush=True)\n"
            "sys.stdin.read()\n",
            name });
    while (!silent->canReadLine()) {
        if (!silent->waitForReadyRead(10000))
            return { nullptr, silent.get_deleter() };
    }
    return silent->readLine() == "ready\n" ? std::move(silent)
                                           : decltype(silent) { nullptr, silent.get_deleter() };
}

} // namespace

// Runs on a session bus and keyring of its own (see main): it takes over the Secret Service's name and locks
// the keyring, which would disturb tests sharing the runner's keyring.
class tst_SecretStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qDBusRegisterMetaType<Secret>(); }

    // A keyring daemon that takes the calls and never answers (as one waiting on an unlock prompt).
    void aServiceThatNeverAnswersCannotHangTheCaller()
    {
        auto silent = startSilentService(secretsName);
        QVERIFY(silent);

        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(SecretStore::lookup("service", "account", 300ms), std::nullopt);
        QVERIFY(!SecretStore::store("service", "account", "secret", 300ms));
        QVERIFY(!SecretStore::remove("service", "account", 300ms));
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));

        silent.reset();
        QVERIFY(waitForSecretService(false));
    }

    void aStoreThatFailsKeepsTheOldSecret()
    {
        QProcess daemon;
        daemon.start("gnome-keyring-daemon", { "--unlock", "--components=secrets" });
        daemon.write(keyringPassword.toUtf8());
        daemon.closeWriteChannel();
        QVERIFY(daemon.waitForFinished(10000));
        QVERIFY(waitForSecretService(true));

        QVERIFY(SecretStore::store("service", "account", "first"));
        const QString collection = defaultCollection();
        QVERIFY(!collection.isEmpty());
        const auto lock = call(secretsPath, "org.freedesktop.Secret.Service", "Lock",
            { QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(collection) }) });
        QCOMPARE(lock.type(), QDBusMessage::ReplyMessage);

        // Without an unlock prompt that can be shown, the locked keyring reads as empty and refuses the
        // store.
        QCOMPARE(SecretStore::lookup("service", "account"), std::nullopt);
        QVERIFY(!SecretStore::store("service", "account", "second"));

        const auto session = call(secretsPath, "org.freedesktop.Secret.Service", "OpenSession",
            { QString("plain"), QVariant::fromValue(QDBusVariant(QString())) });
        QVERIFY2(session.type() == QDBusMessage::ReplyMessage, qPrintable(session.errorMessage()));
        const Secret master { session.arguments().value(1).value<QDBusObjectPath>(), {},
            keyringPassword.toUtf8(), "text/plain" };
        const auto unlock = call(secretsPath, "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
            "UnlockWithMasterPassword",
            { QVariant::fromValue(QDBusObjectPath(collection)), QVariant::fromValue(master) });
        QCOMPARE(unlock.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(SecretStore::lookup("service", "account"), std::optional<QByteArray>("first"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("MV_SECRET_STORE_OWN_BUS")) {
        tst_SecretStore test;
        QTEST_SET_MAIN_SOURCE_PATH
        return QTest::qExec(&test, argc, argv);
    }
    QTemporaryDir scratch;
    QDir(scratch.path()).mkdir("runtime");
    QFile::setPermissions(scratch.filePath("runtime"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MV_SECRET_STORE_OWN_BUS", "1");
    environment.insert("XDG_DATA_HOME", scratch.filePath("data"));
    environment.insert("XDG_RUNTIME_DIR", scratch.filePath("runtime"));
    for (const char* variable : { "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY" })
        environment.remove(variable);
    // The usual session bus without its service folders, so that it starts no service by itself: the tests
    // decide who owns the Secret Service's name, and when.
    QFile standard("/usr/share/dbus-1/session.conf");
    QFile config(scratch.filePath("bus.conf"));
    if (!standard.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
        return 1;
    const QByteArray withoutActivation = standard.readAll().replace(
        "<standard_session_servicedirs />", "<servicedir>/nonexistent</servicedir>");
    if (!withoutActivation.contains("/nonexistent") || config.write(withoutActivation) < 0)
        return 1;
    config.close();
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start("dbus-run-session",
        QStringList { "--config-file=" + config.fileName(), "--", application.applicationFilePath() }
            + application.arguments().mid(1));
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}

#include "tst_SecretStore.moc"
