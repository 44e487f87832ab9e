#include "model/Redactor.h"

#include <QRegularExpression>

#include <array>

namespace mv::Redactor {

namespace {

struct Rule {
    QRegularExpression pattern;
    QString replacement;
};

// Applied in this order. The quoted-key and Bearer rules run before the keyword rule: it stops at the first
// blank or at a quote after the keyword, and would otherwise leave such a secret whole or half visible.
const std::array<Rule, 5>& rules()
{
    static const std::array<Rule, 5> list { {
        // "access_token": "ya29…" and 'secret': '…', the quoted value masked whole, escapes included.
        { QRegularExpression(QStringLiteral(
              R"((?i)(password|passphrase|secret|token)(["']\s*:\s*+)(["'])(?:(?!\3)[^\\]|\\.)*\3?)")),
            QStringLiteral("\\1\\2\\3•••\\3") },
        // "token": 1234 — an unquoted value of a quoted key.
        { QRegularExpression(
              QStringLiteral(R"((?i)(password|passphrase|secret|token)(["']\s*:\s*+)(?!["'])[^\s,}\]]+)")),
            QStringLiteral("\\1\\2•••") },
        { QRegularExpression(QStringLiteral(R"((?i)\b(bearer)\s+[^\s"']+)")), QStringLiteral("\\1 •••") },
        { QRegularExpression(QStringLiteral(R"((?i)(password|passphrase|secret|token)\s*[=:]\s*\S+)")),
            QStringLiteral("\\1=•••") },
        { QRegularExpression(QStringLiteral(R"((?i)ssh-askpass\s+\S+)")), QStringLiteral("ssh-askpass •••") },
    } };
    return list;
}

} // namespace

QString redact(const QString& line)
{
    QString result = line;
    for (const Rule& rule : rules())
        result.replace(rule.pattern, rule.replacement);
    return result;
}

} // namespace mv::Redactor
