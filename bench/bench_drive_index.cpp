// The Drive engine's MD5 of local files against md5sum (one 1 GiB file, then 100,000 files of 4 KiB), and
// makeIndex of a 250,000-item Drive listing. Ours and md5sum alternate, over warm page caches; the medians
// of several rounds are printed with the throughput ratio.

#include "drive/FileDigest.h"
#include "drive/RemoteIndex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mv;

namespace {

constexpr int rounds = 5;
constexpr qint64 bigFileSize = qint64(1) << 30;
constexpr int smallFiles = 100'000;
constexpr int smallFileSize = 4096;
constexpr int smallFolders = 100;
constexpr int indexFolders = 2'500;
constexpr int indexFilesPerFolder = 99; // with the folders, 250,000 items

double milliseconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeFile(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        qFatal("cannot write %s", path.constData());
    ::close(fd);
}

QByteArray randomBytes(qsizetype size, QRandomGenerator& generator)
{
    QByteArray bytes(size, Qt::Uninitialized);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

void makeBigFile(const QByteArray& path, QRandomGenerator& generator)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const QByteArray chunk = randomBytes(16 * 1024 * 1024, generator);
    for (qint64 written = 0; written < bigFileSize; written += chunk.size())
        if (fd < 0 || ::write(fd, chunk.constData(), size_t(chunk.size())) != chunk.size())
            qFatal("cannot write %s", path.constData());
    ::close(fd);
}

std::vector<QByteArray> makeSmallFiles(const QByteArray& root, QRandomGenerator& generator)
{
    std::vector<QByteArray> paths;
    paths.reserve(smallFiles);
    for (int folder = 0; folder < smallFolders; ++folder) {
        const QByteArray directory = root + QString::asprintf("/folder-%03d", folder).toUtf8();
        if (::mkdir(directory.constData(), 0755) != 0)
            qFatal("cannot create %s", directory.constData());
        for (int file = 0; file < smallFiles / smallFolders; ++file) {
            paths.push_back(directory + QString::asprintf("/file-%04d.bin", file).toUtf8());
            writeFile(paths.back(), randomBytes(smallFileSize, generator));
        }
    }
    return paths;
}

// md5sum over the files, given on standard input to xargs as md5sum's arguments.
void md5sum(const std::vector<QByteArray>& paths)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("xargs"), { QStringLiteral("-0"), QStringLiteral("md5sum") });
    QByteArray list;
    for (const QByteArray& path : paths)
        list += path + '\0';
    process.write(list);
    process.closeWriteChannel();
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("md5sum failed");
}

void md5(const std::vector<QByteArray>& paths)
{
    for (const QByteArray& path : paths)
        if (!GoogleDriveEngine::md5(path))
            qFatal("no digest for %s", path.constData());
}

void compareDigests(const char* label, const std::vector<QByteArray>& paths, qint64 bytes)
{
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            ours.push_back(milliseconds([&] { md5(paths); }));
            baseline.push_back(milliseconds([&] { md5sum(paths); }));
        } else {
            baseline.push_back(milliseconds([&] { md5sum(paths); }));
            ours.push_back(milliseconds([&] { md5(paths); }));
        }
    }
    const double a = median(ours);
    const double b = median(baseline);
    const auto throughput = [bytes](double ms) { return double(bytes) / 1e6 / (ms / 1e3); };
    std::printf(
        "%-34s %9.1f ms %8.1f MB/s   md5sum %9.1f ms %8.1f MB/s   throughput ratio %.2f (target >= 0.95)\n",
        label, a, throughput(a), b, throughput(b), b / a);
}

// 2,500 folders in the root and 99 files in each, listed in a shuffled order as Drive lists them.
QList<GoogleDriveItem> listing(QRandomGenerator& generator)
{
    QList<GoogleDriveItem> items;
    items.reserve(indexFolders * (indexFilesPerFolder + 1));
    for (int folder = 0; folder < indexFolders; ++folder) {
        GoogleDriveItem made;
        made.id = QString::asprintf("folder-%05d-xxxxxxxxxxxxxxxxxxxxx", folder);
        made.name = QString::asprintf("Folder %05d", folder);
        made.mimeType = QString::fromLatin1(GoogleDriveItem::folderMimeType);
        made.parents = QStringList { QStringLiteral("root-id") };
        items << made;
        for (int file = 0; file < indexFilesPerFolder; ++file) {
            GoogleDriveItem inner;
            inner.id = QString::asprintf("file-%05d-%03d-xxxxxxxxxxxxxxxxxxx", folder, file);
            inner.name = QString::asprintf("Document %03d.pdf", file);
            inner.mimeType = QStringLiteral("application/pdf");
            inner.size = QStringLiteral("123456");
            inner.md5Checksum = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
            inner.parents = QStringList { made.id };
            items << inner;
        }
    }
    std::shuffle(items.begin(), items.end(), generator);
    return items;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir base;
    QRandomGenerator generator(42);

    const QList<GoogleDriveItem> items = listing(generator);
    std::vector<double> indexing;
    qsizetype indexed = 0;
    for (int round = 0; round < rounds; ++round) {
        // The index is freed after the clock stops: the run keeps it to the end.
        QElapsedTimer timer;
        timer.start();
        const GoogleDriveEngine::RemoteIndex index = GoogleDriveEngine::makeIndex(items, "root-id");
        indexing.push_back(double(timer.nsecsElapsed()) / 1e6);
        indexed = index.files.size() + index.folders.size();
    }
    std::printf("%-34s %9.1f ms (%lld items indexed; target < 250 ms)\n", "makeIndex of 250,000 items",
        median(indexing), qlonglong(indexed));
    const QByteArray big = QFile::encodeName(base.filePath(QStringLiteral("big.bin")));
    makeBigFile(big, generator);
    compareDigests("md5 of one 1 GiB file", { big }, bigFileSize);
    QFile::remove(QFile::decodeName(big));

    const std::vector<QByteArray> small = makeSmallFiles(QFile::encodeName(base.path()), generator);
    compareDigests("md5 of 100,000 files of 4 KiB", small, qint64(smallFiles) * smallFileSize);

    return 0;
}
