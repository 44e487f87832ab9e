#include "SshServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::test {

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes, QIODevice::OpenMode extra = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | extra) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A port nobody listens on right now; start() tries again when another process takes it first.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        qFatal("cannot find a free port: %s", strerror(errno));
    ::close(fd);
    return ntohs(address.sin_port);
}

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAll().constData());
}

} // namespace

SshServer::SshServer()
    : SshServer(Options {})
{
}

SshServer::SshServer(const Options& options)
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder for sshd");
    // sshd refuses to start as root without its privilege-separation folder.
    if (::mkdir("/run/sshd", 0755) != 0 && errno != EEXIST)
        qFatal("cannot create /run/sshd: %s", strerror(errno));

    generateKey(QStringLiteral("host_key"), {});
    m_identity = generateKey(QStringLiteral("client_key"), {});
    writeAll(file(QStringLiteral("authorized_keys")), readAll(m_identity + QStringLiteral(".pub")));
    if (!options.banner.isEmpty())
        writeAll(file(QStringLiteral("banner")), options.banner);

    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        m_port = freeLoopbackPort();
        QByteArray config = "Port " + QByteArray::number(m_port) + "\nListenAddress 127.0.0.1\n";
        config += "HostKey " + QFile::encodeName(file(QStringLiteral("host_key"))) + '\n';
        config += "AuthorizedKeysFile " + QFile::encodeName(file(QStringLiteral("authorized_keys"))) + '\n';
        config += "PidFile " + QFile::encodeName(file(QStringLiteral("sshd.pid"))) + '\n';
        config += "StrictModes no\nUsePAM no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n";
        config += "PermitRootLogin prohibit-password\nUseDNS no\n";
        if (!options.banner.isEmpty())
            config += "Banner " + QFile::encodeName(file(QStringLiteral("banner"))) + '\n';
        writeAll(file(QStringLiteral("sshd_config")), config, QIODevice::Truncate);
        started = start();
    }
    if (!started)
        qFatal("sshd did not start:\n%s", log().constData());

    if (options.trustHostKey) {
        const QList<QByteArray> words = readAll(file(QStringLiteral("host_key.pub"))).split(' ');
        m_trust = std::make_unique<KnownHostsEntry>(
            QStringLiteral("[127.0.0.1]:%1").arg(m_port), words.value(0) + ' ' + words.value(1));
    }
}

SshServer::~SshServer()
{
    m_trust.reset();
    m_sshd.terminate();
    if (!m_sshd.waitForFinished(5000)) {
        m_sshd.kill();
        m_sshd.waitForFinished(5000);
    }
}

QString SshServer::user()
{
    const passwd* entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

BackupDestination SshServer::destination(const QString& path) const
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = QStringLiteral("Server");
    destination.kind = DestinationKind::ssh;
    destination.host = host();
    destination.user = user();
    destination.port = m_port;
    destination.identityFile = m_identity;
    destination.path = path;
    return destination;
}

QString SshServer::home()
{
    const passwd* entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_dir) : QString();
}

QString SshServer::addProtectedKey(const QString& passphrase)
{
    const QString key = generateKey(QStringLiteral("protected_key_%1").arg(++m_protectedKeys), passphrase);
    writeAll(
        file(QStringLiteral("authorized_keys")), readAll(key + QStringLiteral(".pub")), QIODevice::Append);
    return key;
}

QByteArray SshServer::log() const
{
    return readAll(file(QStringLiteral("sshd.log")));
}

bool SshServer::start()
{
    // The log goes to a file, so sshd never blocks on a pipe nobody reads.
    m_sshd.setProcessChannelMode(QProcess::MergedChannels);
    m_sshd.setStandardOutputFile(file(QStringLiteral("sshd.log")));
    m_sshd.start(QStringLiteral("/usr/sbin/sshd"),
        { QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
            file(QStringLiteral("sshd_config")) });
    const QByteArray ready = "Server listening on 127.0.0.1 port " + QByteArray::number(m_port) + '.';
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (log().contains(ready))
            return true;
        if (m_sshd.waitForFinished(20))
            return false;
    }
    m_sshd.kill();
    m_sshd.waitForFinished(5000);
    return false;
}

QString SshServer::generateKey(const QString& name, const QString& passphrase)
{
    const QString path = file(name);
    run(QStringLiteral("/usr/bin/ssh-keygen"),
        { QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
            passphrase, QStringLiteral("-C"), QStringLiteral("marrowvale-test"), QStringLiteral("-f"),
            path });
    return path;
}

} // namespace mv::test
