#include "drive/GoogleRunLog.h"

#include "engine/LogPath.h"
#include "engine/RsyncEscape.h"
#include "model/Redactor.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace mv {

namespace {

// The line with the value of every "upload_id" item (a resumable upload session's URL) masked.
QString withoutSessionIds(const QString& line)
{
    if (!line.contains(QLatin1String("upload_id"), Qt::CaseInsensitive))
        return line;
    static const QRegularExpression sessionId(QStringLiteral(R"((?i)(upload_id)(=|%3D)[^\s&"'<>]*)"));
    QString masked = line;
    masked.replace(sessionId, QStringLiteral("\\1\\2•••"));
    return masked;
}

void writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a failed write never fails the run
        bytes = bytes.sliced(written);
    }
}

} // namespace

GoogleRunLog::GoogleRunLog()
    : m_path(LogPath::prepare(QStringLiteral("google-")))
{
    // Whatever is at the path goes first, so a link planted there is not written through.
    const QByteArray name = QFile::encodeName(m_path);
    ::unlink(name.constData());
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

GoogleRunLog::~GoogleRunLog()
{
    finish();
}

void GoogleRunLog::append(const QString& line)
{
    if (m_fd < 0)
        return;
    QByteArray bytes = RsyncEscape::encoded(Redactor::redact(withoutSessionIds(line)));
    bytes.append('\n');
    if (m_written + bytes.size() > limit)
        return;
    m_written += bytes.size();
    writeAll(m_fd, bytes);
}

QString GoogleRunLog::finish()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return m_path;
}

} // namespace mv
