#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>

#include <chrono>
#include <expected>
#include <functional>
#include <memory>
#include <optional>

#include <sys/types.h>

namespace mv {

// Where a child's standard output and standard error go.
enum class SubprocessOutput {
    separate, // two pipes: onStdout and onStderr
    merged, // one pipe for both: everything arrives through onStdout
    discarded, // both to /dev/null
};

// Everything a child gets from us. Nothing is inherited: no PATH lookup, no environment, no descriptor
// except standard input (/dev/null), output and error.
struct SubprocessSpec {
    QString executable; // absolute path of the program to run
    QStringList arguments; // argv[1...]; argv[0] is the executable
    QMap<QString, QString> environment; // the child's whole environment
    SubprocessOutput output = SubprocessOutput::separate;
    int niceness = 0; // raised for the child's process group right after it starts

    // Called on the reader threads, one per pipe, with each chunk as it is read (at most 65,536 bytes).
    std::function<void(QByteArrayView)> onStdout;
    std::function<void(QByteArrayView)> onStderr;

    // After a read that emptied a pipe, wait this long before reading it again, so that a child printing
    // many short lines is read in batches instead of waking a reader for each line.
    std::chrono::milliseconds readBatching { 0 };
};

// What Subprocess::run collected from a child that ran to its end.
struct SubprocessResult {
    int exitStatus = 0; // the exit code, or 128 + the signal that ended the child
    QByteArray output; // standard output (with standard error when merged), up to the capture limit
    QByteArray errorOutput; // standard error when separate, up to the capture limit
    bool outputTruncated = false; // the child wrote more than the limit; the rest was read and dropped
    bool timedOut = false; // the deadline passed and the child was terminated
};

// One child process, in a process group of its own so that a signal reaches everything it started. The
// child is killed when this program ends, however it ends (its parent-death signal), whichever thread
// started it and whether or not that thread still runs. Its output pipes are read on threads of their own
// while it runs, so a chatty child never blocks on a full pipe. Every member may be called from any thread.
class Subprocess {
public:
    // Starts the child; the error is the system's description of why it could not start.
    static std::expected<std::unique_ptr<Subprocess>, QString> start(SubprocessSpec spec);

    // Runs a child to its end, keeping at most `captureLimit` bytes of each output. At `timeout` it is
    // terminated, and killed `termGrace` later if it is still there.
    static std::expected<SubprocessResult, QString> run(SubprocessSpec spec,
        std::chrono::milliseconds timeout, qsizetype captureLimit,
        std::chrono::milliseconds termGrace = std::chrono::milliseconds(300));

    // A child still running when its handle goes is killed with its group, and reaped.
    ~Subprocess();
    Subprocess(const Subprocess&) = delete;
    Subprocess& operator=(const Subprocess&) = delete;

    pid_t pid() const;

    // True until the child has exited (a stopped child is running).
    bool isRunning() const;

    // Sends `signal` to the child's process group. False once the child has exited, or when the signal
    // could not be delivered.
    bool signal(int signal);

    // Sends SIGTERM to the group now and SIGKILL `grace` later unless the child has exited by then. The
    // kill is sent from inside wait() and waitFor(), so someone must be waiting. A stopped child acts on
    // SIGTERM only once continued: send SIGCONT first.
    bool terminate(std::chrono::milliseconds grace);

    // Blocks until the child has exited and answers its exit status (128 + signal when killed; -1 when
    // something else reaped it).
    int wait();
    // The same for at most `timeout`; nothing while the child still runs.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);

    // The signal that ended the child, once wait() has seen it end that way.
    std::optional<int> terminatingSignal() const;

    // Waits at most `timeout` for both pipes to reach their end; true when they did.
    bool waitForOutputEnd(std::chrono::milliseconds timeout);
    // Stops reading now (a grandchild may hold a pipe open forever) and waits for the readers: no callback
    // runs after this returns. Never call it from a callback.
    void stopReading();

private:
    struct State;
    explicit Subprocess(std::unique_ptr<State> state);
    std::unique_ptr<State> d;
};

} // namespace mv
