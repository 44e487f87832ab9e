#include "model/Redactor.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <vector>

namespace mv::Redactor {

namespace {

// The words a secret follows. Nothing else is looked at: a line without any of them is returned as it is,
// without running an expression.
enum class Keyword { assignment, bearer, askpass };

struct KeywordText {
    QStringView text;
    Keyword kind;
};

constexpr std::array<KeywordText, 6> keywords { {
    { u"password", Keyword::assignment },
    { u"passphrase", Keyword::assignment },
    { u"secret", Keyword::assignment },
    { u"token", Keyword::assignment },
    { u"bearer", Keyword::bearer },
    { u"ssh-askpass", Keyword::askpass },
} };

struct Rule {
    Keyword kind;
    QRegularExpression pattern; // matched at a keyword's position only
    QString (*replacement)(const QRegularExpressionMatch&);
};

// Tried in this order at each keyword. The quoted-key rules come before the plain assignment: it stops at
// the first blank or at a quote after the keyword, and would otherwise leave such a secret whole or half
// visible.
const std::array<Rule, 5>& rules()
{
    static const std::array<Rule, 5> list { {
        // "access_token": "ya29…" and 'secret': '…', the quoted value masked whole, escapes included.
        { Keyword::assignment,
            QRegularExpression(QStringLiteral(
                R"((?i)(password|passphrase|secret|token)(["']\s*:\s*+)(["'])(?:(?!\3)[^\\]|\\.)*\3?)")),
            [](const QRegularExpressionMatch& m) {
                return m.captured(1) + m.captured(2) + m.captured(3) + QStringLiteral("•••") + m.captured(3);
            } },
        // "token": 1234 — an unquoted value of a quoted key.
        { Keyword::assignment,
            QRegularExpression(
                QStringLiteral(R"((?i)(password|passphrase|secret|token)(["']\s*:\s*+)(?!["'])[^\s,}\]]+)")),
            [](const QRegularExpressionMatch& m) {
                return m.captured(1) + m.captured(2) + QStringLiteral("•••");
            } },
        { Keyword::assignment,
            QRegularExpression(QStringLiteral(R"((?i)(password|passphrase|secret|token)\s*[=:]\s*\S+)")),
            [](const QRegularExpressionMatch& m) { return m.captured(1) + QStringLiteral("=•••"); } },
        { Keyword::bearer, QRegularExpression(QStringLiteral(R"((?i)(bearer)\s+[^\s"']+)")),
            [](const QRegularExpressionMatch& m) { return m.captured(1) + QStringLiteral(" •••"); } },
        { Keyword::askpass, QRegularExpression(QStringLiteral(R"((?i)ssh-askpass\s+\S+)")),
            [](const QRegularExpressionMatch&) { return QStringLiteral("ssh-askpass •••"); } },
    } };
    return list;
}

struct Found {
    qsizetype at;
    Keyword kind;
};

// Every place a keyword starts, also inside a word ("oauth_token", "tBearer").
std::vector<Found> keywordsIn(QStringView line)
{
    std::vector<Found> found;
    for (const KeywordText& keyword : keywords) {
        for (qsizetype at = line.indexOf(keyword.text, 0, Qt::CaseInsensitive); at >= 0;
             at = line.indexOf(keyword.text, at + 1, Qt::CaseInsensitive))
            found.push_back({ at, keyword.kind });
    }
    return found;
}

// The expressions find nothing at all in text that is not valid UTF-16, so a lone surrogate anywhere on a
// line would keep every secret on it. Such a code unit becomes U+FFFD, as a decoder would have made it.
QString withoutLoneSurrogates(const QString& line)
{
    QString result = line;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar unit = result.at(i);
        if (unit.isHighSurrogate() && i + 1 < result.size() && result.at(i + 1).isLowSurrogate())
            ++i;
        else if (unit.isSurrogate())
            result[i] = QChar::ReplacementCharacter;
    }
    return result;
}

} // namespace

// Each keyword is masked on its own, from the last to the first. A value may itself be a keyword
// ("Bearer Bearer x", "{"token": Bearer x}"); masked from the right, the later keyword's own value is gone
// before the earlier one takes the keyword as its value, so no secret is left behind. A replacement only
// changes the text from its keyword on, so the places found before it stay valid.
QString redact(const QString& line)
{
    std::vector<Found> found = keywordsIn(line);
    if (found.empty())
        return line;
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.at > b.at; });
    QString result = withoutLoneSurrogates(line);
    for (const Found& keyword : found) {
        for (const Rule& rule : rules()) {
            if (rule.kind != keyword.kind)
                continue;
            const QRegularExpressionMatch match = rule.pattern.match(result, keyword.at,
                QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch()) {
                result.replace(keyword.at, match.capturedLength(), rule.replacement(match));
                break;
            }
        }
    }
    return result;
}

} // namespace mv::Redactor
