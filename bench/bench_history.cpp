// The run history as a user meets it, against the sqlite3 shell running the same SQL on the same file, at
// 100,000 and 1,000,000 rows spread over two years:
// - a launch: the history opens (checking the whole file), the lists reload, rows older than 90 days are
//   deleted and a run begins and ends, all at once. The figures are the longest turn of the main thread
//   (the goal: none over 16 ms), how long the run's rows took to be written, the first answer after
//   opening and the deletion; the baselines are the shell's one DELETE (what the main thread once waited
//   for), its INSERT and UPDATE on an idle file, and its integrity check followed by the same reads;
// - the time to each answer of the views' reads, which run on the history's own thread.
// Each figure is given as min / median / max of five tries, the program's and the shell's in turn.

#include "model/HistoryRepository.h"
#include "model/HistorySql.h"
#include "platform/Clock.h"
#include "support/HistoryFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <time.h>

using namespace mv;

namespace {

constexpr double frameBudgetMs = 16.0;
constexpr int spanDays = 730; // rows start evenly over this many days
constexpr int retentionDays = 90;
constexpr int tries = 5;

// The repository's statement with its parameters written in as literals, for the shell.
QString inlined(const SqlQuery& query)
{
    QString sql;
    std::size_t next = 0;
    for (const char c : query.sql) {
        if (c != '?') {
            sql += QLatin1Char(c);
            continue;
        }
        const SqlValue& value = query.parameters.at(next++);
        if (const auto* text = std::get_if<QString>(&value))
            sql += u'\'' + QString(*text).replace("'", "''") + u'\'';
        else if (const auto* integer = std::get_if<qint64>(&value))
            sql += QString::number(*integer);
        else if (const auto* real = std::get_if<double>(&value))
            sql += QString::number(*real, 'g', 17);
        else
            sql += "NULL";
    }
    return sql;
}

// A clock that stands still, so the program and the shell delete with the same cutoff.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now)
        : m_now(std::move(now))
    {
    }
    QDateTime now() const override { return m_now; }
    std::shared_ptr<ClockAlarm> after(std::chrono::milliseconds delay, std::function<void()> fire) override
    {
        return Clock::system().after(delay, std::move(fire));
    }

private:
    QDateTime m_now;
};

const QDateTime benchNow(QDate(2026, 12, 9), QTime(8, 21), Qt::UTC);

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double timeMs(const std::function<void()>& call)
{
    QElapsedTimer timer;
    timer.start();
    call();
    return elapsedMs(timer);
}

// The shell's own time for `statements`, run once after `setup`: the sum of its ".timer" figures, so its
// start and its reading of the schema are not counted.
double shellTimed(const QString& database, const QString& setup, const QString& statements)
{
    QTemporaryDir dir;
    const QString scriptPath = dir.filePath("script.sql");
    QFile file(scriptPath);
    const QString script = "PRAGMA synchronous=NORMAL;\n" + setup + ".timer on\n" + statements;
    if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0)
        qFatal("cannot write the shell script");
    file.close();
    QProcess shell;
    shell.setStandardInputFile(scriptPath);
    shell.start("sqlite3", { "-batch", database });
    if (!shell.waitForFinished(600'000) || shell.exitCode() != 0)
        qFatal("sqlite3 failed: %s", shell.readAllStandardError().constData());
    double total = 0;
    static const QRegularExpression runTime("Run Time: real ([0-9.]+)");
    for (auto it = runTime.globalMatch(QString::fromUtf8(shell.readAllStandardOutput())); it.hasNext();)
        total += it.next().captured(1).toDouble() * 1000.0;
    return total;
}

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return { values.front(), values[values.size() / 2], values.back() };
}

void report(const char* name, const std::vector<double>& ours, const char* baselineName,
    const std::vector<double>& baseline, const char* verdict = "")
{
    const Spread a = spread(ours);
    std::printf("  %-44s program %9.2f / %9.2f / %9.2f ms", name, a.min, a.median, a.max);
    if (!baseline.empty()) {
        const Spread b = spread(baseline);
        std::printf("   %-24s %9.2f / %9.2f / %9.2f ms", baselineName, b.min, b.median, b.max);
    }
    std::printf("%s\n", verdict);
    std::fflush(stdout);
}

BackupRunRecord runningRecord()
{
    BackupRunRecord running;
    running.id = running.jobID = running.destinationID = QUuid::createUuid();
    running.jobName = "Photos";
    running.sourcePath = "/home/ana/Photos";
    running.destinationName = "Backup Disk";
    running.destinationPath = "/media/ana/Backup Disk/Photos";
    running.trigger = RunTrigger::schedule;
    running.startedAt = benchNow;
    return running;
}

BackupRunRecord ended(BackupRunRecord record)
{
    record.endedAt = benchNow.addSecs(1);
    record.result = RunResult::success;
    record.bytesTransferred = 483'000;
    record.logPath = "/home/ana/.local/share/Marrowvale/Logs/Photos.log";
    return record;
}

double cutoffSeconds()
{
    return double(benchNow.toMSecsSinceEpoch()) / 1000.0 - retentionDays * 86'400.0;
}

QString freshCopy(const QString& path, const QString& scratch)
{
    const QString copy = scratch + "/copy.sqlite";
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        qFatal("cannot copy the history");
    return copy;
}

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest turn of the main thread's event loop while it lives: the gaps between the ticks of a 1 ms
// timer, less the 1 ms, and the most time the main thread itself ran within one gap (which a loaded
// machine's other work does not lengthen).
class TurnMeter {
public:
    TurnMeter()
    {
        m_since.start();
        m_lastTick = m_since.nsecsElapsed();
        m_lastCpuMs = threadCpuMs();
        m_ticker.setTimerType(Qt::PreciseTimer);
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            const qint64 tick = m_since.nsecsElapsed();
            const double cpu = threadCpuMs();
            m_longestMs = std::max(m_longestMs, double(tick - m_lastTick) / 1e6 - 1.0);
            m_longestCpuMs = std::max(m_longestCpuMs, cpu - m_lastCpuMs);
            m_lastTick = tick;
            m_lastCpuMs = cpu;
        });
        m_ticker.start();
    }
    double longestMs() const { return m_longestMs; }
    double longestCpuMs() const { return m_longestCpuMs; }

private:
    QElapsedTimer m_since;
    qint64 m_lastTick = 0;
    double m_lastCpuMs = 0;
    double m_longestMs = 0;
    double m_longestCpuMs = 0;
    QTimer m_ticker;
};

// The same loop with nothing to do for `ms`: what this machine's load alone makes of a turn.
double idleLongestTurn(double ms)
{
    QEventLoop loop;
    const TurnMeter meter;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec();
    return meter.longestMs();
}

struct Launch {
    double longestTurnMs = 0;
    double longestTurnCpuMs = 0;
    double idleTurnMs = 0; // the idle loop's, for as long as the launch took
    double beginWrittenMs = 0; // from begin() to its row in the file
    double finishWrittenMs = 0;
    double firstAnswerMs = 0; // from opening to the first reload's answer
    double deletionMs = 0; // from asking to the last row deleted
};

// What a launch asks of the history, as the program asks it, while a 1 ms timer on the main thread shows
// how long each turn of its event loop lasts.
Launch launchOnce(const QString& path)
{
    FixedClock clock(benchNow);
    Launch launch;
    QEventLoop loop;
    QElapsedTimer since;
    since.start();

    std::unique_ptr<HistoryRepository> history;
    const BackupRunRecord running = runningRecord();
    double opened = 0;
    double begun = 0;
    double finished = 0;
    double deleting = 0;
    int awaited = 4; // the first reload, the deletion, the run's end and the reload after it
    const auto settle = [&] {
        if (--awaited == 0)
            loop.quit();
    };
    const auto reload = [&](std::function<void()> answered) {
        QFuture<HistoryStats> stats = history->statsAsync();
        history->fetchAsync(120, 0).then(
            &loop, [stats, answered](std::vector<BackupRunRecord>) { answered(); });
    };
    QTimer::singleShot(0, &loop, [&] {
        opened = elapsedMs(since);
        history = std::make_unique<HistoryRepository>(path, clock);
        QObject::connect(history.get(), &HistoryRepository::rowAdded, &loop, [&] {
            launch.beginWrittenMs = elapsedMs(since) - begun;
            finished = elapsedMs(since);
            history->finish(ended(running));
        });
        QObject::connect(history.get(), &HistoryRepository::rowChanged, &loop, [&] {
            launch.finishWrittenMs = elapsedMs(since) - finished;
            settle();
            reload(settle);
        });
        QObject::connect(history.get(), &HistoryRepository::rowsRemoved, &loop, [&] {
            launch.deletionMs = elapsedMs(since) - deleting;
            settle();
        });
        reload([&] {
            launch.firstAnswerMs = elapsedMs(since) - opened;
            settle();
        });
        deleting = elapsedMs(since);
        history->deleteOlderThan(retentionDays);
        begun = elapsedMs(since);
        history->begin(running);
    });
    {
        const TurnMeter meter;
        loop.exec();
        launch.longestTurnMs = meter.longestMs();
        launch.longestTurnCpuMs = meter.longestCpuMs();
    }
    const double took = elapsedMs(since);
    history.reset();
    launch.idleTurnMs = idleLongestTurn(took);
    return launch;
}

void measureLaunch(const QString& path, const QString& scratch)
{
    const BackupRunRecord running = runningRecord();
    const QString reads
        = inlined(HistorySql::stats()) + ";\n" + inlined(HistorySql::fetch(120, 0, {}, {}, {})) + ";\n";
    const QString runRows
        = inlined(HistorySql::begin(running)) + ";\n" + inlined(HistorySql::finish(ended(running))) + ";\n";
    const QString deletion
        = QString("DELETE FROM runs WHERE started_at < %1;\n").arg(cutoffSeconds(), 0, 'g', 17);
    std::vector<Launch> launches;
    std::vector<double> shellDelete;
    std::vector<double> shellRun;
    std::vector<double> shellOpen;
    for (int attempt = 0; attempt < tries; ++attempt) {
        launches.push_back(launchOnce(freshCopy(path, scratch)));
        shellDelete.push_back(shellTimed(freshCopy(path, scratch), {}, deletion));
        shellRun.push_back(shellTimed(freshCopy(path, scratch), {}, runRows));
        shellOpen.push_back(
            shellTimed(freshCopy(path, scratch), ".output /dev/null\n", "PRAGMA integrity_check;\n" + reads));
    }
    QFile::remove(scratch + "/copy.sqlite");
    const auto figure = [&](double Launch::*field) {
        std::vector<double> values;
        for (const Launch& launch : launches)
            values.push_back(launch.*field);
        return values;
    };
    const std::vector<double> turns = figure(&Launch::longestTurnMs);
    const std::vector<double> cpu = figure(&Launch::longestTurnCpuMs);
    const bool met = spread(turns).max <= frameBudgetMs;
    const bool cpuMet = spread(cpu).max <= frameBudgetMs;
    std::printf(
        "  launch: open, reload, delete older than %d days, one run (min / median / max)\n", retentionDays);
    report("longest main-thread turn", turns, "sqlite3 one DELETE", shellDelete,
        met ? "  goal met: none over 16 ms" : "  GOAL MISSED: a turn over 16 ms");
    report("  the same loop idle, as long", figure(&Launch::idleTurnMs), "", {});
    report("  main thread's own run time in a turn", cpu, "", {},
        cpuMet ? "  goal met: none over 16 ms" : "  GOAL MISSED: over 16 ms");
    report("run's begin, until written (after the check)", figure(&Launch::beginWrittenMs),
        "sqlite3 INSERT+UPDATE", shellRun);
    report(
        "run's finish, until written", figure(&Launch::finishWrittenMs), "sqlite3 INSERT+UPDATE", shellRun);
    report("first answer after opening", figure(&Launch::firstAnswerMs), "sqlite3 check + reads", shellOpen);
    report("deletion by age, in short transactions", figure(&Launch::deletionMs), "sqlite3 one DELETE",
        shellDelete);
}

// The time to each answer of the views' reads, waited for here as a view waits for its signal.
void measureReads(HistoryRepository& history, const QString& path)
{
    struct Read {
        const char* name;
        std::function<void()> call;
        QString sql;
        QString shellSetup;
    };
    const Read reads[] = {
        { "stats()", [&] { history.stats(); }, inlined(HistorySql::stats()), ".output /dev/null\n" },
        { "fetch 120, no filters", [&] { history.fetch(120, 0); },
            inlined(HistorySql::fetch(120, 0, {}, {}, {})), ".output /dev/null\n" },
        { "fetch 5 failures (Support)", [&] { history.fetch(5, 0, {}, RunResult::failed); },
            inlined(HistorySql::fetch(5, 0, {}, RunResult::failed, {})), ".output /dev/null\n" },
        { "fetch 500, search \"permission\"", [&] { history.fetch(500, 0, "permission"); },
            inlined(HistorySql::fetch(500, 0, "permission", {}, {})), ".output /dev/null\n" },
        { "CSV export, 10,000 rows", [&] { history.exportCSV(); },
            inlined(HistorySql::fetch(10'000, 0, {}, {}, {})),
            ".mode csv\n.headers on\n.output /dev/null\n" },
    };
    std::printf("  reads, time to the answer (min / median / max)\n");
    for (const Read& read : reads) {
        std::vector<double> ours;
        std::vector<double> shell;
        for (int attempt = 0; attempt < tries; ++attempt) {
            ours.push_back(timeMs(read.call));
            shell.push_back(shellTimed(path, read.shellSetup, read.sql + ";\n"));
        }
        report(read.name, ours, "sqlite3", shell);
    }
}

// One size in this process.
int measureSize(int rows)
{
    QTemporaryDir scratch;
    qputenv("MARROWVALE_SUPPORT_DIR", scratch.path().toUtf8());
    FixedClock clock(benchNow);
    const QString path = scratch.filePath(QString("history-%1.sqlite").arg(rows));
    {
        HistoryRepository created(path, clock);
    }
    bench::populateHistory(path, rows, benchNow, spanDays);
    std::printf("%d rows over %d days (%.0f MB)\n", rows, spanDays, double(QFileInfo(path).size()) / 1e6);
    measureLaunch(path, scratch.path());
    {
        HistoryRepository history(path, clock);
        history.stats(); // past the check at opening
        measureReads(history, path);
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

// Each size runs in a process of its own ("--rows N"), so the second never inherits the first one's
// page cache, heap or SQLite state.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--rows")); at > 0 && at + 1 < arguments.size())
        return measureSize(arguments.at(at + 1).toInt());
    for (const int rows : { 100'000, 1'000'000 }) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), { QStringLiteral("--rows"), QString::number(rows) });
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit
            || child.exitCode() != 0) {
            std::fprintf(stderr, "bench_history: the run with %d rows ended early\n", rows);
            return 1;
        }
    }
    return 0;
}
