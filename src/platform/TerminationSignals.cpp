#include "platform/TerminationSignals.h"

#include <QtGlobal>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace mv {

namespace {

int pipeEnds[2] = { -1, -1 };

void writeSignal(int signalNumber)
{
    const int saved = errno;
    const char number = char(signalNumber);
    // Async-signal-safe; a full pipe already holds a request to stop.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
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

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] == -1);
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        qFatal("Could not make the pipe that brings termination signals to the event loop");
    m_notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char number = 0;
        while (::read(pipeEnds[0], &number, 1) == 1)
            Q_EMIT received(int(number));
    });
    handle(SIGTERM, writeSignal);
    handle(SIGINT, writeSignal);
}

TerminationSignals::~TerminationSignals()
{
    handle(SIGTERM, SIG_DFL);
    handle(SIGINT, SIG_DFL);
    m_notifier.reset();
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

} // namespace mv
