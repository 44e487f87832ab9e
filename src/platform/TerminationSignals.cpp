#include "platform/TerminationSignals.h"

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace mv {

namespace {

// The event loop's pipe, and the watchdog's.
int pipeEnds[2] = { -1, -1 };
int watchEnds[2] = { -1, -1 };

void writeByte(int fd, char byte)
{
    // Async-signal-safe; a full pipe already holds a request to stop.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

void writeSignal(int signalNumber)
{
    const int saved = errno;
    writeByte(pipeEnds[1], char(signalNumber));
    writeByte(watchEnds[1], char(signalNumber));
    errno = saved;
}

void handle(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

// A byte from `fd` within `timeout` (for ever when negative), or none when the time ran out.
std::optional<char> readByte(int fd, std::chrono::milliseconds timeout)
{
    pollfd wanted { fd, POLLIN, 0 };
    int ready = 0;
    do
        ready = ::poll(&wanted, 1, int(timeout.count()));
    while (ready < 0 && errno == EINTR);
    char byte = 0;
    if (ready <= 0 || ::read(fd, &byte, 1) != 1)
        return std::nullopt;
    return byte;
}

// Written by the destructor; no signal has the number 0.
constexpr char stopWatching = 0;

} // namespace

// A thread that hears the first signal too, and ends the process when the event loop has not taken it within
// the patience, or when the program's own ending has not ended it within the bound.
struct TerminationSignals::Watchdog {
    std::atomic<int> taken { 0 };
    std::thread thread;

    Watchdog()
        : thread([this] { watch(); })
    {
    }

    ~Watchdog()
    {
        writeByte(watchEnds[1], stopWatching);
        thread.join();
    }

    void watch()
    {
        using namespace std::chrono;
        std::optional<char> signalNumber;
        while (!signalNumber) {
            signalNumber = readByte(watchEnds[0], -1ms);
            if (signalNumber == stopWatching)
                return;
        }
        const auto heardAt = steady_clock::now();
        if (!waitUntil(heardAt + patience))
            return;
        if (taken.load() == 0)
            endNow(*signalNumber);
        if (!waitUntil(heardAt + endingBound))
            return;
        endNow(*signalNumber);
    }

    // False when asked to stop first; later signals change nothing.
    static bool waitUntil(std::chrono::steady_clock::time_point deadline)
    {
        using namespace std::chrono;
        for (auto left = ceil<milliseconds>(deadline - steady_clock::now()); left > 0ms;
             left = ceil<milliseconds>(deadline - steady_clock::now())) {
            if (readByte(watchEnds[0], left) == stopWatching)
                return false;
        }
        return true;
    }

    [[noreturn]] static void endNow(int signalNumber)
    {
        handle(signalNumber, SIG_DFL);
        ::kill(::getpid(), signalNumber);
        std::_Exit(128 + signalNumber);
    }
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] == -1);
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0 || ::pipe2(watchEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        qFatal("Could not make the pipes that bring termination signals to the event loop");
    m_notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char number = 0;
        while (::read(pipeEnds[0], &number, 1) == 1) {
            ++m_watchdog->taken;
            Q_EMIT received(int(number));
        }
    });
    m_watchdog = std::make_unique<Watchdog>();
    handle(SIGTERM, writeSignal);
    handle(SIGINT, writeSignal);
}

TerminationSignals::~TerminationSignals()
{
    handle(SIGTERM, SIG_DFL);
    handle(SIGINT, SIG_DFL);
    m_watchdog.reset();
    m_notifier.reset();
    for (int* ends : { pipeEnds, watchEnds }) {
        ::close(ends[0]);
        ::close(ends[1]);
        ends[0] = ends[1] = -1;
    }
}

} // namespace mv
