#include "google/GoogleEndpoints.h"

#include "platform/SystemLog.h"

namespace mv {

namespace {

QUrl onOrigin(const QUrl& origin, const QString& path)
{
    QUrl url = origin;
    url.setPath(path);
    return url;
}

// Only a bare origin: a scheme, a host, maybe a port, and nothing that could smuggle a path or credentials.
bool isAcceptableOrigin(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || url.hasQuery()
        || url.hasFragment() || !(url.path().isEmpty() || url.path() == QLatin1String("/")))
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QString host = url.host();
    return url.scheme() == QLatin1String("http")
        && (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost")
            || host == QLatin1String("::1"));
}

} // namespace

GoogleEndpoints GoogleEndpoints::google()
{
    return {
        QUrl(QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth")),
        QUrl(QStringLiteral("https://oauth2.googleapis.com/token")),
        QUrl(QStringLiteral("https://www.googleapis.com/oauth2/v2/userinfo")),
        QUrl(QStringLiteral("https://www.googleapis.com/drive/v3")),
        QUrl(QStringLiteral("https://www.googleapis.com/upload/drive/v3/files")),
    };
}

GoogleEndpoints GoogleEndpoints::at(const QUrl& origin)
{
    return {
        onOrigin(origin, QStringLiteral("/o/oauth2/v2/auth")),
        onOrigin(origin, QStringLiteral("/token")),
        onOrigin(origin, QStringLiteral("/oauth2/v2/userinfo")),
        onOrigin(origin, QStringLiteral("/drive/v3")),
        onOrigin(origin, QStringLiteral("/upload/drive/v3/files")),
    };
}

GoogleEndpoints GoogleEndpoints::fromEnvironment(SystemLog& log)
{
    if (!qEnvironmentVariableIsSet(googleEndpointVariable))
        return google();
    const QString value = qEnvironmentVariable(googleEndpointVariable);
    const QUrl origin(value, QUrl::StrictMode);
    if (!isAcceptableOrigin(origin)) {
        log.write(QStringLiteral("%1 ignored: only https:// origins, or http:// to 127.0.0.1, localhost or "
                                 "[::1], are accepted")
                      .arg(QLatin1String(googleEndpointVariable)));
        return google();
    }
    return at(origin);
}

} // namespace mv
