#include "platform/AutostartEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace mv::AutostartEntry {

namespace {

constexpr auto groupHeader = QLatin1StringView("[Desktop Entry]");

// Characters after which the Exec key's own quoting is needed, and those escaped inside its quotes.
constexpr auto reservedCharacters = QLatin1StringView(" \t\n\"'\\><~|&;$*?#()`");
constexpr auto escapedInQuotes = QLatin1StringView("\"`$\\");

// The escapes every string value of a desktop entry may hold ("\s", "\n", "\t", "\r", "\\").
QString unescapeValue(const QString& value)
{
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u's')
            plain += u' ';
        else if (next == u'n')
            plain += u'\n';
        else if (next == u't')
            plain += u'\t';
        else if (next == u'r')
            plain += u'\r';
        else
            plain += next;
    }
    return plain;
}

QString escapeValue(const QString& plain)
{
    QString value;
    for (const QChar c : plain) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

// One argument of an Exec command line, quoted when it holds a reserved character; "%" doubled, since a
// single one starts a field code.
QString quoteArgument(const QString& argument)
{
    QString doubled = argument;
    doubled.replace(u'%', QStringLiteral("%%"));
    const bool needsQuotes
        = std::any_of(doubled.begin(), doubled.end(), [](QChar c) { return reservedCharacters.contains(c); });
    if (!needsQuotes)
        return doubled;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : doubled) {
        if (escapedInQuotes.contains(c))
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

// The program an Exec command line starts: its first argument with quoting, escapes and "%%" undone.
QString firstArgument(const QString& commandLine)
{
    const QString line = commandLine.trimmed();
    QString argument;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'\\' && i + 1 < line.size()) {
            argument += line[++i];
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            break;
        } else {
            argument += c;
            if (c == u'%' && i + 1 < line.size() && line[i + 1] == u'%')
                ++i;
        }
    }
    return argument;
}

// The first value of `key` in the "Desktop Entry" group, escapes undone.
std::optional<QString> entryValue(const QString& text, QLatin1StringView key)
{
    bool inGroup = false;
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == groupHeader;
            continue;
        }
        if (!inGroup || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && QStringView(line).left(equals).trimmed() == key)
            return unescapeValue(line.mid(equals + 1).trimmed());
    }
    return std::nullopt;
}

bool samePath(const QString& written, const QString& program)
{
    if (written == program)
        return true;
    const QString canonical = QFileInfo(written).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(program).canonicalFilePath();
}

} // namespace

QString path()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory specification ignores a relative value.
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/marrowvale.desktop");
}

QByteArray compose(const QString& program)
{
    const QString text = groupHeader + QStringLiteral("\nType=Application\nName=Marrowvale\nExec=")
        + escapeValue(quoteArgument(program)) + QStringLiteral("\nTerminal=false\n");
    return text.toUtf8();
}

bool startsProgram(const QByteArray& contents, const QString& program)
{
    const QString text = QString::fromUtf8(contents);
    const std::optional<QString> exec = entryValue(text, QLatin1StringView("Exec"));
    if (!exec || !samePath(firstArgument(*exec), program))
        return false;
    return entryValue(text, QLatin1StringView("Hidden")) != QStringLiteral("true");
}

} // namespace mv::AutostartEntry
