// The run history's main-thread calls against the sqlite3 shell running the same SQL on the same file, at
// 100,000 and 1,000,000 rows. Prints both times per call, their ratio, and whether the program's slowest
// call stayed under 50 ms.

#include "model/HistoryRepository.h"
#include "model/HistorySql.h"
#include "platform/Clock.h"
#include "support/HistoryFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <sqlite3.h>

using namespace mv;

namespace {

constexpr double mainThreadBudgetMs = 50.0;
constexpr int spanDays = 100; // rows start evenly over this many days

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

struct Timing {
    double meanMs = 0;
    double maxMs = 0;
};

Timing timeCalls(int repeats, const std::function<void()>& call)
{
    Timing timing;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timing.meanMs += ms / repeats;
        timing.maxMs = std::max(timing.maxMs, ms);
    }
    return timing;
}

// Wall time of one sqlite3 shell process reading `script`, in ms. With `timerLines`, the sum of the shell's
// own ".timer" figures instead.
double runShell(const QString& database, const QString& script, bool timerLines = false)
{
    QTemporaryDir dir;
    const QString scriptPath = dir.filePath("script.sql");
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0)
        qFatal("cannot write the shell script");
    file.close();
    QProcess shell;
    shell.setStandardInputFile(scriptPath);
    QElapsedTimer timer;
    timer.start();
    shell.start("sqlite3", { "-batch", database });
    if (!shell.waitForFinished(600'000) || shell.exitCode() != 0)
        qFatal("sqlite3 failed: %s", shell.readAllStandardError().constData());
    const double wall = double(timer.nsecsElapsed()) / 1e6;
    if (!timerLines)
        return wall;
    double total = 0;
    static const QRegularExpression runTime("Run Time: real ([0-9.]+)");
    for (auto it = runTime.globalMatch(QString::fromUtf8(shell.readAllStandardOutput())); it.hasNext();)
        total += it.next().captured(1).toDouble() * 1000.0;
    return total;
}

// The shell's time for one statement: a process running it `repeats` times less one running it never.
double shellPerStatement(const QString& database, const QString& setup, const QString& statement, int repeats)
{
    QString script = "PRAGMA synchronous=NORMAL;\n" + setup;
    const QString empty = script;
    for (int i = 0; i < repeats; ++i)
        script += statement + ";\n";
    return (runShell(database, script) - runShell(database, empty)) / repeats;
}

// `ours` is the mean call and the slowest call of one round.
void report(const char* name, const Timing& ours, double shellMs, bool mainThreadCheck)
{
    std::printf("  %-34s program %9.3f ms (max %8.3f)  sqlite3 %9.3f ms  ratio %5.2f%s\n", name, ours.meanMs,
        ours.maxMs, shellMs, ours.meanMs / shellMs,
        mainThreadCheck ? (ours.maxMs < mainThreadBudgetMs ? "  under 50 ms" : "  OVER 50 ms") : "");
    std::fflush(stdout);
}

int repeatsFor(double msPerCall)
{
    return std::clamp(int(300.0 / std::max(msPerCall, 0.001)), 5, 2000);
}

void measureCalls(HistoryRepository& history, const QString& path, bool mainThreadCheck)
{
    BackupRunRecord running;
    running.id = running.jobID = running.destinationID = QUuid::createUuid();
    running.jobName = "Photos";
    running.sourcePath = "/home/ana/Photos";
    running.destinationName = "Backup Disk";
    running.destinationPath = "/media/ana/Backup Disk/Photos";
    running.startedAt = benchNow;
    BackupRunRecord ended = running;
    ended.endedAt = benchNow.addSecs(60);
    ended.result = RunResult::success;
    ended.logPath = "/home/ana/.local/share/Marrowvale/Logs/Photos.log";

    struct Call {
        const char* name;
        std::function<void()> call;
        QString sql;
        QString shellSetup;
    };
    const Call calls[] = {
        { "stats()", [&] { history.stats(); }, inlined(HistorySql::stats()), ".output /dev/null\n" },
        { "fetch 120, no filters", [&] { history.fetch(120, 0); },
            inlined(HistorySql::fetch(120, 0, {}, {}, {})), ".output /dev/null\n" },
        { "fetch 500, search \"permission\"", [&] { history.fetch(500, 0, "permission"); },
            inlined(HistorySql::fetch(500, 0, "permission", {}, {})), ".output /dev/null\n" },
        { "fetch 500, search matching nothing", [&] { history.fetch(500, 0, "zebra"); },
            inlined(HistorySql::fetch(500, 0, "zebra", {}, {})), ".output /dev/null\n" },
        { "CSV export, 10,000 rows", [&] { history.exportCSV(); },
            inlined(HistorySql::fetch(10'000, 0, {}, {}, {})),
            ".mode csv\n.headers on\n.output /dev/null\n" },
        { "begin + finish of one run",
            [&] {
                history.begin(running);
                history.finish(ended);
            },
            inlined(HistorySql::begin(running)) + ";\n" + inlined(HistorySql::finish(ended)), {} },
    };
    // Five rounds, the program and the shell in turn, so that load from elsewhere falls on both; the best
    // round of each counts.
    for (const Call& call : calls) {
        const int repeats = repeatsFor(timeCalls(3, call.call).meanMs);
        Timing ours { 1e300, 0 };
        double shell = 1e300;
        for (int round = 0; round < 5; ++round) {
            ours = std::min(
                ours, timeCalls(repeats, call.call), [](auto& a, auto& b) { return a.meanMs < b.meanMs; });
            shell = std::min(shell, shellPerStatement(path, call.shellSetup, call.sql, repeats));
        }
        report(call.name, ours, shell, mainThreadCheck);
    }
}

// Deletion by age on fresh copies of the file, the better of three tries each.
void measureDeletion(
    const char* name, int days, const QString& path, const QString& scratch, bool mainThreadCheck)
{
    const double cutoff = double(benchNow.toMSecsSinceEpoch()) / 1000.0 - days * 86'400.0;
    const QString sql = inlined(HistorySql::deleteStartedBefore(cutoff));
    Timing ours;
    double shell = 1e300;
    FixedClock clock(benchNow);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString copy = scratch + "/copy.sqlite";
        QFile::remove(copy);
        QFile::copy(path, copy);
        {
            HistoryRepository history(copy, clock);
            const Timing once = timeCalls(1, [&] { history.deleteOlderThan(days); });
            if (attempt == 0 || once.meanMs < ours.meanMs)
                ours = once;
        }
        QFile::remove(copy);
        QFile::copy(path, copy);
        shell
            = std::min(shell, runShell(copy, "PRAGMA synchronous=NORMAL;\n.timer on\n" + sql + ";\n", true));
    }
    QFile::remove(scratch + "/copy.sqlite");
    report(name, ours, shell, mainThreadCheck);
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
    std::printf("%d rows (%.0f MB)\n", rows, double(QFileInfo(path).size()) / 1e6);

    // The verdict is given at every size: the views call these on the main thread whatever the history holds.
    const bool mainThreadCheck = true;
    Timing opening;
    std::unique_ptr<HistoryRepository> history;
    opening = timeCalls(1, [&] { history = std::make_unique<HistoryRepository>(path, clock); });
    std::printf("  %-34s program %9.3f ms%s\n", "opening (with orphan repair)", opening.meanMs,
        mainThreadCheck ? (opening.maxMs < mainThreadBudgetMs ? "  under 50 ms" : "  OVER 50 ms") : "");
    measureCalls(*history, path, mainThreadCheck);
    history.reset();
    measureDeletion("deleteOlderThan(90): a tenth", 90, path, scratch.path(), mainThreadCheck);
    measureDeletion("deleteOlderThan(99): one day", 99, path, scratch.path(), mainThreadCheck);
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
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            return 1;
    }
    return 0;
}
