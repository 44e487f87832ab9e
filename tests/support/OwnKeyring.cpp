#include "OwnKeyring.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QString secretsName = QStringLiteral("org.freedesktop.secrets");
const QString secretsPath = QStringLiteral("/org/freedesktop/secrets");
const QByteArray keyringPassword = "marrowvale";
const char ownKeyringVariable[] = "MV_OWN_KEYRING";

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

namespace mv::test {

namespace {

QDBusMessage call(
    const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    auto message = QDBusMessage::createMethodCall(secretsName, path, interface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QString defaultCollection()
{
    const auto reply = call(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"),
        QStringLiteral("ReadAlias"), { QStringLiteral("default") });
    return reply.arguments().value(0).value<QDBusObjectPath>().path();
}

// The usual session bus's configuration without its service folders, written into `folder`: a bus that
// starts no service by itself. Its path, or none when it could not be written.
std::optional<QString> busWithoutActivation(const QTemporaryDir& folder)
{
    QFile standard(QStringLiteral("/usr/share/dbus-1/session.conf"));
    QFile config(folder.filePath(QStringLiteral("bus.conf")));
    if (!standard.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
        return std::nullopt;
    const QByteArray withoutActivation = standard.readAll().replace(
        "<standard_session_servicedirs />", "<servicedir>/nonexistent</servicedir>");
    if (!withoutActivation.contains("/nonexistent") || config.write(withoutActivation) < 0)
        return std::nullopt;
    return config.fileName();
}

} // namespace

bool waitForSecretService(bool held)
{
    return QTest::qWaitFor(
        [held] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(secretsName).value()
                == held;
        },
        10000);
}

bool startOwnKeyring()
{
    QProcess daemon;
    daemon.start(QStringLiteral("gnome-keyring-daemon"),
        { QStringLiteral("--unlock"), QStringLiteral("--components=secrets") });
    daemon.write(keyringPassword);
    daemon.closeWriteChannel();
    return daemon.waitForFinished(10000) && waitForSecretService(true);
}

int execWithOwnKeyring(QObject& test, int argc, char** argv, KeyringAtStart keyring)
{
    if (qEnvironmentVariable(ownKeyringVariable) == QLatin1String("1")) {
        qDBusRegisterMetaType<Secret>();
        if (keyring == KeyringAtStart::unlocked && !startOwnKeyring()) {
            qWarning("the test's own keyring did not start");
            return 1;
        }
        return QTest::qExec(&test, argc, argv);
    }
    QTemporaryDir scratch;
    QStringList busArguments;
    if (keyring == KeyringAtStart::none) {
        const std::optional<QString> config = busWithoutActivation(scratch);
        if (!config) {
            qWarning("the configuration of the test's own bus could not be written");
            return 1;
        }
        busArguments << QStringLiteral("--config-file=") + *config;
    }
    QDir(scratch.path()).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(scratch.filePath(QStringLiteral("runtime")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ownKeyringVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), scratch.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.filePath(QStringLiteral("runtime")));
    for (const char* variable :
        { "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "GNOME_KEYRING_CONTROL" })
        environment.remove(QString::fromLatin1(variable));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QStringLiteral("dbus-run-session"),
        busArguments + QStringList { QStringLiteral("--"), QCoreApplication::applicationFilePath() }
            + QCoreApplication::arguments().mid(1));
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}

bool lockDefaultKeyring()
{
    const QString collection = defaultCollection();
    const auto reply
        = call(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"),
            { QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(collection) }) });
    return !collection.isEmpty() && reply.type() == QDBusMessage::ReplyMessage;
}

bool unlockDefaultKeyring()
{
    const auto session
        = call(secretsPath, QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("OpenSession"),
            { QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString())) });
    if (session.type() != QDBusMessage::ReplyMessage)
        return false;
    const Secret master { session.arguments().value(1).value<QDBusObjectPath>(), {}, keyringPassword,
        QStringLiteral("text/plain") };
    const auto unlock
        = call(secretsPath, QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
            QStringLiteral("UnlockWithMasterPassword"),
            { QVariant::fromValue(QDBusObjectPath(defaultCollection())), QVariant::fromValue(master) });
    return unlock.type() == QDBusMessage::ReplyMessage;
}

} // namespace mv::test
