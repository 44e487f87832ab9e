#include "engine/RunLogSink.h"

#include "model/Redactor.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace mv {

namespace {

// Lines are gathered and written in blocks of about this size: a busy transfer prints hundreds of thousands
// of short lines.
constexpr qsizetype writeBlock = 64 * 1024;

void writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a failed write never fails the run
        bytes = bytes.sliced(written);
    }
}

} // namespace

RunLogSink::RunLogSink(const QString& path, qint64 limit)
    : m_path(path)
    , m_limit(limit)
{
    // Whatever is at the path goes first, so that neither a link planted there nor another name of the
    // same file is written through; O_EXCL then refuses anything that appears in between.
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

RunLogSink::~RunLogSink()
{
    finish();
}

void RunLogSink::append(const QString& line)
{
    if (m_fd < 0 || m_truncated)
        return;
    QByteArray bytes = Redactor::redact(line).toUtf8();
    bytes.append('\n');
    if (m_written + bytes.size() > m_limit) {
        m_truncated = true;
        return;
    }
    m_written += bytes.size();
    m_pending.append(bytes);
    if (m_pending.size() >= writeBlock)
        flush();
}

void RunLogSink::flush()
{
    writeAll(m_fd, m_pending);
    m_pending.clear();
}

RunLogSink::Result RunLogSink::finish()
{
    if (m_fd >= 0) {
        flush();
        ::close(m_fd);
        m_fd = -1;
    }
    return { m_path, m_truncated };
}

} // namespace mv
