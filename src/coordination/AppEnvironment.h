#pragma once

#include "google/GoogleEndpoints.h"
#include "platform/Clock.h"

#include <QDBusConnection>

namespace mv {

class DemoSeeder;
class FileManager;
class SecretBackend;
class SystemLog;
class UrlOpener;

// The desktop around the state hub: the clock, the buses it posts notices on and hears of sleep from, the
// keyring that keeps the Google secrets, the browser that shows Google's sign-in, the file manager that
// shows exports, the system log and Google's address. The program passes the real ones; tests pass private
// buses, a test keyring and a local Google stand-in.
struct AppEnvironment {
    Clock& clock;
    QDBusConnection sessionBus;
    QDBusConnection systemBus;
    SecretBackend& secrets;
    UrlOpener& urlOpener;
    FileManager& fileManager;
    SystemLog& log;
    GoogleEndpoints googleEndpoints;
    // Demo mode's seeder, when the program seeded a demo configuration at this launch.
    DemoSeeder* demo = nullptr;
};

} // namespace mv
