#include "KnownHosts.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::test {

namespace {

// Marks the lines a test process added, so a later test can drop the lines of a test that crashed.
const QByteArray kMarker = "marrowvale-test-pid-";

QString sshFolder()
{
    const passwd* entry = getpwuid(getuid());
    if (!entry || !entry->pw_dir)
        qFatal("no home folder in the password database for uid %u", unsigned(getuid()));
    return QString::fromLocal8Bit(entry->pw_dir) + QStringLiteral("/.ssh");
}

// Serialises edits of the known_hosts file between test processes.
class FileLock {
public:
    FileLock()
        : m_fd(::open("/tmp/marrowvale-known-hosts.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0)
            qFatal("cannot lock the known_hosts file: %s", strerror(errno));
    }
    ~FileLock() { ::close(m_fd); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd;
};

QByteArray readFile(const QString& path, bool* exists)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists)
        return {};
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Rewrites in place, so the file keeps its inode, owner and mode.
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

bool belongsToDeadTest(const QByteArray& line)
{
    const qsizetype at = line.indexOf(kMarker);
    if (at < 0)
        return false;
    bool ok = false;
    const pid_t pid = line.mid(at + kMarker.size()).trimmed().toInt(&ok);
    return ok && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Drops lines left behind by test processes that no longer exist (a crash skips the destructor).
QByteArray withoutStaleLines(const QByteArray& content)
{
    if (!content.contains(kMarker))
        return content;
    QByteArray kept;
    for (const QByteArray& line : content.split('\n')) {
        if (!belongsToDeadTest(line))
            kept += line + '\n';
    }
    kept.chop(1); // split() gave one more piece than there were line feeds
    return kept;
}

} // namespace

QString KnownHostsEntry::filePath()
{
    return sshFolder() + QStringLiteral("/known_hosts");
}

KnownHostsEntry::KnownHostsEntry(const QString& hostPattern, const QByteArray& publicKey)
{
    const FileLock lock;
    const QString folder = sshFolder();
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        m_createdFolder = true;
    else if (errno != EEXIST)
        qFatal("cannot create %s: %s", qPrintable(folder), strerror(errno));

    bool exists = false;
    const QString path = filePath();
    const QByteArray content = withoutStaleLines(readFile(path, &exists));
    m_createdFile = !exists;
    m_added = hostPattern.toUtf8() + ' ' + publicKey.trimmed() + ' ' + kMarker + QByteArray::number(getpid())
        + '\n';
    if (!content.isEmpty() && !content.endsWith('\n'))
        m_added.prepend('\n');
    writeFile(path, content + m_added);
    if (m_createdFile)
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

KnownHostsEntry::~KnownHostsEntry()
{
    const FileLock lock;
    bool exists = false;
    const QString path = filePath();
    QByteArray content = readFile(path, &exists);
    const qsizetype at = content.lastIndexOf(m_added);
    if (at >= 0)
        content.remove(at, m_added.size());
    if (m_createdFile && content.isEmpty())
        QFile::remove(path);
    else if (at >= 0)
        writeFile(path, content);
    if (m_createdFolder)
        ::rmdir(QFile::encodeName(sshFolder()).constData()); // fails, as it should, when not empty
}

} // namespace mv::test
