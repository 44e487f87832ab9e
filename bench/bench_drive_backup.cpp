// First backups to Google Drive as a user meets them, against curl sending the same requests to the same
// fake Google server (in --sink mode, keeping only length and MD5). The program's side is the whole road
// from a run request to the history row: the state hub (AppState) with its coordinator, the panel's view
// models attached (active runs and jobs), planning (sign-in, folders, quota, the source scan), the Drive
// listing, the uploads with their resume records, and the run log, with the support folder and the source
// on a real disk (/var/tmp, not a tmpfs). curl only starts one session a file and sends the bytes (all
// starts in one process, all PUTs in a second). Two sets: 1,000 files of 100 KB and one of 256 MB, and
// 10,000 files of 10 KB. Prints min/median/max of both over a few rounds, the ratio of the medians, and the
// CPU time of the program's process against that of the curl chain.

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "support/CurlDrive.h"
#include "support/GoogleFixture.h"
#include "ui/models/panel/JobsModel.h"
#include "ui/models/shared/ActiveRunsModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/vfs.h>

#include <linux/magic.h>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace mv::bench;

namespace {

constexpr qint64 chunk = 1 << 20; // the program's upload piece
constexpr int rounds = 3;

struct FileSet {
    const char* name;
    int count;
    qint64 size;
    qint64 bigSize; // one more file of this size, all "x"; 0 for none
};

const FileSet fileSets[] = {
    { "1,000 files of 100 KB and one of 256 MB", 1'000, 100'000, qint64(256) << 20 },
    { "10,000 files of 10 KB", 10'000, 10'000, 0 },
};

// Wall-clock and CPU seconds of one side of one round.
struct Cost {
    double seconds = 0;
    double cpu = 0;
};

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

QString controlText(const QUrl& base, const QString& path, const QString& key)
{
    return QJsonDocument::fromJson(control(base, "POST", path, "{}")).object().value(key).toString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void writeSource(const QString& source, const FileSet& set)
{
    QDir().mkpath(source);
    for (int i = 0; i < set.count; ++i)
        writeFile(source + QStringLiteral("/f%1.bin").arg(i), QByteArray(set.size, char('a' + i % 26)));
    if (set.bigSize == 0)
        return;
    QFile big(source + "/big.bin");
    if (!big.open(QIODevice::WriteOnly))
        qFatal("cannot write the big file");
    const QByteArray piece(chunk, 'x');
    for (qint64 written = 0; written < set.bigSize; written += chunk)
        big.write(piece);
}

// The same requests with curl: every session start in one process, then every PUT in a second, the big
// file in the program's 1 MiB pieces. Its CPU is that of the curl processes, which are waited for.
Cost curlRound(const QUrl& base, const QString& source, const QString& scratch, const FileSet& set)
{
    control(base, "POST", "reset");
    const QString token = controlText(base, "oauth/token", "access_token");
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    QStringList starts;
    if (set.bigSize)
        starts << startArguments(base, token, set.bigSize, "big.bin");
    for (int i = 0; i < set.count; ++i)
        starts << startArguments(base, token, set.size, QStringLiteral("f%1.bin").arg(i));
    writeFile(scratch + "/starts.cfg", starts.join("next\n").toUtf8());
    const QStringList sessions
        = QString::fromUtf8(curlConfig(scratch + "/starts.cfg")).split('\n', Qt::SkipEmptyParts);
    if (sessions.size() != starts.size())
        qFatal("curl started %lld sessions", qlonglong(sessions.size()));
    QStringList puts;
    const qsizetype first = set.bigSize ? 1 : 0;
    for (qint64 offset = 0; offset < set.bigSize; offset += chunk)
        puts << putArguments(sessions[0].trimmed(), scratch + "/piece.bin",
            QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + chunk - 1).arg(set.bigSize));
    for (int i = 0; i < set.count; ++i)
        puts << putArguments(sessions[first + i].trimmed(), source + QStringLiteral("/f%1.bin").arg(i),
            QStringLiteral("bytes 0-%1/%2").arg(set.size - 1).arg(set.size));
    writeFile(scratch + "/puts.cfg", puts.join("next\n").toUtf8());
    curlConfig(scratch + "/puts.cfg");
    return { timer.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore };
}

// One first backup as the program makes it: a new support folder, the hub signed in as a previous launch
// would have left it, the panel's models listening, a manual run through the hub's coordinator.
Cost programRound(const QUrl& base, const QString& source, const QString& root, const QString& clientFile,
    const FileSet& set)
{
    control(base, "POST", "reset");
    QTemporaryDir support(root + "/support-XXXXXX");
    qputenv("MARROWVALE_SUPPORT_DIR", QFile::encodeName(support.path()));
    ConfigurationStore store(support.path());
    MemorySecrets secrets;
    NoBrowser browser;
    QuietLog log;
    DesktopFileManager fileManager(QDBusConnection::sessionBus());
    const AppEnvironment environment { Clock::system(), QDBusConnection::sessionBus(),
        QDBusConnection::systemBus(), secrets, browser, fileManager, log, GoogleEndpoints::at(base) };
    AppState state(store, environment);
    QCoro::waitFor(state.googleAuth().importClientFile(clientFile));
    QCoro::waitFor(state.googleCredentials().save(
        controlText(base, "oauth/issue", "refresh_token"), QString(GoogleCredentialStore::refreshToken)));
    QCoro::waitFor(state.googleCredentials().save(
        QStringLiteral("person@example.com"), QString(GoogleCredentialStore::accountEmail)));
    QCoro::waitFor(state.googleAuth().load());
    if (!state.googleAuth().account())
        qFatal("not signed in to the fake Google server");
    ActiveRunsModel activeRuns(state.coordinator());
    JobsModel jobs(state);

    BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
    job.name = QStringLiteral("Bench");
    job.source.path = source;
    BackupDestination destination = BackupDestination::create(job.createdAt);
    destination.name = QStringLiteral("Bench Drive");
    destination.kind = DestinationKind::googleDrive;
    destination.googleFolderName = QStringLiteral("Bench");
    job.destinations = { destination };
    store.addJob(job);

    QEventLoop loop;
    QObject::connect(&state.coordinator(), &BackupCoordinator::runFinished, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    state.coordinator().enqueue(job, destination, RunTrigger::manual, false);
    loop.exec();
    const Cost cost { timer.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpuBefore };

    const BackupRunRecord row = state.history().fetch(1, 0).front();
    const qint64 files = set.count + (set.bigSize ? 1 : 0);
    if (row.result != RunResult::success || row.filesCopied != files)
        qFatal("the run ended %s with %lld files: %s", qPrintable(toString(row.result)),
            qlonglong(row.filesCopied), qPrintable(row.errorSummary.value_or(QString())));
    return cost;
}

struct Spread {
    double min, median, max;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return { values.front(), values[values.size() / 2], values.back() };
}

void printSpread(const char* label, const std::vector<double>& values)
{
    const Spread s = spread(values);
    std::printf("  %-22s %8.3f %8.3f %8.3f\n", label, s.min, s.median, s.max);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // /tmp may be a tmpfs; /var/tmp is on disk on every usual layout.
    QTemporaryDir dir(QStringLiteral("/var/tmp/marrowvale-bench-XXXXXX"));
    if (!dir.isValid())
        qFatal("cannot make a folder in /var/tmp");
    struct statfs facts { };
    if (statfs(QFile::encodeName(dir.path()).constData(), &facts) == 0 && facts.f_type == TMPFS_MAGIC)
        std::printf("note: %s is a tmpfs, not a disk\n", qPrintable(dir.path()));
    QProcess server;
    const QUrl base = startFakeGoogle(server, dir.path(), { "--sink" });
    writeFile(dir.filePath("piece.bin"), QByteArray(chunk, 'x'));
    const QJsonObject client { { "installed",
        QJsonObject {
            { "client_id", "cid-123.apps.googleusercontent.com" }, { "client_secret", "s3cr+t/=&x" } } } };
    writeFile(dir.filePath("client.json"), QJsonDocument(client).toJson());

    for (const FileSet& set : fileSets) {
        const QString source = dir.filePath(QStringLiteral("source-%1").arg(set.count));
        writeSource(source, set);
        std::vector<double> curlTimes, curlCpu, programTimes, programCpu;
        for (int round = 0; round < rounds; ++round) {
            const Cost theirs = curlRound(base, source, dir.path(), set);
            const Cost ours = programRound(base, source, dir.path(), dir.filePath("client.json"), set);
            curlTimes.push_back(theirs.seconds);
            curlCpu.push_back(theirs.cpu);
            programTimes.push_back(ours.seconds);
            programCpu.push_back(ours.cpu);
        }
        std::printf("first backup to Drive, %s (%d rounds; seconds min, median, max)\n", set.name, rounds);
        printSpread("curl chain, time", curlTimes);
        printSpread("program, time", programTimes);
        printSpread("curl chain, CPU", curlCpu);
        printSpread("program, CPU", programCpu);
        std::printf(
            "  time ratio (program/curl) %5.2f\n", spread(programTimes).median / spread(curlTimes).median);
        std::printf(
            "  CPU ratio (program/curl)  %5.2f\n", spread(programCpu).median / spread(curlCpu).median);
        QDir(source).removeRecursively();
    }
    const QJsonArray violations = QJsonDocument::fromJson(control(base, "GET", "violations")).array();
    std::printf("fake server violations %lld\n", qlonglong(violations.size()));
    server.terminate();
    server.waitForFinished(10000);
    return 0;
}
