#include "platform/Subprocess.h"

#include "platform/FileDescriptor.h"

#include <QFile>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mv {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t readChunk = 65536;
// A batching reader lets the pipe fill between reads: at the default 64 KiB a child printing a few MB/s
// would block on a full pipe while the reader waits. 1 MiB is what an unprivileged process may ask for.
constexpr std::size_t batchedReadChunk = 1 << 20;
// How long run() waits for the pipes to end once the child has exited; only a grandchild that keeps a
// pipe open makes it wait this long.
constexpr std::chrono::milliseconds outputGrace(2000);

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
};

std::expected<Pipe, int> makePipe()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::unexpected(errno);
    return Pipe { FileDescriptor(fds[0]), FileDescriptor(fds[1]) };
}

QString describe(int error)
{
    return QString::fromLocal8Bit(::strerror(error));
}

int exitStatusFrom(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return WEXITSTATUS(waitStatus);
}

bool isReadable(int fd)
{
    pollfd entry { fd, POLLIN, 0 };
    return ::poll(&entry, 1, 0) > 0;
}

// Argument and environment vectors in the form execve wants, kept alive by the byte arrays.
class CStringList {
public:
    void append(const QByteArray& bytes) { m_storage.push_back(bytes); }
    char** data()
    {
        m_pointers.clear();
        for (QByteArray& bytes : m_storage)
            m_pointers.push_back(bytes.data());
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    std::vector<QByteArray> m_storage;
    std::vector<char*> m_pointers;
};

// What the forked child does before it becomes the program. Everything is prepared beforehand: between
// fork and exec only async-signal-safe calls are allowed.
struct ChildSetup {
    const char* executable = nullptr;
    char** argv = nullptr;
    char** envp = nullptr;
    int standardOutput = -1; // a pipe's write end, or -1 for /dev/null
    int standardError = -1;
    int niceness = 0;
    pid_t parent = 0;
    int errorReport = -1; // close-on-exec: reaches its end when exec succeeds, else carries errno
};

[[noreturn]] void failInChild(int errorReport)
{
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorReport, &error, sizeof error);
    ::_exit(127);
}

// Places `fd` as `target`, open across exec even when it already is `target`.
void placeInChild(int fd, int target, int errorReport)
{
    if (fd == target ? ::fcntl(fd, F_SETFD, 0) != 0 : ::dup2(fd, target) < 0)
        failInChild(errorReport);
}

[[noreturn]] void becomeChild(const ChildSetup& setup)
{
    // Ends with the program however the program ends. The parent may already have gone before the
    // request was made, and then nobody would send it.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != setup.parent)
        ::_exit(127);
    // A process group of its own, so that a signal reaches everything the child starts.
    if (::setpgid(0, 0) != 0)
        failInChild(setup.errorReport);
    // No blocked signals and every disposition back to its default: what this program ignores (SIGPIPE)
    // must not be ignored by the child.
    struct sigaction byDefault { };
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP)
            ::sigaction(signal, &byDefault, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    const int nullInput = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int nullOutput = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullInput < 0 || nullOutput < 0)
        failInChild(setup.errorReport);
    placeInChild(nullInput, STDIN_FILENO, setup.errorReport);
    placeInChild(
        setup.standardOutput >= 0 ? setup.standardOutput : nullOutput, STDOUT_FILENO, setup.errorReport);
    placeInChild(
        setup.standardError >= 0 ? setup.standardError : nullOutput, STDERR_FILENO, setup.errorReport);
    // Nothing else of ours reaches the program; the error report closes itself at exec.
    const unsigned report = static_cast<unsigned>(setup.errorReport);
    if (report > STDERR_FILENO + 1)
        ::close_range(STDERR_FILENO + 1, report - 1, 0);
    ::close_range(report + 1, ~0U, 0);
    if (setup.niceness != 0)
        ::setpriority(PRIO_PROCESS, 0, setup.niceness);
    ::execve(setup.executable, setup.argv, setup.envp);
    failInChild(setup.errorReport);
}

// Forks and executes the child, answering its pid or the errno of what failed.
std::expected<pid_t, int> forkChild(ChildSetup setup)
{
    auto report = makePipe();
    if (!report)
        return std::unexpected(report.error());
    setup.parent = ::getpid();
    setup.errorReport = report->writeEnd.get();
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::unexpected(errno);
    if (pid == 0)
        becomeChild(setup);
    report->writeEnd.reset();
    int error = 0;
    ssize_t count = 0;
    do {
        count = ::read(report->readEnd.get(), &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    if (count <= 0)
        return pid;
    ::waitpid(pid, nullptr, 0);
    return std::unexpected(error);
}

// Forks every child from one thread that lives as long as the program: the parent-death signal follows
// the thread that forked, so a child started from a pool thread that later ends would die with it.
class Spawner {
public:
    static Spawner& instance()
    {
        // Never destroyed: children may be started until the very end of the program.
        static Spawner* spawner = new Spawner;
        return *spawner;
    }

    std::expected<pid_t, int> spawn(const ChildSetup& setup)
    {
        std::packaged_task<std::expected<pid_t, int>()> task([&setup] { return forkChild(setup); });
        std::future<std::expected<pid_t, int>> result = task.get_future();
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_one();
        return result.get();
    }

private:
    Spawner()
        : m_thread([this] { serve(); })
    {
    }

    [[noreturn]] void serve()
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_tasks.empty(); });
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::packaged_task<std::expected<pid_t, int>()>> m_tasks;
    std::thread m_thread;
};

} // namespace

struct Subprocess::State {
    pid_t pid = -1;
    FileDescriptor pidFd; // readable once the child has exited
    FileDescriptor wakeFd; // written by terminate() to wake the waiters
    FileDescriptor stopFd; // written by stopReading() to end the readers
    std::chrono::milliseconds readBatching { 0 };

    mutable std::mutex mutex; // guards the fields below; held while signalling, so a reaped pid is never hit
    bool reaped = false;
    int exitStatus = 0;
    std::optional<int> terminatingSignal;
    std::optional<SteadyClock::time_point> killAt; // cleared once SIGKILL was sent
    bool terminating = false; // terminate() was called: the wake descriptor has been written

    struct Reader {
        FileDescriptor fd;
        std::function<void(QByteArrayView)> onChunk;
        std::thread thread;
    };
    std::vector<Reader> readers;
    std::mutex readersMutex;
    std::condition_variable readersDone;
    std::size_t finishedReaders = 0;
    bool readersJoined = false;

    bool exitedLocked() const { return reaped || isReadable(pidFd.get()); }

    void readLoop(Reader& reader)
    {
        std::vector<char> buffer(readBatching.count() > 0 ? batchedReadChunk : readChunk);
        pollfd fds[2] = { { reader.fd.get(), POLLIN, 0 }, { stopFd.get(), POLLIN, 0 } };
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (fds[1].revents != 0)
                break;
            const ssize_t count = ::read(reader.fd.get(), buffer.data(), buffer.size());
            if (count > 0) {
                if (reader.onChunk)
                    reader.onChunk(QByteArrayView(buffer.data(), count));
                if (static_cast<std::size_t>(count) < buffer.size() && readBatching.count() > 0
                    && batchingWaitWasStopped())
                    break;
            } else if (count == 0 || errno != EINTR) {
                break;
            }
        }
        std::lock_guard lock(readersMutex);
        ++finishedReaders;
        readersDone.notify_all();
    }

    // Waits `readBatching` before the next read, less once the child has exited (nothing more is coming
    // then but what is in the pipe). True when stopReading() was called meanwhile.
    bool batchingWaitWasStopped() const
    {
        pollfd fds[2] = { { stopFd.get(), POLLIN, 0 }, { pidFd.get(), POLLIN, 0 } };
        return ::poll(fds, 2, static_cast<int>(readBatching.count())) > 0 && fds[0].revents != 0;
    }

    // Reaps the child once its pidfd says it has exited. Called with `mutex` held.
    void reapLocked()
    {
        // Should anything else in the process have reaped the child, its status is unknown: never 0.
        exitStatus = -1;
        int status = 0;
        if (::waitpid(pid, &status, 0) == pid) {
            exitStatus = exitStatusFrom(status);
            if (WIFSIGNALED(status))
                terminatingSignal = WTERMSIG(status);
        }
        reaped = true;
    }
};

Subprocess::Subprocess(std::unique_ptr<State> state)
    : d(std::move(state))
{
}

std::expected<std::unique_ptr<Subprocess>, QString> Subprocess::start(SubprocessSpec spec)
{
    auto state = std::make_unique<State>();
    state->readBatching = spec.readBatching;
    ChildSetup setup;
    setup.niceness = spec.niceness;

    std::vector<Pipe> pipes;
    const auto addPipe = [&](std::function<void(QByteArrayView)> onChunk) -> std::optional<int> {
        auto pipe = makePipe();
        if (!pipe)
            return pipe.error();
        if (state->readBatching.count() > 0) // best effort: a smaller pipe only means more wake-ups
            ::fcntl(pipe->readEnd.get(), F_SETPIPE_SZ, int(batchedReadChunk));
        pipes.push_back(std::move(*pipe));
        state->readers.push_back({ {}, std::move(onChunk), {} });
        return std::nullopt;
    };
    std::optional<int> pipeError;
    switch (spec.output) {
    case SubprocessOutput::separate:
        pipeError = addPipe(std::move(spec.onStdout));
        if (!pipeError)
            pipeError = addPipe(std::move(spec.onStderr));
        if (!pipeError) {
            setup.standardOutput = pipes[0].writeEnd.get();
            setup.standardError = pipes[1].writeEnd.get();
        }
        break;
    case SubprocessOutput::merged:
        pipeError = addPipe(std::move(spec.onStdout));
        if (!pipeError)
            setup.standardOutput = setup.standardError = pipes[0].writeEnd.get();
        break;
    case SubprocessOutput::discarded:
        break;
    }
    if (pipeError)
        return std::unexpected(describe(*pipeError));

    const QByteArray executable = QFile::encodeName(spec.executable);
    CStringList argv;
    argv.append(executable);
    for (const QString& argument : spec.arguments)
        argv.append(QFile::encodeName(argument));
    CStringList envp;
    for (auto it = spec.environment.cbegin(); it != spec.environment.cend(); ++it)
        envp.append(QFile::encodeName(it.key() + u'=' + it.value()));
    setup.executable = executable.constData();
    setup.argv = argv.data();
    setup.envp = envp.data();

    state->wakeFd.reset(::eventfd(0, EFD_CLOEXEC));
    state->stopFd.reset(::eventfd(0, EFD_CLOEXEC));
    if (state->wakeFd.get() < 0 || state->stopFd.get() < 0)
        return std::unexpected(describe(errno));

    const std::expected<pid_t, int> spawned = Spawner::instance().spawn(setup);
    if (!spawned)
        return std::unexpected(describe(spawned.error()));
    state->pid = *spawned;

    // Called directly: glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
    state->pidFd.reset(static_cast<int>(::syscall(SYS_pidfd_open, state->pid, 0)));
    if (state->pidFd.get() < 0) {
        const int error = errno;
        ::kill(-state->pid, SIGKILL);
        ::waitpid(state->pid, nullptr, 0);
        return std::unexpected(describe(error));
    }

    for (std::size_t i = 0; i < pipes.size(); ++i) {
        pipes[i].writeEnd.reset();
        state->readers[i].fd = std::move(pipes[i].readEnd);
    }
    State* raw = state.get();
    for (State::Reader& reader : state->readers)
        reader.thread = std::thread([raw, &reader] { raw->readLoop(reader); });
    return std::unique_ptr<Subprocess>(new Subprocess(std::move(state)));
}

Subprocess::~Subprocess()
{
    {
        std::lock_guard lock(d->mutex);
        if (!d->reaped) {
            ::kill(-d->pid, SIGKILL);
            d->reapLocked();
        }
    }
    stopReading();
}

pid_t Subprocess::pid() const
{
    return d->pid;
}

bool Subprocess::isRunning() const
{
    std::lock_guard lock(d->mutex);
    return !d->exitedLocked();
}

bool Subprocess::signal(int signal)
{
    std::lock_guard lock(d->mutex);
    if (d->exitedLocked())
        return false;
    return ::kill(-d->pid, signal) == 0;
}

bool Subprocess::terminate(std::chrono::milliseconds grace)
{
    {
        std::lock_guard lock(d->mutex);
        if (d->exitedLocked() || ::kill(-d->pid, SIGTERM) != 0)
            return false;
        const auto killAt = SteadyClock::now() + grace;
        d->killAt = d->killAt ? std::min(*d->killAt, killAt) : killAt;
        d->terminating = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(d->wakeFd.get(), &one, sizeof one);
    return true;
}

int Subprocess::wait()
{
    if (const std::optional<int> status = waitFor(std::chrono::milliseconds::max()))
        return *status;
    // Only a failing poll gets here: reap with a blocking wait rather than leave the child or guess its
    // status. A pending kill cannot wait for its grace time any more.
    std::lock_guard lock(d->mutex);
    if (d->killAt)
        ::kill(-d->pid, SIGKILL);
    if (!d->reaped)
        d->reapLocked();
    return d->exitStatus;
}

std::optional<int> Subprocess::waitFor(std::chrono::milliseconds timeout)
{
    const auto start = SteadyClock::now();
    const std::optional<SteadyClock::time_point> deadline
        = timeout == std::chrono::milliseconds::max() ? std::nullopt : std::optional(start + timeout);
    for (;;) {
        std::optional<SteadyClock::time_point> wakeAt = deadline;
        bool watchWake = true;
        {
            std::lock_guard lock(d->mutex);
            if (d->reaped)
                return d->exitStatus;
            watchWake = !d->terminating;
            if (d->killAt) {
                if (SteadyClock::now() >= *d->killAt) {
                    ::kill(-d->pid, SIGKILL);
                    d->killAt.reset();
                } else {
                    wakeAt = wakeAt ? std::min(*wakeAt, *d->killAt) : *d->killAt;
                }
            }
        }
        int pollTimeout = -1;
        if (wakeAt) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - SteadyClock::now());
            pollTimeout = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT32_MAX));
        }
        // The wake descriptor stays readable once written, so it is only watched until terminate().
        pollfd fds[2] = { { d->pidFd.get(), POLLIN, 0 }, { d->wakeFd.get(), POLLIN, 0 } };
        const int ready = ::poll(fds, watchWake ? 2 : 1, pollTimeout);
        if (ready < 0 && errno != EINTR)
            return std::nullopt;
        if (ready > 0 && fds[0].revents != 0) {
            std::lock_guard lock(d->mutex);
            if (!d->reaped)
                d->reapLocked();
            return d->exitStatus;
        }
        if (ready == 0 && deadline && SteadyClock::now() >= *deadline)
            return std::nullopt;
    }
}

std::optional<int> Subprocess::terminatingSignal() const
{
    std::lock_guard lock(d->mutex);
    return d->terminatingSignal;
}

bool Subprocess::waitForOutputEnd(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(d->readersMutex);
    return d->readersDone.wait_for(lock, timeout, [this] { return d->finishedReaders == d->readers.size(); });
}

void Subprocess::stopReading()
{
    {
        std::lock_guard lock(d->readersMutex);
        if (d->readersJoined)
            return;
        d->readersJoined = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(d->stopFd.get(), &one, sizeof one);
    for (State::Reader& reader : d->readers) {
        if (reader.thread.joinable())
            reader.thread.join();
        reader.fd.reset();
    }
}

std::expected<SubprocessResult, QString> Subprocess::run(SubprocessSpec spec,
    std::chrono::milliseconds timeout, qsizetype captureLimit, std::chrono::milliseconds termGrace)
{
    // Each capture is written by its own reader thread and read only after the readers have stopped.
    struct Capture {
        QByteArray bytes;
        bool truncated = false;
        void add(QByteArrayView chunk, qsizetype limit)
        {
            const qsizetype room = limit - bytes.size();
            if (chunk.size() > room)
                truncated = true;
            bytes.append(chunk.first(std::min(room, chunk.size())));
        }
    };
    Capture output;
    Capture errorOutput;
    spec.onStdout = [&](QByteArrayView chunk) { output.add(chunk, captureLimit); };
    spec.onStderr = [&](QByteArrayView chunk) { errorOutput.add(chunk, captureLimit); };

    auto started = start(std::move(spec));
    if (!started)
        return std::unexpected(started.error());
    Subprocess& process = **started;

    SubprocessResult result;
    std::optional<int> status = process.waitFor(timeout);
    if (!status) {
        result.timedOut = true;
        process.terminate(termGrace);
        status = process.wait();
    }
    process.waitForOutputEnd(outputGrace);
    process.stopReading();

    result.exitStatus = *status;
    result.output = std::move(output.bytes);
    result.errorOutput = std::move(errorOutput.bytes);
    result.outputTruncated = output.truncated || errorOutput.truncated;
    return result;
}

} // namespace mv
