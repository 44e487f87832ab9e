#include "KnownHosts.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

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

// Serialises edits of the known_hosts file between test processes, and remembers for all of them what tests
// changed besides their lines (created the file or ~/.ssh, ended the user's last line with a line feed):
// whichever entry goes last undoes it, not necessarily the entry that did it.
class SharedState {
public:
    SharedState()
        : m_fd(::open("/tmp/marrowvale-known-hosts.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0)
            qFatal("cannot lock the known_hosts file: %s", strerror(errno));
        char buffer[64] = {};
        const ssize_t size = ::pread(m_fd, buffer, sizeof buffer - 1, 0);
        const QByteArray state(buffer, std::max<ssize_t>(size, 0));
        createdFile = state.contains("file");
        createdFolder = state.contains("folder");
        addedLineFeed = state.contains("linefeed");
    }
    ~SharedState()
    {
        const QByteArray state = QByteArray(createdFile ? "file\n" : "") + (createdFolder ? "folder\n" : "")
            + (addedLineFeed ? "linefeed\n" : "");
        if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, state.constData(), state.size(), 0) != state.size())
            qWarning("cannot record the known_hosts state: %s", strerror(errno));
        ::close(m_fd);
    }
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;

    bool createdFile = false;
    bool createdFolder = false;
    bool addedLineFeed = false;

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

// Replaces the file in one step: an ssh of another test reading it meanwhile must never see it half
// written (it would then miss its host key, and even add keys of its own). The file keeps its mode.
void writeFile(const QString& path, const QByteArray& bytes)
{
    const QFile::Permissions mode
        = QFile::exists(path) ? QFile::permissions(path) : QFile::ReadOwner | QFile::WriteOwner;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.setPermissions(mode)
        || !file.commit())
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
    : m_line(hostPattern.toUtf8() + ' ' + publicKey.trimmed() + ' ' + kMarker + QByteArray::number(getpid())
        + '\n')
{
    SharedState state;
    const QString folder = sshFolder();
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        state.createdFolder = true;
    else if (errno != EEXIST)
        qFatal("cannot create %s: %s", qPrintable(folder), strerror(errno));

    bool exists = false;
    const QString path = filePath();
    QByteArray content = withoutStaleLines(readFile(path, &exists));
    if (!content.isEmpty() && !content.endsWith('\n')) {
        content += '\n';
        state.addedLineFeed = true;
    }
    writeFile(path, content + m_line);
    if (!exists)
        state.createdFile = true;
}

KnownHostsEntry::~KnownHostsEntry()
{
    SharedState state;
    bool exists = false;
    const QString path = filePath();
    QByteArray content = readFile(path, &exists);
    const qsizetype at = content.indexOf(m_line);
    if (at >= 0)
        content.remove(at, m_line.size());
    if (state.addedLineFeed && !content.contains(kMarker)) {
        if (content.endsWith('\n'))
            content.chop(1);
        state.addedLineFeed = false;
    }
    if (state.createdFile && content.isEmpty()) {
        QFile::remove(path);
        state.createdFile = false;
    } else if (exists) {
        writeFile(path, content);
    }
    // Fails, as it should, while anything else is in the folder.
    if (state.createdFolder && ::rmdir(QFile::encodeName(sshFolder()).constData()) == 0)
        state.createdFolder = false;
}

} // namespace mv::test
