#include "XvfbDisplay.h"

#include <QByteArray>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mv::test {

XvfbDisplay::~XvfbDisplay()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool XvfbDisplay::start()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    // -displayfd: Xvfb picks a free display itself and writes its number once it accepts connections.
    const QByteArray fd = QByteArray::number(fds[1]);
    const char* arguments[] = { "Xvfb", "-displayfd", fd.constData(), "-nolisten", "tcp", "-screen", "0",
        "1024x768x24", nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned
        = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        m_pid = 0;
        ::close(fds[0]);
        return false;
    }
    QByteArray number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number.append(c);
    ::close(fds[0]);
    if (number.isEmpty())
        return false;
    qputenv("DISPLAY", ":" + number);
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

} // namespace mv::test
