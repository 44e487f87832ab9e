#include "google/HttpResponseParser.h"

namespace mv {

namespace {

constexpr qsizetype headLimit = 64 * 1024;

// One line from `from`, without its CR LF (or bare LF); nullopt while its end has not arrived.
std::optional<QByteArrayView> lineAt(const QByteArray& buffer, qsizetype from, qsizetype& next)
{
    const qsizetype end = buffer.indexOf('\n', from);
    if (end < 0)
        return std::nullopt;
    next = end + 1;
    qsizetype length = end - from;
    if (length > 0 && buffer.at(end - 1) == '\r')
        --length;
    return QByteArrayView(buffer.constData() + from, length);
}

bool hasToken(const QByteArray& list, QByteArrayView token)
{
    for (const QByteArray& item : list.split(','))
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<qint64> decimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + (digit - '0');
    }
    return value;
}

} // namespace

HttpResponseParser::HttpResponseParser(qint64 bodyLimit)
    : m_bodyLimit(bodyLimit)
{
}

void HttpResponseParser::feed(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_receivedAny = true;
    if (m_state == State::done) {
        // Bytes after a whole answer: the connection is out of step and is not used again.
        m_buffer.append(bytes);
        return;
    }
    if (m_state != State::head && m_state != State::body)
        return;
    if (m_consumed > 0 && m_consumed == m_buffer.size()) {
        m_buffer.clear();
        m_consumed = 0;
    }
    m_buffer.append(bytes);
    parse();
}

void HttpResponseParser::connectionClosed()
{
    if (m_state == State::body && m_framing == Framing::untilClose)
        m_state = State::done;
    else if (m_state == State::head || m_state == State::body)
        fail();
}

bool HttpResponseParser::keepAlive() const
{
    if (m_state != State::done || m_consumed != m_buffer.size() || m_framing == Framing::untilClose)
        return false;
    const QByteArray connection = header("Connection").value_or(QByteArray());
    if (hasToken(connection, "close"))
        return false;
    return m_minorVersion >= 1 || hasToken(connection, "keep-alive");
}

std::optional<QByteArray> HttpResponseParser::header(QByteArrayView name) const
{
    std::optional<QByteArray> found;
    for (const auto& [key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        found = found ? *found + ", " + value : value;
    }
    return found;
}

void HttpResponseParser::parse()
{
    while (m_state == State::head || m_state == State::body) {
        if (m_state == State::head) {
            if (!parseHead())
                return;
            continue;
        }
        const qsizetype available = m_buffer.size() - m_consumed;
        switch (m_framing) {
        case Framing::length: {
            const qsizetype taken = qsizetype(std::min<qint64>(m_remaining, available));
            appendBody(QByteArrayView(m_buffer.constData() + m_consumed, taken));
            m_consumed += taken;
            m_remaining -= taken;
            if (m_state == State::body && m_remaining == 0)
                m_state = State::done;
            return;
        }
        case Framing::untilClose:
            appendBody(QByteArrayView(m_buffer.constData() + m_consumed, available));
            m_consumed += available;
            return;
        case Framing::chunked:
            if (!parseChunked())
                return;
            break;
        case Framing::none:
            m_state = State::done;
            return;
        }
    }
}

// False while the head is incomplete or when it failed.
bool HttpResponseParser::parseHead()
{
    qsizetype position = m_consumed;
    qsizetype next = 0;
    const auto statusLine = lineAt(m_buffer, position, next);
    if (!statusLine) {
        if (m_buffer.size() - m_consumed > headLimit)
            fail();
        return false;
    }
    QList<QPair<QByteArray, QByteArray>> headers;
    position = next;
    for (;;) {
        const auto line = lineAt(m_buffer, position, next);
        if (!line) {
            if (m_buffer.size() - m_consumed > headLimit)
                fail();
            return false;
        }
        position = next;
        if (line->isEmpty())
            break;
        const qsizetype colon = line->indexOf(':');
        if (colon <= 0 || line->front() == ' ' || line->front() == '\t') {
            fail();
            return false;
        }
        headers.append(
            { line->first(colon).trimmed().toByteArray(), line->sliced(colon + 1).trimmed().toByteArray() });
    }

    // "HTTP/1.1 308 Resume Incomplete"
    if (statusLine->size() < 12 || !statusLine->startsWith("HTTP/1.") || statusLine->at(8) != ' '
        || (statusLine->size() > 12 && statusLine->at(12) != ' ')) {
        fail();
        return false;
    }
    const auto status = decimal(statusLine->sliced(9, 3));
    if (!status || *status < 100) {
        fail();
        return false;
    }
    m_consumed = position;
    if (*status < 200)
        return true; // an interim answer; the real one follows

    m_status = int(*status);
    m_minorVersion = statusLine->at(7) - '0';
    m_headers = std::move(headers);
    m_state = State::body;
    if (m_status == 204 || m_status == 304) {
        m_framing = Framing::none;
    } else if (const auto coding = header("Transfer-Encoding")) {
        m_framing = coding->trimmed().toLower().endsWith("chunked") ? Framing::chunked : Framing::untilClose;
    } else if (const auto length = header("Content-Length")) {
        const auto value = decimal(*length);
        if (!value) { // missing, negative or several different lengths
            fail();
            return false;
        }
        m_framing = Framing::length;
        m_remaining = *value;
        if (m_remaining > m_bodyLimit) {
            m_state = State::tooLarge;
            return false;
        }
        if (m_remaining == 0)
            m_state = State::done;
    } else {
        m_framing = Framing::untilClose;
    }
    return true;
}

// False while more bytes are needed or when the coding failed.
bool HttpResponseParser::parseChunked()
{
    qsizetype next = 0;
    if (m_inChunkData) {
        const qsizetype available = m_buffer.size() - m_consumed;
        const qsizetype taken = qsizetype(std::min<qint64>(m_remaining, available));
        appendBody(QByteArrayView(m_buffer.constData() + m_consumed, taken));
        m_consumed += taken;
        m_remaining -= taken;
        if (m_state != State::body || m_remaining > 0)
            return false;
        const auto end = lineAt(m_buffer, m_consumed, next);
        if (!end)
            return false;
        if (!end->isEmpty()) {
            fail();
            return false;
        }
        m_consumed = next;
        m_inChunkData = false;
        return true;
    }
    const auto line = lineAt(m_buffer, m_consumed, next);
    if (!line)
        return false;
    m_consumed = next;
    if (m_inTrailer) {
        if (line->isEmpty())
            m_state = State::done;
        return true;
    }
    const qsizetype extension = line->indexOf(';');
    const QByteArrayView digits = (extension < 0 ? *line : line->first(extension)).trimmed();
    bool ok = false;
    const qint64 size = digits.isEmpty() || digits.size() > 15 ? -1 : digits.toLongLong(&ok, 16);
    if (!ok || size < 0) {
        fail();
        return false;
    }
    if (size == 0) {
        m_inTrailer = true;
        return true;
    }
    m_remaining = size;
    m_inChunkData = true;
    return true;
}

void HttpResponseParser::appendBody(QByteArrayView bytes)
{
    if (m_body.size() + bytes.size() > m_bodyLimit) {
        m_state = State::tooLarge;
        return;
    }
    m_body.append(bytes);
}

} // namespace mv
