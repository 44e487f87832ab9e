#pragma once

#include "google/GoogleAuthError.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>
#include <variant>

#include <qcoro/qcorotask.h>

namespace mv {

// The one-shot HTTP listener on 127.0.0.1 that receives the browser's redirect at the end of a Google
// sign-in. It serves exactly one request: the first connection that delivers a whole request header (a
// browser's silent pre-connections do not count), answers it with a small page and closes its port.
// Every socket is close-on-exec; the blocking wait runs on the worker pool, and stop() from any thread ends
// it at once. It must outlive waitForCallback().
class OAuthLoopbackServer {
public:
    struct Callback {
        QString code;
        QString state; // empty when the redirect had none
        bool operator==(const Callback&) const = default;
    };

    OAuthLoopbackServer();
    ~OAuthLoopbackServer();
    OAuthLoopbackServer(const OAuthLoopbackServer&) = delete;
    OAuthLoopbackServer& operator=(const OAuthLoopbackServer&) = delete;

    // Opens the listening socket on a free port and answers the port. Throws GoogleAuthError::server; on
    // failure no socket stays open.
    quint16 start();
    quint16 port() const { return m_port; }

    // Resumes with the redirect's code and state once one request arrived, or throws
    // GoogleAuthError::browserDenied. `timeout` bounds the whole wait, every read included.
    QCoro::Task<Callback> waitForCallback(std::chrono::milliseconds timeout);

    // Ends a wait under way at once and closes the port; a second call does nothing. Any thread.
    void stop();

    // The page the browser is shown for a redirect that carried a code, and otherwise.
    static QByteArray connectedPage();
    static QByteArray incompletePage();

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    quint16 m_port = 0;
};

namespace detail {

// The redirect's code and state, read from the request line of the bytes a browser sent (a whole request
// head, or as much of one as the listener takes), or why the sign-in cannot go on.
std::variant<OAuthLoopbackServer::Callback, GoogleAuthError> parseRedirectRequest(
    const QByteArray& collected);

} // namespace detail

} // namespace mv
