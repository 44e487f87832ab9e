// Any line goes through the redactor without harm, and a secret planted after a keyword in any of the forms
// it masks never survives, whatever text stands before and after it.

#include "FuzzCheck.h"
#include "model/Redactor.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

const QString secret = QStringLiteral("Zq7Vx9Wk");

// How a secret may follow its keyword.
const std::array<QString, 12> introductions {
    QStringLiteral("password="),
    QStringLiteral("Passphrase: "),
    QStringLiteral("secret = "),
    QStringLiteral("TOKEN:"),
    QStringLiteral("access_token="),
    QStringLiteral("Bearer "),
    QStringLiteral("bearer\t"),
    QStringLiteral("\"token\": \""),
    QStringLiteral("\"client_secret\": "),
    QStringLiteral("'password': '"),
    QStringLiteral("ssh-askpass "),
    QStringLiteral("Authorization: Bearer "),
};

// Blanks that may stand between an introduction and the secret without ending it.
const std::array<QString, 4> blanks { QString(), QStringLiteral(" "), QStringLiteral("\t"),
    QStringLiteral("\r") };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString whole = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    mv::Redactor::redact(whole);
    if (size < 3)
        return 0;

    const QString& introduction = introductions[data[0] % introductions.size()];
    // A Bearer credential and an askpass argument need a blank before them; the others take any.
    const bool needsBlank = introduction.endsWith(u' ') || introduction.endsWith(u'\t');
    const QString& blank = needsBlank ? QString() : blanks[data[1] % blanks.size()];
    const QString rest = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const qsizetype cut = rest.isEmpty() ? 0 : data[2] % (rest.size() + 1);
    const QString before = rest.first(cut);
    const QString after = rest.sliced(cut);
    if (before.contains(secret, Qt::CaseInsensitive) || after.contains(secret, Qt::CaseInsensitive))
        return 0;
    const QString line = before + introduction + blank + secret + after;
    const QString redacted = mv::Redactor::redact(line);
    if (redacted.contains(secret)) {
        std::fprintf(stderr, "kept: %s\n", qPrintable(redacted));
        FUZZ_CHECK(!redacted.contains(secret));
    }
    return 0;
}
