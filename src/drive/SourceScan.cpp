#include "drive/SourceScan.h"

#include "drive/ExclusionMatcher.h"
#include "drive/PathOrder.h"
#include "model/PathValidationError.h"
#include "platform/FileDescriptor.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace mv::GoogleDriveEngine {

namespace {

struct Entry {
    QByteArray name;
    unsigned char type = DT_UNKNOWN; // as the folder listing reported it
};

// A folder being walked: its open descriptor, its relative path and the entries not yet visited.
struct Folder {
    FileDescriptor fd;
    QByteArray relative; // UTF-8; empty for the source folder itself
    std::vector<Entry> entries; // in byte order of their names
    size_t next = 0;
};

PathValidationError unreadableSource()
{
    return PathValidationError(QStringLiteral("The source folder could not be read."));
}

// The folder's entries, "." and ".." left out, sorted so that a walk is the same every time; none when the
// listing failed part way or the entries cannot be reached.
std::optional<std::vector<Entry>> readEntries(int fd)
{
    const int listingFd = ::dup(fd);
    if (listingFd < 0)
        return std::nullopt;
    DIR* listing = ::fdopendir(listingFd);
    if (!listing) {
        ::close(listingFd);
        return std::nullopt;
    }
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* found = ::readdir(listing)) {
        const QByteArrayView name(found->d_name);
        if (name != ".." && name != ".")
            entries.push_back({ name.toByteArray(), found->d_type });
        errno = 0;
    }
    const bool failed = errno != 0;
    ::closedir(listing);
    // A folder that may be listed but not searched would fail every entry one by one: it counts as
    // unreadable as a whole. Looking up "." in it needs the same permission.
    struct stat status { };
    if (failed || (!entries.empty() && ::fstatat(fd, ".", &status, 0) != 0))
        return std::nullopt;
    std::ranges::sort(entries, [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

unsigned char typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return DT_REG;
    if (S_ISDIR(mode))
        return DT_DIR;
    if (S_ISLNK(mode))
        return DT_LNK;
    return DT_UNKNOWN;
}

QDateTime modificationTime(const struct stat& status)
{
    const qint64 msecs = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1'000'000;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

int depthOf(const QString& relativePath)
{
    return int(relativePath.count(u'/')) + 1;
}

// Sorts the files by PathOrder, computing each path's key once.
void sortByPath(std::vector<GoogleLocalFile>& files)
{
    std::vector<QString> keys;
    keys.reserve(files.size());
    for (const GoogleLocalFile& file : files)
        keys.push_back(PathOrder::key(file.relativePath));
    std::vector<size_t> order(files.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::ranges::stable_sort(order, [&](size_t a, size_t b) { return PathOrder::keyLess(keys[a], keys[b]); });
    keys.clear();
    // Applies the permutation in place, one cycle at a time, so the files are never held twice.
    for (size_t start = 0; start < order.size(); ++start) {
        size_t at = start;
        while (order[at] != start) {
            std::swap(files[at], files[order[at]]);
            const size_t next = order[at];
            order[at] = at;
            at = next;
        }
        order[at] = at;
    }
}

class SourceWalk {
public:
    SourceWalk(QByteArray root, const TransferOptions& options)
        : m_root(std::move(root))
        , m_filePrefix(m_root == "/" ? m_root : m_root + '/')
        , m_matcher(options.exclusionPatterns())
    {
    }

    ScanResult run()
    {
        FileDescriptor rootFd(::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (rootFd.get() < 0)
            throw unreadableSource();
        auto entries = readEntries(rootFd.get());
        if (!entries)
            throw unreadableSource();
        m_folders.push_back({ std::move(rootFd), QByteArray(), std::move(*entries) });
        while (!m_folders.empty()) {
            Folder& folder = m_folders.back();
            if (folder.next == folder.entries.size()) {
                m_folders.pop_back();
                continue;
            }
            visit(folder.fd.get(), folder.relative, std::move(folder.entries[folder.next++]));
        }
        std::ranges::stable_sort(m_result.directories, {}, depthOf);
        sortByPath(m_result.files);
        return std::move(m_result);
    }

private:
    // Visits one entry of the folder open at `folderFd`. May open the entry as a folder and push it onto
    // the walk, so it takes what it needs of its folder by value.
    void visit(int folderFd, QByteArray folderPath, Entry entry)
    {
        const QByteArray relative = folderPath.isEmpty() ? entry.name : folderPath + '/' + entry.name;
        if (!QByteArrayView(entry.name).isValidUtf8()) {
            m_result.warnings.append(QStringLiteral("Skipped %1, whose name is not valid UTF-8. Google Drive "
                                                    "cannot store it.")
                                         .arg(QString::fromUtf8(relative)));
            return;
        }
        const QString relativeText = QString::fromUtf8(relative);
        struct stat status { };
        unsigned char type = entry.type;
        if (type == DT_UNKNOWN || type == DT_REG) {
            if (::fstatat(folderFd, entry.name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) // one that vanished meanwhile is simply not there
                    unreadable(relativeText);
                return;
            }
            type = typeOf(status.st_mode);
        }
        switch (type) {
        case DT_LNK:
            m_result.warnings.append(
                QStringLiteral("Skipped symbolic link %1. Google Drive cannot store it.").arg(relativeText));
            return;
        case DT_DIR: {
            const ExclusionMatcher::Verdict verdict = m_matcher.check(relative);
            if (verdict.contentsExcluded && !verdict.excluded)
                m_result.directories.append(relativeText); // listed, but nothing below it is read
            else if (!verdict.excluded)
                enter(folderFd, entry.name, relative, relativeText);
            return;
        }
        case DT_REG:
            if (!m_matcher.check(relative).excluded)
                add(relative, relativeText, status);
            return;
        default: // devices, sockets and pipes are not backed up
            return;
        }
    }

    void enter(int folderFd, const QByteArray& name, const QByteArray& relative, const QString& relativeText)
    {
        FileDescriptor fd(
            ::openat(folderFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.get() < 0) {
            if (errno != ENOENT)
                unreadable(relativeText);
            return;
        }
        auto entries = readEntries(fd.get());
        if (!entries) {
            unreadable(relativeText);
            return;
        }
        m_result.directories.append(relativeText);
        m_folders.push_back({ std::move(fd), relative, std::move(*entries) });
    }

    void add(const QByteArray& relative, const QString& relativeText, const struct stat& status)
    {
        const qint64 size = status.st_size;
        m_result.files.push_back({ relativeText, m_filePrefix + relative, size, modificationTime(status) });
        m_result.totalBytes += size;
    }

    void unreadable(const QString& relativeText)
    {
        m_result.warnings.append(
            QStringLiteral("Could not read %1; it was not backed up and its Drive copy was left in place.")
                .arg(relativeText));
        m_result.unreadable.append(relativeText);
    }

    const QByteArray m_root; // the source folder's real path
    const QByteArray m_filePrefix; // what a relative path is appended to for the file's location
    const ExclusionMatcher m_matcher;
    std::vector<Folder> m_folders;
    ScanResult m_result;
};

} // namespace

ScanResult scanSource(const QString& sourcePath, const TransferOptions& options)
{
    char real[PATH_MAX];
    if (!::realpath(QFile::encodeName(sourcePath).constData(), real))
        throw unreadableSource();
    return SourceWalk(QByteArray(real), options).run();
}

} // namespace mv::GoogleDriveEngine
