#include "app/AskpassMode.h"

#include "model/KeychainService.h"
#include "model/UuidText.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace mv::AskpassMode {

namespace {

// The askpass answer: the passphrase and a line feed, or nothing at all with status 1. Ends the process
// without running exit handlers, since a secret call that timed out may still be running on its thread.
[[noreturn]] void answer()
{
    const char* variable = std::getenv(KeychainService::askpassDestinationVariable);
    const auto destination = variable ? parseUuid(variable) : std::nullopt;
    const auto secret = destination ? KeychainService::passphrase(*destination) : std::nullopt;
    if (!secret)
        std::_Exit(1);
    const QByteArray text = secret->toUtf8() + '\n';
    const bool written = std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size())
        && std::fflush(stdout) == 0;
    std::_Exit(written ? 0 : 1);
}

// Nothing may reach ssh's terminal from here: libraries that would warn write into /dev/null instead.
void silenceStandardError()
{
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
}

} // namespace

bool handleIfRequested(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--askpass") == 0) {
            silenceStandardError();
            answer();
        }
    }
    return false;
}

} // namespace mv::AskpassMode
