#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace mv::RsyncEscape {

// rsync writes each byte of a name it cannot print (under LC_ALL=C every byte outside ASCII) as a
// backslash, "#" and three octal digits, and a backslash that would read as the start of such an escape as
// "\#134". Our own logs write names the same way, so one reader undoes both.

// The line in UTF-8 with each control character, Unicode line or paragraph separator and escape-starting
// backslash escaped: a name such as "a\nERROR b" can neither start a line of its own nor pass for a failure.
QByteArray encoded(const QString& line);

// The text with every complete escape turned back into its byte and the bytes read as UTF-8, leniently
// (a byte that is not UTF-8 becomes U+FFFD). What only looks like an escape stays as it is.
QString decoded(QStringView text);

} // namespace mv::RsyncEscape
