// The panel while runs go on: 100 jobs, 10 of them with active runs (as many transferring as the
// coordinator allows, the others waiting for a slot) through a stand-in rsync that reports its progress 20
// times a second (the coordinator passes figures on about 10 times a second), with the real panel on
// screen. Measured: how busy the main thread is over a few seconds of wall time, beside a plain widget tree
// of as many cards whose labels get the same number of updates, 10 times a second. Prints both, their
// ratio, and whether the panel stays under 20 % of the main thread.

#include "coordination/AppState.h"
#include "coordination/BackupCoordinator.h"
#include "google/SecretBackend.h"
#include "model/ConfigurationStore.h"
#include "platform/FileManager.h"
#include "platform/SystemLog.h"
#include "platform/UrlOpener.h"
#include "shell/PanelRootView.h"
#include "support/SupportFixture.h"
#include "ui/kit/ViewObjects.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <qcoro/qcorotask.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

using namespace mv;

namespace {

constexpr int jobCount = 100;
constexpr int activeJobs = 10;
constexpr int measuredSeconds = 5;
constexpr int updatesPerSecond = 10;
// What an active card changes at each sample: its fraction text, bar, bytes, speed, time left and file.
constexpr int labelsPerCard = 6;
constexpr double busyGoal = 0.20;

class NoSecrets final : public SecretBackend {
public:
    Lookup lookup(const QString&) override { return {}; }
    bool store(const QString&, const QString&) override { return false; }
    bool remove(const QString&) override { return false; }
};

double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop for `seconds` of wall time and gives the share of it the main thread spent busy.
double busyShare(int seconds)
{
    const double cpuBefore = threadSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return (threadSeconds() - cpuBefore) / (double(wall.nsecsElapsed()) / 1e9);
}

void waitUntil(const std::function<bool()>& condition, const char* what)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 60'000)
            qFatal("timed out waiting for %s", what);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

// An rsync that names a version and otherwise reports progress lines until it is ended.
QString writeStandInRsync(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("rsync"));
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        qFatal("cannot write the stand-in rsync");
    script.write(R"(#!/bin/bash
if [ "$1" = "--version" ]; then echo "rsync  version 3.2.7  protocol version 31"; exit 0; fi
trap 'exit 20' TERM INT
# Waits with a builtin on a pipe nobody writes to: a sleep child a line would be slow to start at a low
# priority on a busy machine.
wait_fifo=$(mktemp -u) && mkfifo "$wait_fifo" && exec 3<>"$wait_fifo" && rm "$wait_fifo"
i=0
while true; do
  i=$((i + 1))
  printf '%12d  %2d%%   12.40MB/s    0:01:%02d (xfr#%d, to-chk=%d/3085)\r' $((i * 65536)) $((i % 100)) $((60 - i % 60)) $i $((3085 - i % 3000))
  if [ $((i % 20)) = 0 ]; then echo "XFER Pictures/IMG_$i.heic"; fi
  read -t 0.05 -u 3
done
)");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    return path;
}

struct PanelFigures {
    double busy = 0;
    int samples = 0;
};

PanelFigures measurePanel(const QString& support)
{
    ConfigurationStore store(support);
    AppConfiguration config = store.config();
    config.settings.maxConcurrentJobs = activeJobs;
    config.settings.rsyncPath = writeStandInRsync(support);
    store.setConfig(config);
    for (int j = 0; j < activeJobs; ++j) {
        QDir(support).mkpath(QStringLiteral("source-%1").arg(j));
        QFile file(QDir(support).filePath(QStringLiteral("source-%1/file.txt").arg(j)));
        if (!file.open(QIODevice::WriteOnly) || file.write("content") != 7)
            qFatal("cannot write a source file");
    }
    QDir(support).mkpath(QStringLiteral("disk-0"));

    NoSecrets secrets;
    XdgOpenUrlOpener opener;
    DesktopFileManager fileManager(QDBusConnection::sessionBus());
    AppState state(store,
        AppEnvironment { Clock::system(), QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
            secrets, opener, fileManager, SystemLog::system(), GoogleEndpoints::google() });
    state.start();
    ViewObjects views(state.viewSources());
    PanelRootView panel(views.context());
    panel.show();

    for (int j = 0; j < activeJobs; ++j)
        QCoro::waitFor(state.jobActions().runJob(store.config().jobs.at(j)));
    BackupCoordinator& coordinator = state.coordinator();
    waitUntil(
        [&] {
            const QList<ActiveRun> runs = coordinator.activeRuns();
            const auto transferring = std::count_if(runs.begin(), runs.end(), [](const ActiveRun& run) {
                return run.progress.phase == RunPhase::running && run.progress.fraction.has_value();
            });
            return runs.size() == activeJobs && transferring == coordinator.activeCount();
        },
        "ten active runs, the started ones with figures");
    std::printf("  active runs %d, transferring %d\n", activeJobs, coordinator.activeCount());

    int samples = 0;
    QObject::connect(&coordinator, &BackupCoordinator::runChanged, &panel, [&samples] { ++samples; });
    const double busy = busyShare(measuredSeconds);
    std::printf(
        "  samples taken by the panel: %d (%.1f a second)\n", samples, double(samples) / measuredSeconds);

    QCoro::waitFor(coordinator.shutdown());
    return { busy, samples };
}

// `samples` card updates spread over the measured time, 10 ticks a second.
double measurePlainTree(int samples)
{
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    QList<QLabel*> labels;
    for (int card = 0; card < activeJobs; ++card) {
        auto* row = new QHBoxLayout;
        for (int i = 0; i < labelsPerCard; ++i) {
            labels << new QLabel(QStringLiteral("—"));
            row->addWidget(labels.last());
        }
        column->addLayout(row);
    }
    window.resize(452, 700);
    window.show();

    const int ticks = measuredSeconds * updatesPerSecond;
    const int cardsPerTick = std::max(1, int(std::lround(double(samples) / ticks)));
    int card = 0;
    int tick = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &window, [&] {
        ++tick;
        for (int n = 0; n < cardsPerTick; ++n, card = (card + 1) % activeJobs) {
            for (int i = 0; i < labelsPerCard; ++i)
                labels[card * labelsPerCard + i]->setText(QLocale().toString(tick * 65536 + i));
        }
    });
    timer.start(1000 / updatesPerSecond);
    return busyShare(measuredSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir support;
    qputenv("MARROWVALE_SUPPORT_DIR", QFile::encodeName(support.path()));
    bench::prepareSupportFolder(support.path(), jobCount, 1, 1000);

    std::printf("%d jobs, %d active runs, %d s measured\n", jobCount, activeJobs, measuredSeconds);
    const PanelFigures panel = measurePanel(support.path());
    const double plain = measurePlainTree(panel.samples);
    std::printf("  panel, main thread busy                %6.2f %%  %s\n", panel.busy * 100,
        panel.busy < busyGoal ? "under 20 %" : "OVER 20 %");
    std::printf("  plain widget tree, same label updates  %6.2f %%  ratio %.2f\n", plain * 100,
        plain > 0 ? panel.busy / plain : 0.0);
    return 0;
}
