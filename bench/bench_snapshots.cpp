// Pruning one versioned snapshot of 100,000 hard-linked files against `rm -rf` of an identical tree, and a
// mirror preview against `rsync --dry-run` with the same arguments. Each pair runs in the same process,
// alternating which goes first; the medians of several rounds are printed with their ratio.

#include "engine/MirrorPreviewService.h"
#include "engine/PlanBuilder.h"
#include "engine/VersionedStore.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <qcoro/qcorotask.h>

using namespace mv;

namespace {

constexpr int rounds = 3;
constexpr int snapshotFiles = 100'000;
constexpr int filesPerFolder = 500;
constexpr int mirrorFiles = 20'000;
constexpr int mirrorDeletions = 5'000;

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        qFatal("%s %s failed", qPrintable(program), qPrintable(arguments.join(u' ')));
}

void writeFiles(const QString& root, int count, const QString& prefix)
{
    for (int i = 0; i < count; ++i) {
        const QString folder = root + QStringLiteral("/d%1").arg(i / filesPerFolder, 4, 10, QLatin1Char('0'));
        if (i % filesPerFolder == 0)
            QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/%1%2.txt").arg(prefix).arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
}

double milliseconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void report(const char* what, const char* baselineName, const std::vector<double>& ours,
    const std::vector<double>& baseline)
{
    const double a = median(ours);
    const double b = median(baseline);
    std::printf(
        "%-44s %10.1f ms   %-26s %10.1f ms   ratio %.2f (target <= 1.20)\n", what, a, baselineName, b, a / b);
}

// Two snapshots of the same files: the old one is all hard links to the newer one, as --link-dest makes it.
void prunePair(const QString& base, std::vector<double>& ours, std::vector<double>& baseline, bool oursFirst)
{
    const QString destination = base + QStringLiteral("/destination");
    const QString source = destination + QStringLiteral("/2026-12-10_090000");
    const QString old = destination + QStringLiteral("/2026-12-09_090000");
    const QString copy = base + QStringLiteral("/copy");
    run(QStringLiteral("/bin/cp"), { QStringLiteral("-al"), source, old });
    run(QStringLiteral("/bin/cp"), { QStringLiteral("-al"), source, copy });
    const auto prune = [&] {
        if (VersionedStore::prune(destination, 1, source).value_or(QStringList {}) != QStringList { old })
            qFatal("prune did not remove the old snapshot");
    };
    const auto remove = [&] { run(QStringLiteral("/bin/rm"), { QStringLiteral("-rf"), copy }); };
    if (oursFirst) {
        ours.push_back(milliseconds(prune));
        baseline.push_back(milliseconds(remove));
    } else {
        baseline.push_back(milliseconds(remove));
        ours.push_back(milliseconds(prune));
    }
}

void benchPrune()
{
    QTemporaryDir base;
    const QString destination = base.filePath(QStringLiteral("destination"));
    writeFiles(destination + QStringLiteral("/2026-12-10_090000"), snapshotFiles, QStringLiteral("f"));
    QFile marker(destination + u'/' + VersionedStore::markerFileName);
    if (!marker.open(QIODevice::WriteOnly) || marker.write(VersionedStore::markerContent) < 0)
        qFatal("cannot write the marker");
    marker.close();
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < rounds; ++round)
        prunePair(base.path(), ours, baseline, round % 2 == 0);
    report("prune one snapshot of 100,000 hard links", "rm -rf of the same tree", ours, baseline);
}

void benchMirrorPreview()
{
    QTemporaryDir base;
    QTemporaryDir support;
    qputenv("MARROWVALE_SUPPORT_DIR", support.path().toUtf8());
    const QString source = base.filePath(QStringLiteral("source"));
    const QString target = base.filePath(QStringLiteral("mirror"));
    writeFiles(source, mirrorFiles, QStringLiteral("f"));
    run(QStringLiteral("/bin/cp"), { QStringLiteral("-a"), source, target });
    writeFiles(target, mirrorDeletions, QStringLiteral("gone"));

    const QDateTime now = QDateTime::currentDateTimeUtc();
    BackupJob job = BackupJob::create(now);
    job.mode = BackupMode::mirror;
    job.source.path = source;
    BackupDestination destination = BackupDestination::create(now);
    destination.path = target;
    const RunPlan plan = PlanBuilder::build(job, destination, AppSettings {}, now);
    QStringList dryRun = plan.arguments;
    dryRun.insert(dryRun.size() - 2, QStringLiteral("--itemize-changes"));
    dryRun.insert(dryRun.size() - 3, QStringLiteral("--dry-run"));

    const auto preview = [&] {
        const auto result = QCoro::waitFor(MirrorPreviewService::preview(plan));
        if (!result || result->totalDeletions != mirrorDeletions)
            qFatal("the preview did not count %d deletions", mirrorDeletions);
    };
    const auto raw = [&] { run(plan.executable, dryRun); };
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            ours.push_back(milliseconds(preview));
            baseline.push_back(milliseconds(raw));
        } else {
            baseline.push_back(milliseconds(raw));
            ours.push_back(milliseconds(preview));
        }
    }
    report("mirror preview, 20,000 files, 5,000 deletions", "rsync --dry-run, same args", ours, baseline);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchPrune();
    benchMirrorPreview();
    return 0;
}
