#include "drive/ExclusionMatcher.h"

#include <fnmatch.h>

#include <algorithm>

namespace mv {

namespace {

// A pattern as every test reads it: without surrounding white space and without trailing "/".
QByteArray normalised(const QString& pattern)
{
    QString text = pattern.trimmed();
    while (text.endsWith(u'/'))
        text.chop(1);
    return text.toUtf8();
}

bool fnmatches(const QByteArray& pattern, const char* text, int flags)
{
    return ::fnmatch(pattern.constData(), text, flags) == 0;
}

bool hasWildcard(QByteArrayView text)
{
    return std::ranges::any_of(text, [](char c) { return c == '*' || c == '?' || c == '[' || c == '\\'; });
}

} // namespace

namespace GoogleDriveEngine {

bool isExcluded(const QString& relativePath, const QStringList& patterns)
{
    const QByteArray path = relativePath.toUtf8();
    QList<QByteArray> components = path.split('/');
    components.removeAll(QByteArray());
    for (const QString& raw : patterns) {
        const QByteArray pattern = normalised(raw);
        if (pattern.isEmpty())
            continue;
        if (pattern.contains('/')) {
            const QByteArray below = pattern + '/';
            if (fnmatches(pattern, path.constData(), FNM_PATHNAME) || path.startsWith(below))
                return true;
            for (qsizetype first = 0; first < components.size(); ++first) {
                const QByteArray tail = components.sliced(first).join('/');
                if (tail.startsWith(below) || fnmatches(pattern, tail.constData(), FNM_PATHNAME))
                    return true;
            }
        } else {
            for (const QByteArray& component : components) {
                if (fnmatches(pattern, component.constData(), 0))
                    return true;
            }
        }
    }
    return false;
}

} // namespace GoogleDriveEngine

ExclusionMatcher::ExclusionMatcher(const QStringList& patterns)
{
    for (const QString& raw : patterns) {
        QByteArray text = normalised(raw);
        if (text.isEmpty())
            continue;
        const bool isPath = text.contains('/');
        (isPath ? m_paths : m_names).push_back(prepare(std::move(text)));
    }
}

ExclusionMatcher::Pattern ExclusionMatcher::prepare(QByteArray text)
{
    Pattern pattern;
    pattern.slashes = int(text.count('/'));
    if (!hasWildcard(text))
        pattern.form = Form::literal;
    else if (pattern.slashes == 0 && text.startsWith('*') && !hasWildcard(QByteArrayView(text).sliced(1))) {
        pattern.form = Form::anyThenSuffix;
        pattern.suffix = text.sliced(1);
    }
    pattern.text = std::move(text);
    return pattern;
}

bool ExclusionMatcher::nameMatches(const Pattern& pattern, QByteArrayView name)
{
    switch (pattern.form) {
    case Form::literal:
        return name == pattern.text;
    case Form::anyThenSuffix:
        return name.endsWith(pattern.suffix);
    case Form::wildcard:
        return fnmatches(pattern.text, name.data(), 0);
    }
    return false;
}

ExclusionMatcher::Verdict ExclusionMatcher::check(const QByteArray& relativePath) const
{
    const qsizetype nameStart = relativePath.lastIndexOf('/') + 1;
    const QByteArrayView name = QByteArrayView(relativePath).sliced(nameStart);
    for (const Pattern& pattern : m_names) {
        if (nameMatches(pattern, name))
            return { true, true };
    }
    // The tails ending at the entry, shortest first. Each is a suffix of the path, so it ends in the path's
    // own terminating zero, as fnmatch needs. With FNM_PATHNAME every "/" of a tail must meet a "/" of the
    // pattern, so tails longer than a pattern's slashes allow are never tried.
    Verdict verdict;
    qsizetype start = nameStart;
    for (int slashes = 0;; ++slashes) {
        const QByteArrayView tail = QByteArrayView(relativePath).sliced(start);
        bool triedAny = false;
        for (const Pattern& pattern : m_paths) {
            if (pattern.slashes < slashes)
                continue;
            triedAny = true;
            const bool equal = slashes == pattern.slashes && tail == pattern.text;
            verdict.contentsExcluded = verdict.contentsExcluded || equal;
            const bool matches = pattern.form == Form::literal
                ? equal
                : ::fnmatch(pattern.text.constData(), tail.data(), FNM_PATHNAME) == 0;
            if (matches)
                return { true, true };
        }
        if (!triedAny || start == 0)
            return verdict;
        start = start >= 2 ? relativePath.lastIndexOf('/', start - 2) + 1 : 0;
    }
}

} // namespace mv
