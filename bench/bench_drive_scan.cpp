// The Drive engine's scan of a source of 200,000 files in 20,000 folders, with every built-in exclusion and
// six custom patterns, against `find SRC -printf '%y %s %T@ %P\n' | LC_ALL=C sort` over the same tree. The
// two alternate; the medians of several rounds are printed with their ratio, and the scan's peak memory per
// file.

#include "drive/SourceScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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
constexpr int topFolders = 200;
constexpr int subFolders = 99; // in each top folder: 20,000 folders in all
constexpr int filesPerFolder = 10; // 200,000 files in all

void makeFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0755) != 0)
        qFatal("cannot create %s", path.constData());
}

void makeFiles(const QByteArray& folder, int seed)
{
    static const char* const names[] = { "report-%d.txt", "photo-%d.jpg", "notes-%d.md", "data-%d.csv",
        "draft-%d.tmp", "build-%d.o", "trace-%d.log", "slide-%d.key", "mail-%d.eml", "song-%d.mp3" };
    for (int i = 0; i < filesPerFolder; ++i) {
        const QByteArray path = folder + '/' + QString::asprintf(names[i], seed).toUtf8();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, "x", 1) != 1)
            qFatal("cannot write %s", path.constData());
        ::close(fd);
    }
}

void makeTree(const QByteArray& root)
{
    for (int top = 0; top < topFolders; ++top) {
        const QByteArray folder = root + QString::asprintf("/project-%03d", top).toUtf8();
        makeFolder(folder);
        makeFiles(folder, top);
        for (int sub = 0; sub < subFolders; ++sub) {
            const QByteArray inner = folder + QString::asprintf("/part-%02d", sub).toUtf8();
            makeFolder(inner);
            makeFiles(inner, sub);
        }
    }
}

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

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM").
qint64 statusKb(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void find(const QString& root)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/bash"),
        { QStringLiteral("-c"), QStringLiteral("find \"$1\" -printf '%y %s %T@ %P\\n' | LC_ALL=C sort"),
            QStringLiteral("bash"), root });
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("find failed");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir base;
    const QString root = base.filePath(QStringLiteral("source"));
    makeFolder(QFile::encodeName(root));
    makeTree(QFile::encodeName(root));

    TransferOptions options;
    options.builtInExclusions
        = { BuiltInExclusion::finderMetadata, BuiltInExclusion::git, BuiltInExclusion::nodeModules,
              BuiltInExclusion::temporaryFiles, BuiltInExclusion::trash, BuiltInExclusion::caches };
    options.customExclusions = { "*.log", "build/", "*.o", "cache/*.bin", "Thumbs.db", "docs/drafts/" };

    const qint64 rssBefore = statusKb("VmRSS");
    qint64 scannedFiles = 0;
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < rounds; ++round) {
        const auto scan = [&] {
            const GoogleDriveEngine::ScanResult result = GoogleDriveEngine::scanSource(root, options);
            scannedFiles = qint64(result.files.size());
        };
        const auto listing = [&] { find(root); };
        if (round % 2 == 0) {
            ours.push_back(milliseconds(scan));
            baseline.push_back(milliseconds(listing));
        } else {
            baseline.push_back(milliseconds(listing));
            ours.push_back(milliseconds(scan));
        }
    }
    const qint64 peakKb = statusKb("VmHWM") - rssBefore;
    const double a = median(ours);
    const double b = median(baseline);
    std::printf("%-44s %10.1f ms   %-26s %10.1f ms   ratio %.2f (target <= 1.50)\n",
        "scan 200,000 files in 20,000 folders", a, "find -printf | sort", b, a / b);
    std::printf("%-44s %10lld files  peak %lld bytes a file (target about 300)\n",
        "files kept after exclusions", scannedFiles,
        scannedFiles ? peakKb * 1024 / (topFolders * (subFolders + 1) * filesPerFolder) : 0);
    return 0;
}
