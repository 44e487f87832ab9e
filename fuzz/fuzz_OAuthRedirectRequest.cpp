// The request a browser sends to the sign-in listener: any bytes give a code or a reason, a code is never
// empty, and only the request line counts, whatever header lines follow it.

#include "FuzzCheck.h"
#include "google/OAuthLoopbackServer.h"

#include <cstddef>
#include <cstdint>
#include <variant>

namespace {

using Outcome = std::variant<mv::OAuthLoopbackServer::Callback, mv::GoogleAuthError>;

bool alike(const Outcome& a, const Outcome& b)
{
    if (a.index() != b.index())
        return false;
    if (const auto* callback = std::get_if<mv::OAuthLoopbackServer::Callback>(&a))
        return *callback == std::get<mv::OAuthLoopbackServer::Callback>(b);
    const mv::GoogleAuthError& error = std::get<mv::GoogleAuthError>(a);
    const mv::GoogleAuthError& other = std::get<mv::GoogleAuthError>(b);
    return error.kind() == other.kind() && error.payload() == other.payload();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray requestLine(reinterpret_cast<const char*>(data), qsizetype(size));
    const Outcome outcome = mv::detail::parseRedirectRequest(requestLine);
    if (const auto* callback = std::get_if<mv::OAuthLoopbackServer::Callback>(&outcome))
        FUZZ_CHECK(!callback->code.isEmpty());
    else
        FUZZ_CHECK(!std::get<mv::GoogleAuthError>(outcome).description().isEmpty());

    // Only for one valid UTF-8 line: a sequence cut by the line's end decodes apart from one that goes on.
    const bool oneLine = !requestLine.isEmpty() && !requestLine.contains('\r') && !requestLine.contains('\n');
    if (oneLine && QString::fromUtf8(requestLine).toUtf8() == requestLine) {
        const Outcome withHeaders = mv::detail::parseRedirectRequest(
            requestLine + "\r\nHost: 127.0.0.1:8123\r\nReferer: http://127.0.0.1/?code=other\r\n\r\n");
        FUZZ_CHECK(alike(outcome, withHeaders));
    }
    return 0;
}
