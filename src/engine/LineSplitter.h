#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

// Cuts the raw chunks read from one pipe into lines at every carriage return or line feed, so that a
// progress line rewritten in place arrives as a series of lines. Empty lines are dropped; bytes that are not
// UTF-8 become U+FFFD. Output without any line ending is cut into lines of at most maxLineBytes, so a broken
// child cannot make the buffer grow without limit. One splitter per pipe; not shared between threads.
class LineSplitter {
public:
    static constexpr qsizetype maxLineBytes = 1024 * 1024;

    // The lines that `chunk` completed, in order; the unfinished rest stays buffered.
    QStringList append(QByteArrayView chunk);

    // The unfinished rest as one line, if any; the buffer is empty afterwards.
    std::optional<QString> flush();

private:
    QByteArray m_buffer;
};

} // namespace mv
