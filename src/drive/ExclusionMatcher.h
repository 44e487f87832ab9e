#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <vector>

namespace mv {

namespace GoogleDriveEngine {

// Whether one of the exclusion patterns excludes the relative path. Each pattern is trimmed of white space
// and of every trailing "/" (so ".git/" also excludes a file named ".git"); what is left empty is ignored.
// A pattern still holding "/" is a path pattern: it excludes a path when fnmatch (with FNM_PATHNAME) matches
// the path or a tail of it starting at a component, or when such a tail begins with the pattern's own text
// and "/". Any other pattern is a name pattern: it excludes a path when it matches one of its components.
// Case-sensitive; wildcards match a leading ".".
bool isExcluded(const QString& relativePath, const QStringList& patterns);

} // namespace GoogleDriveEngine

// The same decisions made during a walk of the tree, where an entry is only reached when no folder above it
// was excluded. Then a name pattern need only test the entry's own name, and a path pattern only the tails
// of the path that end at the entry: the tails ending higher up were tested at the folders above. The
// patterns are prepared once, and the common literal and "*suffix" forms are compared without fnmatch.
class ExclusionMatcher {
public:
    struct Verdict {
        bool excluded = false;
        // Everything below the entry is excluded, though the entry itself may not be: a tail of its path
        // equals a path pattern letter for letter, and a path below it begins with that pattern and "/".
        // (With a backslash or brackets in the pattern, fnmatch need not match that same text.)
        bool contentsExcluded = false;

        bool operator==(const Verdict&) const = default;
    };

    explicit ExclusionMatcher(const QStringList& patterns);

    // The verdict on the entry at `relativePath` (UTF-8, "/"-separated, no empty components), given that it
    // was reached: no folder above it was excluded or had its contents excluded.
    Verdict check(const QByteArray& relativePath) const;

private:
    enum class Form { literal, anyThenSuffix, wildcard };
    struct Pattern {
        QByteArray text; // as fnmatch reads it
        QByteArray suffix; // anyThenSuffix: what follows the leading "*"
        Form form = Form::wildcard;
        int slashes = 0; // path patterns: a tail it can match has at most this many "/"
    };

    static Pattern prepare(QByteArray text);
    static bool nameMatches(const Pattern& pattern, QByteArrayView name);

    std::vector<Pattern> m_names;
    std::vector<Pattern> m_paths;
};

} // namespace mv
