#include "engine/TreeRemover.h"

#include <QByteArray>
#include <QFile>

#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace mv::TreeRemover {
namespace {

QString failure(int error, const QByteArray& path)
{
    return QStringLiteral("%1 (%2)").arg(
        QString::fromStdString(std::generic_category().message(error)), QFile::decodeName(path));
}

// The names in the folder open at `folder`, with whether each is a real folder (never a link to one). The
// whole listing is read before anything is removed, since removing entries while reading a folder may make
// some file systems skip entries.
struct Entry {
    QByteArray name;
    bool isFolder = false;
};

std::optional<QString> list(int folder, const QByteArray& path, std::vector<Entry>& entries)
{
    const int listingFd = dup(folder);
    if (listingFd < 0)
        return failure(errno, path);
    DIR* dir = fdopendir(listingFd);
    if (!dir) {
        const int error = errno;
        close(listingFd);
        return failure(error, path);
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status { };
            isFolder = fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISDIR(status.st_mode);
        }
        entries.push_back({ name, isFolder });
        errno = 0;
    }
    const int error = errno;
    closedir(dir);
    return error != 0 ? std::optional(failure(error, path)) : std::nullopt;
}

// Which mount a folder belongs to. A bind mount of a folder of the same file system has the same device
// number, so the mount's own id is compared where the kernel gives it.
struct Mount {
    dev_t device = 0;
    std::optional<quint64> id;
    bool operator==(const Mount&) const = default;
};

std::optional<Mount> mountOf(int folder)
{
    struct statx status { };
    if (statx(folder, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &status) != 0)
        return std::nullopt;
    Mount mount { makedev(status.stx_dev_major, status.stx_dev_minor), std::nullopt };
    if (status.stx_mask & STATX_MNT_ID)
        mount.id = status.stx_mnt_id;
    return mount;
}

// Lets the owner remove entries from the folder open at `folder`: a copy keeps the modes of its source,
// and read-only folders (a module cache, say) would otherwise stop every removal of it. The folder is
// about to go, and the change goes through the open descriptor, never through a name or a link.
void allowRemovingEntries(int folder)
{
    constexpr mode_t needed = S_IWUSR | S_IXUSR;
    struct stat status { };
    if (fstat(folder, &status) == 0 && (status.st_mode & needed) != needed && status.st_uid == geteuid())
        fchmod(folder, (status.st_mode & 07777) | needed);
}

// Empties the folder open at `folder` (whose path is `path`, for messages); closes `folder`. Never leaves
// `mount`: a folder inside on which something else is mounted is left as it is, and the removal stops there.
std::optional<QString> empty(int folder, const QByteArray& path, const Mount& mount)
{
    allowRemovingEntries(folder);
    std::vector<Entry> entries;
    std::optional<QString> problem = list(folder, path, entries);
    for (const Entry& entry : entries) {
        if (problem)
            break;
        const QByteArray entryPath = path + '/' + entry.name;
        if (entry.isFolder) {
            const int child
                = openat(folder, entry.name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                problem = failure(errno, entryPath);
                break;
            }
            if (mountOf(child) != mount) {
                close(child);
                problem = QStringLiteral("Another file system is mounted there and was left as it is (%1)")
                              .arg(QFile::decodeName(entryPath));
                break;
            }
            problem = empty(child, entryPath, mount);
            if (!problem && unlinkat(folder, entry.name.constData(), AT_REMOVEDIR) != 0)
                problem = failure(errno, entryPath);
        } else if (unlinkat(folder, entry.name.constData(), 0) != 0) {
            problem = failure(errno, entryPath);
        }
    }
    close(folder);
    return problem;
}

} // namespace

std::optional<QString> remove(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status { };
    if (lstat(encoded.constData(), &status) != 0)
        return failure(errno, encoded);
    if (!S_ISDIR(status.st_mode)) {
        if (unlink(encoded.constData()) != 0)
            return failure(errno, encoded);
        return std::nullopt;
    }
    const int folder = open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return failure(errno, encoded);
    const std::optional<Mount> mount = mountOf(folder);
    if (!mount) {
        const int error = errno;
        close(folder);
        return failure(error, encoded);
    }
    if (auto problem = empty(folder, encoded, *mount))
        return problem;
    if (rmdir(encoded.constData()) != 0)
        return failure(errno, encoded);
    return std::nullopt;
}

} // namespace mv::TreeRemover
