#include "Mount.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace mv::test {

namespace {

bool g_privateNamespace = false;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

bool enterPrivateMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
        return false;
    // Mounts made here must never show up in the machine's namespace.
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        qFatal("cannot make the mount namespace private: %s", strerror(errno));
    g_privateNamespace = true;
    return true;
}

bool inPrivateMountNamespace()
{
    return g_privateNamespace;
}

Mount::Mount(QString target, unsigned long flags)
    : m_target(std::move(target))
    , m_flags(flags)
{
}

Mount::Mount(Mount&& other) noexcept
    : m_target(std::exchange(other.m_target, QString()))
    , m_flags(other.m_flags)
{
}

Mount Mount::tmpfs(const QString& target, const QString& options)
{
    if (!g_privateNamespace)
        qFatal("mounting %s outside a private mount namespace", qPrintable(target));
    const QByteArray data = options.toUtf8();
    if (::mount("tmpfs", encoded(target).constData(), "tmpfs", 0, data.isEmpty() ? nullptr : data.constData())
        != 0)
        qFatal("cannot mount a tmpfs at %s: %s", qPrintable(target), strerror(errno));
    return Mount(target, 0);
}

Mount Mount::bind(const QString& source, const QString& target)
{
    if (!g_privateNamespace)
        qFatal("mounting %s outside a private mount namespace", qPrintable(target));
    if (::mount(encoded(source).constData(), encoded(target).constData(), nullptr, MS_BIND, nullptr) != 0)
        qFatal("cannot bind %s to %s: %s", qPrintable(source), qPrintable(target), strerror(errno));
    return Mount(target, MS_BIND);
}

Mount::~Mount()
{
    if (m_target.isEmpty())
        return;
    // A process that still has a file open there must not keep the mount alive after the test.
    if (::umount2(encoded(m_target).constData(), 0) != 0)
        ::umount2(encoded(m_target).constData(), MNT_DETACH);
}

void Mount::remountReadOnly()
{
    if (::mount(nullptr, encoded(m_target).constData(), nullptr, MS_REMOUNT | MS_RDONLY | m_flags, nullptr)
        != 0)
        qFatal("cannot remount %s read only: %s", qPrintable(m_target), strerror(errno));
}

void Mount::fill()
{
    const QByteArray path = encoded(m_target + QStringLiteral("/.filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        qFatal("cannot fill %s: %s", qPrintable(m_target), strerror(errno));
    // Large pieces first, then single bytes into what the last page has left.
    const QByteArray chunk(64 * 1024, 'x');
    for (qsizetype size : { chunk.size(), qsizetype(1) }) {
        while (::write(fd, chunk.constData(), size_t(size)) > 0) { }
        if (errno != ENOSPC)
            qFatal("cannot fill %s: %s", qPrintable(m_target), strerror(errno));
    }
    ::close(fd);
}

} // namespace mv::test
