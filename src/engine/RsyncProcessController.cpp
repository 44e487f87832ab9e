#include "engine/RsyncProcessController.h"

#include "engine/LineSplitter.h"
#include "engine/PlanBuilder.h"
#include "engine/RsyncOutputParser.h"
#include "engine/RsyncRunError.h"
#include "engine/RunLogSink.h"
#include "engine/RunningTransfers.h"
#include "platform/Executables.h"
#include "platform/Subprocess.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

#include <csignal>
#include <expected>
#include <mutex>

namespace mv {

namespace {

using namespace std::chrono_literals;

constexpr auto readerWait = 10s; // for the pipes to end once the child has exited
constexpr int backgroundNiceness = 10;
// rsync prints a line per file; reading them in batches spares both sides a wake-up per line, and a
// progress line still reaches the caller within this delay.
constexpr auto outputBatching = 20ms;

// Each run blocks one thread for its whole length, so runs get a pool of their own and never starve the
// short tasks of the global pool.
QThreadPool& runPool()
{
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(64);
        return created;
    }();
    return *pool;
}

// The log, the parser and the splitters of one run. The two pipe readers hand their lines in here; the
// line lock keeps each line's log write and parse together.
class RunOutput {
public:
    RunOutput(const QString& logPath, RsyncProcessController::EventHandler onEvent)
        : m_log(logPath, RsyncProcessController::logLimit)
        , m_onEvent(std::move(onEvent))
    {
    }

    void standardOutput(QByteArrayView chunk) { handle(m_stdoutSplitter.append(chunk)); }
    void standardError(QByteArrayView chunk) { handle(m_stderrSplitter.append(chunk)); }

    // After the readers have ended: the unfinished last lines of both pipes.
    void flush()
    {
        for (LineSplitter* splitter : { &m_stdoutSplitter, &m_stderrSplitter }) {
            if (const auto line = splitter->flush())
                handle({ *line });
        }
    }

    void appendToLog(const QString& line)
    {
        std::lock_guard lock(m_lineLock);
        m_log.append(line);
    }

    // Everything below is read once the readers have ended.
    const RsyncOutputParser& parser() const { return m_parser; }
    RunLogSink::Result finishLog() { return m_log.finish(); }

private:
    // A chunk's lines are logged and parsed together: of its progress lines only the last is parsed.
    void handle(const QStringList& lines)
    {
        QList<RsyncEvent> events;
        {
            std::lock_guard lock(m_lineLock);
            for (const QString& line : lines)
                m_log.append(line);
            events = m_parser.consumeLines(lines);
        }
        if (m_onEvent)
            for (const RsyncEvent& event : events)
                m_onEvent(event);
    }

    std::mutex m_lineLock;
    RunLogSink m_log;
    RsyncOutputParser m_parser;
    LineSplitter m_stdoutSplitter;
    LineSplitter m_stderrSplitter;
    RsyncProcessController::EventHandler m_onEvent;
};

} // namespace

struct RsyncProcessController::Shared {
    std::mutex lock; // guards the fields below; held while signalling only at the launch
    std::shared_ptr<Subprocess> process; // the child of the current run
    bool cancelled = false;
    bool paused = false; // the child is stopped, or the first child is to be stopped as it starts
    bool ended = false; // a run has ended: a pause without a child no longer waits for one
    QString recordFolder; // the support folder the children are recorded in; none when empty

    std::expected<RsyncOutcome, RsyncRunError> run(
        const RunPlan& plan, const QString& logPath, EventHandler onEvent, const StartedHandler& onStarted);

    // Under `lock`: the running child, or nothing.
    std::shared_ptr<Subprocess> runningProcessLocked() const
    {
        return process && process->isRunning() ? process : nullptr;
    }
};

std::expected<RsyncOutcome, RsyncRunError> RsyncProcessController::Shared::run(
    const RunPlan& plan, const QString& logPath, EventHandler onEvent, const StartedHandler& onStarted)
{
    if (!PlanBuilder::isExecutableFile(plan.executable))
        return std::unexpected(RsyncRunError::notExecutable(plan.executable));
    QElapsedTimer clock;
    clock.start();

    SubprocessSpec spec;
    spec.executable = plan.executable;
    spec.arguments = plan.arguments;
    spec.environment = plan.environment;
    spec.environment.insert(QStringLiteral("SSH_ASKPASS"), askpassExecutablePath());
    spec.environment.insert(QStringLiteral("SSH_ASKPASS_REQUIRE"), QStringLiteral("force"));
    spec.output = SubprocessOutput::separate;
    spec.niceness = backgroundNiceness;
    spec.readBatching = outputBatching;
    RunOutput output(logPath, std::move(onEvent));
    spec.onStdout = [&output](QByteArrayView chunk) { output.standardOutput(chunk); };
    spec.onStderr = [&output](QByteArrayView chunk) { output.standardError(chunk); };

    RsyncOutcome outcome;
    std::shared_ptr<Subprocess> child;
    QString supportFolder;
    {
        // Launched under the lock, so a cancel or a pause either comes before (a cancelled child never
        // starts, a paused one is stopped before it has done anything) or finds the child stored.
        std::lock_guard guard(lock);
        if (!cancelled) {
            auto started = Subprocess::start(std::move(spec));
            if (!started) {
                output.finishLog();
                return std::unexpected(RsyncRunError::launchFailed(started.error()));
            }
            process = child = std::move(*started);
            if (paused)
                child->signal(SIGSTOP);
        }
        supportFolder = recordFolder;
    }
    std::optional<QString> record;
    if (child && !supportFolder.isEmpty()) {
        const std::expected<QString, QString> recorded
            = RunningTransfers::record(supportFolder, child->pid());
        if (recorded)
            record = *recorded;
        else
            output.appendToLog(
                QStringLiteral("This run could not be recorded, so a crash may leave it running: ")
                + recorded.error());
    }
    if (child && onStarted)
        onStarted();

    if (child) {
        outcome.exitCode = child->wait();
        if (record)
            RunningTransfers::forget(*record);
        child->waitForOutputEnd(readerWait);
        child->stopReading();
        output.flush();
    } else {
        outcome.exitCode = -1; // nothing ran
    }

    bool wasPaused = false;
    {
        std::lock_guard guard(lock);
        outcome.cancelled = cancelled;
        wasPaused = paused && child;
        paused = false;
        ended = true;
        process.reset();
    }

    const RsyncOutputParser& parser = output.parser();
    outcome.stats = parser.stats();
    outcome.errors = parser.errors();
    outcome.warnings = parser.warnings();
    // A child ended by a signal printed nothing about it; say what happened, so a failure is never blank.
    if (const std::optional<int> signal = child ? child->terminatingSignal() : std::nullopt;
        signal && outcome.errors.isEmpty()) {
        const QString message = QStringLiteral("rsync was stopped by signal %1.").arg(*signal);
        output.appendToLog(message);
        outcome.errors.append(message);
    }
    if (wasPaused)
        output.appendToLog(QStringLiteral("Process was still paused when it ended."));
    const RunLogSink::Result log = output.finishLog();
    outcome.logPath = log.path;
    outcome.logTruncated = log.truncated;
    outcome.duration = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    return outcome;
}

RsyncProcessController::RsyncProcessController(Clock& clock)
    : d(std::make_shared<Shared>())
    , m_clock(clock)
{
}

RsyncProcessController::~RsyncProcessController() = default;

QCoro::Task<std::expected<RsyncOutcome, RsyncRunError>> RsyncProcessController::tryRun(
    RunPlan plan, QString logPath, EventHandler onEvent, StartedHandler onStarted)
{
    // The worker holds the shared state, so the run ends cleanly even if this controller goes first.
    QFuture<std::expected<RsyncOutcome, RsyncRunError>> future = QtConcurrent::run(&runPool(),
        [shared = d, plan = std::move(plan), logPath = std::move(logPath), onEvent = std::move(onEvent),
            onStarted = std::move(onStarted)]() mutable {
            return shared->run(plan, logPath, std::move(onEvent), onStarted);
        });
    co_return co_await future;
}

void RsyncProcessController::recordChildrenIn(QString supportFolder)
{
    std::lock_guard guard(d->lock);
    d->recordFolder = std::move(supportFolder);
}

QCoro::Task<RsyncOutcome> RsyncProcessController::run(RunPlan plan, QString logPath, EventHandler onEvent)
{
    auto running = tryRun(std::move(plan), std::move(logPath), std::move(onEvent));
    auto result = co_await running;
    if (!result)
        throw result.error();
    co_return std::move(*result);
}

bool RsyncProcessController::pause()
{
    std::shared_ptr<Subprocess> child;
    {
        std::lock_guard guard(d->lock);
        if (d->paused || d->cancelled)
            return false;
        child = d->runningProcessLocked();
        if (!child && (d->process || d->ended))
            return false; // the child has exited, or a run has ended
        d->paused = true;
    }
    // Before the child exists the pause waits for it.
    return !child || child->signal(SIGSTOP);
}

bool RsyncProcessController::resume()
{
    std::shared_ptr<Subprocess> child;
    {
        std::lock_guard guard(d->lock);
        if (!d->paused)
            return false;
        child = d->runningProcessLocked();
        if (!child && d->process)
            return false; // the child has exited
        d->paused = false;
    }
    return !child || child->signal(SIGCONT);
}

bool RsyncProcessController::cancel()
{
    std::shared_ptr<Subprocess> child;
    bool wasPaused = false;
    {
        std::lock_guard guard(d->lock);
        d->cancelled = true;
        child = d->runningProcessLocked();
        if (!child)
            return false;
        wasPaused = std::exchange(d->paused, false);
    }
    // A stopped child acts on SIGTERM only once continued.
    if (wasPaused)
        child->signal(SIGCONT);
    if (!child->signal(SIGTERM))
        return false;
    m_killAlarm = m_clock.after(killDelay, [weak = std::weak_ptr<Subprocess>(child)] {
        if (const auto stubborn = weak.lock())
            stubborn->signal(SIGKILL);
    });
    return true;
}

} // namespace mv
