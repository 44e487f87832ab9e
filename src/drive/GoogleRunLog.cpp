#include "drive/GoogleRunLog.h"

#include "engine/LogPath.h"
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

// A control character, a Unicode line or paragraph separator, or a backslash that would start an escape.
bool needsEscape(const QString& line, qsizetype i)
{
    const char16_t c = line.at(i).unicode();
    if (c == u'\\')
        return i + 1 < line.size() && line.at(i + 1) == u'#';
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

// Each byte of such a character as "\#" and three octal digits, as rsync writes names: a file named
// "a\nERROR b" must not start a line of its own, nor pass for a failure of the run.
QByteArray escaped(const QString& line)
{
    QByteArray bytes;
    bytes.reserve(line.size());
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (!needsEscape(line, i))
            continue;
        bytes += QStringView(line).sliced(plainFrom, i - plainFrom).toUtf8();
        for (const char byte : QString(line.at(i)).toUtf8())
            bytes += QByteArrayLiteral("\\#") + QByteArray::number(uchar(byte), 8).rightJustified(3, '0');
        plainFrom = i + 1;
    }
    bytes += QStringView(line).sliced(plainFrom).toUtf8();
    return bytes;
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
    QByteArray bytes = escaped(Redactor::redact(withoutSessionIds(line)));
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
