#include "engine/LineSplitter.h"

#include <algorithm>

namespace mv {

namespace {

bool isSeparator(char byte)
{
    return byte == '\r' || byte == '\n';
}

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Where to cut a line longer than the limit: at the limit, moved back before UTF-8 continuation bytes so
// that a character is not split between two lines.
qsizetype cutPoint(QByteArrayView bytes)
{
    qsizetype cut = LineSplitter::maxLineBytes;
    for (int back = 0; back < 3 && isContinuationByte(bytes[cut]); ++back)
        --cut;
    return cut;
}

// Appends `line` (without its separator) in pieces of at most maxLineBytes; an empty line is dropped.
void appendLine(QByteArrayView line, QStringList& lines)
{
    while (line.size() > LineSplitter::maxLineBytes) {
        const qsizetype cut = cutPoint(line);
        lines.append(QString::fromUtf8(line.first(cut)));
        line = line.sliced(cut);
    }
    if (!line.isEmpty())
        lines.append(QString::fromUtf8(line));
}

} // namespace

QStringList LineSplitter::append(QByteArrayView chunk)
{
    QStringList lines;
    const char* const end = chunk.data() + chunk.size();
    const char* start = chunk.data();
    for (const char* separator; (separator = std::find_if(start, end, isSeparator)) != end;
         start = separator + 1) {
        if (m_buffer.isEmpty()) {
            appendLine(QByteArrayView(start, separator), lines);
        } else {
            m_buffer.append(QByteArrayView(start, separator));
            appendLine(m_buffer, lines);
            m_buffer.clear();
        }
    }
    m_buffer.append(QByteArrayView(start, end));
    // An unfinished line gives out its full pieces now, so the buffer stays bounded.
    while (m_buffer.size() > maxLineBytes) {
        const qsizetype cut = cutPoint(m_buffer);
        lines.append(QString::fromUtf8(QByteArrayView(m_buffer).first(cut)));
        m_buffer.remove(0, cut);
    }
    return lines;
}

std::optional<QString> LineSplitter::flush()
{
    if (m_buffer.isEmpty())
        return std::nullopt;
    const QString line = QString::fromUtf8(m_buffer);
    m_buffer.clear();
    return line;
}

} // namespace mv
