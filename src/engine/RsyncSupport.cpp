#include "engine/RsyncSupport.h"

#include "engine/PlanBuilder.h"
#include "platform/Subprocess.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <mutex>
#include <utility>

#include <sys/stat.h>

namespace mv {

namespace {

// A version banner is a few hundred bytes; anything past this is not read into memory.
constexpr qsizetype versionOutputLimit = 64 * 1024;

// What tells one file from another or from its older self: a replaced or rewritten rsync is probed again.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity { status.st_dev, status.st_ino, status.st_size, status.st_mtim };
}

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

std::optional<RsyncVersion> RsyncSupport::detectCached(const QString& executable)
{
    static std::mutex lock;
    static QHash<QString, std::pair<FileIdentity, RsyncVersion>> known;
    const std::optional<FileIdentity> identity = identityOf(executable);
    if (!identity)
        return std::nullopt;
    {
        std::lock_guard guard(lock);
        if (const auto it = known.constFind(executable); it != known.cend() && it->first == *identity)
            return it->second;
    }
    const std::optional<RsyncVersion> version = detect(executable);
    // Only an answer is kept: a probe that failed or timed out is tried again next time.
    if (version && identityOf(executable) == identity) {
        std::lock_guard guard(lock);
        known.insert(executable, { *identity, *version });
    }
    return version;
}

} // namespace mv
