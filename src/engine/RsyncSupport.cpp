#include "engine/RsyncSupport.h"

#include "engine/PlanBuilder.h"
#include "platform/Subprocess.h"

#include <QRegularExpression>

namespace mv {

namespace {

// A version banner is a few hundred bytes; anything past this is not read into memory.
constexpr qsizetype versionOutputLimit = 64 * 1024;

} // namespace

QString RsyncVersion::description() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

std::optional<RsyncVersion> RsyncSupport::detect(const QString& executable, std::chrono::milliseconds timeout)
{
    SubprocessSpec spec;
    spec.executable = executable;
    spec.arguments = { QStringLiteral("--version") };
    spec.environment = PlanBuilder::childEnvironment();
    spec.output = SubprocessOutput::merged;
    const auto result = Subprocess::run(std::move(spec), timeout, versionOutputLimit);
    if (!result || result->timedOut)
        return std::nullopt;

    static const QRegularExpression versionPattern(QStringLiteral("version\\s+(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = versionPattern.match(QString::fromUtf8(result->output));
    if (!match.hasMatch())
        return std::nullopt;
    // Pieces too long for an int are skipped, as if they were not there.
    static const QRegularExpression nonDigits(QStringLiteral("\\D+"));
    QList<int> numbers;
    for (const QString& piece : match.captured(0).split(nonDigits, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = piece.toInt(&ok);
        if (ok)
            numbers.append(number);
    }
    if (numbers.size() < 2)
        return std::nullopt;
    return RsyncVersion { numbers[0], numbers[1], numbers.value(2, 0) };
}

} // namespace mv
