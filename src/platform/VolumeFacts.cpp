#include "platform/VolumeFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <limits>

namespace mv {

namespace {

struct MountEntry {
    QString mountPoint;
    QString type;
    unsigned major = 0;
    unsigned minor = 0;
};

// The mount that holds `path` (an absolute path with links resolved): of the mounts whose mount point is a
// prefix of it, one on the path's own device first, then the longest mount point, then the last listed (the
// one on top).
std::optional<MountEntry> mountHolding(const QByteArray& path, dev_t device)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<MountEntry> best;
    std::pair<bool, qsizetype> bestRank { false, -1 };
    for (const QByteArray& line : table.readAll().split('\n')) {
        const std::optional<detail::MountInfoLine> parsed = detail::parseMountInfoLine(line);
        if (!parsed)
            continue;
        const QByteArray& mountPoint = parsed->mountPoint;
        if (mountPoint != "/" && path != mountPoint && !path.startsWith(mountPoint + '/'))
            continue;
        const MountEntry entry { QFile::decodeName(mountPoint), parsed->type, parsed->major, parsed->minor };
        const std::pair rank { makedev(entry.major, entry.minor) == device, mountPoint.size() };
        if (rank >= bestRank) {
            bestRank = rank;
            best = entry;
        }
    }
    return best;
}

// The name of the link in /dev/disk/<folder> that points at the block device major:minor, decoded from
// udev's "\x20"-style escapes.
QString diskLinkFor(const QString& folder, unsigned major, unsigned minor)
{
    const QDir links(QStringLiteral("/dev/disk/") + folder);
    for (const QString& name : links.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        struct stat status { };
        if (::stat(QFile::encodeName(links.filePath(name)).constData(), &status) == 0
            && S_ISBLK(status.st_mode) && status.st_rdev == makedev(major, minor)) {
            return QFile::decodeName(detail::unescapeDiskLinkName(QFile::encodeName(name)));
        }
    }
    return {};
}

QString identityOf(const MountEntry& mount, const struct statfs& fileSystem)
{
    const QString uuid = diskLinkFor(QStringLiteral("by-uuid"), mount.major, mount.minor);
    if (!uuid.isEmpty())
        return QStringLiteral("uuid:") + uuid.toUpper();
    const int* halves = fileSystem.f_fsid.__val;
    if (halves[0] != 0 || halves[1] != 0)
        return QStringLiteral("fsid:%1:%2").arg(halves[0]).arg(halves[1]);
    return QStringLiteral("dev:%1:%2").arg(mount.major).arg(mount.minor);
}

std::optional<qint64> availableBytes(const struct statvfs& status)
{
    unsigned long long product = 0;
    if (__builtin_mul_overflow(status.f_bavail, status.f_frsize, &product)
        || product > quint64(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    if (product == 0)
        return std::nullopt;
    return qint64(product);
}

} // namespace

namespace detail {
std::optional<MountInfoLine> parseMountInfoLine(const QByteArray& line)
{
    // Fields: id, parent id, major:minor, root, mount point, options, optional fields..., "-", type, ...
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype separator = fields.indexOf("-");
    const QList<QByteArray> numbers = fields.value(2).split(':');
    if (separator < 6 || separator + 1 >= fields.size() || numbers.size() != 2)
        return std::nullopt;
    return MountInfoLine { unescapeMountField(fields[4]), QString::fromUtf8(fields[separator + 1]),
        numbers[0].toUInt(), numbers[1].toUInt() };
}

QByteArray unescapeDiskLinkName(const QByteArray& name)
{
    QByteArray decoded;
    decoded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        bool ok = false;
        const int value = name.mid(i + 2, 2).toInt(&ok, 16);
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && ok) {
            decoded.append(char(value));
            i += 3;
        } else {
            decoded.append(name[i]);
        }
    }
    return decoded;
}

QByteArray unescapeMountField(const QByteArray& field)
{
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            decoded.append(
                char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            decoded.append(field[i]);
        }
    }
    return decoded;
}
} // namespace detail

std::optional<VolumeFacts> volumeFacts(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray encoded = QFile::encodeName(path);
    struct statfs fileSystem { };
    struct statvfs usage { };
    struct stat file { };
    if (::statfs(encoded.constData(), &fileSystem) != 0 || ::statvfs(encoded.constData(), &usage) != 0
        || ::stat(encoded.constData(), &file) != 0)
        return std::nullopt;
    const auto mount = mountHolding(QFile::encodeName(QFileInfo(path).canonicalFilePath()), file.st_dev);
    if (!mount)
        return std::nullopt;

    VolumeFacts facts;
    facts.identity = identityOf(*mount, fileSystem);
    facts.name = diskLinkFor(QStringLiteral("by-label"), mount->major, mount->minor);
    if (facts.name.isEmpty())
        facts.name = mount->mountPoint == QStringLiteral("/") ? mount->mountPoint
                                                              : QFileInfo(mount->mountPoint).fileName();
    facts.fileSystemType = mount->type;
    facts.mountPoint = mount->mountPoint;
    facts.isReadOnly = (usage.f_flag & ST_RDONLY) != 0;
    facts.availableBytes = availableBytes(usage);
    return facts;
}

} // namespace mv
