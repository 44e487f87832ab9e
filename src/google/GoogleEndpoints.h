#pragma once

#include <QString>
#include <QUrl>

namespace mv {

class SystemLog;

// Where the Google requests go. The paths are Google's; only the origins can change, all together, so that
// the finished program can be pointed at a local stand-in for tests.
struct GoogleEndpoints {
    QUrl authorization;
    QUrl token;
    QUrl userInfo;
    QUrl driveApiBase; // ".../drive/v3"
    QUrl uploadBase; // ".../upload/drive/v3/files"

    // Google's own origins.
    static GoogleEndpoints google();
    // Every endpoint on one origin ("http://127.0.0.1:41234"), paths unchanged.
    static GoogleEndpoints at(const QUrl& origin);
    // Google's, unless MARROWVALE_GOOGLE_ENDPOINT names an acceptable origin: https:// anywhere, or http://
    // to 127.0.0.1, localhost or [::1]. Any other value is ignored with one line in `log`.
    static GoogleEndpoints fromEnvironment(SystemLog& log);

    bool operator==(const GoogleEndpoints&) const = default;
};

inline constexpr char googleEndpointVariable[] = "MARROWVALE_GOOGLE_ENDPOINT";

} // namespace mv
